#include "clean/RestorePointTree.h"

#include "clean/BackupStore.h"
#include "clean/ListedFile.h"
#include "core/LanguageTable.h"
#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/FolderListing.h"
#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

std::string WithoutFinalBackslashes(std::string path) {
    while (win::EndsWithBackslash(path))
        path.pop_back();
    return path;
}

bool Stopped(const std::atomic<bool>* stop) {
    return stop && stop->load();
}

}  // namespace

PointTree ListPointTree(const std::string& point, const std::atomic<bool>* stop) {
    PointTree tree;
    auto failed = [&tree](DWORD error) {
        if (tree.error == ERROR_SUCCESS)
            tree.error = error;
    };
    std::vector<std::string> pending{WithoutFinalBackslashes(point)};
    while (!pending.empty() && !Stopped(stop)) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        // Held while it is listed: Windows then keeps it, and every folder above it, in its place.
        const win::ResultOf<win::UniqueFile> held = OpenCheckedFolder(folder);
        if (!held) {
            failed(held.Error());
            continue;
        }
        win::FolderListing listing(win::FileApiPath(folder));
        win::ListedEntry entry;
        while (listing.Next(entry) && !Stopped(stop)) {
            if (entry.name == L"." || entry.name == L"..")
                continue;
            std::string path = folder + "\\" + win::Narrow(entry.name);
            if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                tree.links.push_back(std::move(path));
            } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                tree.folders.push_back(path);
                pending.push_back(std::move(path));
            } else {
                tree.files.push_back(
                    {std::move(path), {entry.size, entry.lastAccess, entry.lastWrite, entry.fileId}});
            }
        }
        if (listing.Error() != ERROR_SUCCESS)
            failed(listing.Error());
    }
    return tree;
}

win::Result RemovePointEntry(const std::string& path, PointEntry kind) {
    // The entry itself, a link as a link where the system opens it so (Wine opens what it leads
    // to, whose place then differs from path).
    win::UniqueFile entry =
        win::OpenFile(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ,
                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
    if (!entry)
        return win::Result::LastError();
    const win::ResultOf<win::OpenFileFacts> facts = win::QueryOpenFile(entry.get());
    if (!facts)
        return facts.Outcome();
    const win::OpenFileFacts& about = facts.Value();
    const bool link = (about.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    const bool folder = (about.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool wanted =
        kind == PointEntry::Anything || (!link && folder == (kind == PointEntry::EmptyFolder));
    if (!wanted || !win::IsAtPath(entry.get(), path))
        return win::Result::Failed(ERROR_REPARSE_TAG_MISMATCH);
    if (!link && (about.attributes & FILE_ATTRIBUTE_READONLY)) {
        // A backup keeps its file's attributes: a read-only one is made writable to be deleted.
        FILE_BASIC_INFO basic{};  // times of zero are left as they are
        basic.FileAttributes = about.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
        if (basic.FileAttributes == 0)
            basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof(basic)))
            return win::Result::LastError();
    }
    if (const win::Result deleted = win::DeleteOpenFile(entry.get()); !deleted)
        return deleted;
    entry.reset();
    // The entry goes as its last handle closes: while another program holds it, it stays.
    if (win::FileAttributes(path))
        return win::Result::Failed(ERROR_DELETE_PENDING);
    return {};
}

win::Result RemoveRestorePoint(const std::string& path, win::JobProgress* progress,
                               const std::atomic<bool>* stop) {
    if (!IsSafeToRemove(path))
        return win::Result::Failed(ERROR_INVALID_NAME);
    const std::string point = WithoutFinalBackslashes(path);
    if (progress)
        progress->SetStatusText(Translate("_RescueDialogStateInitBackupFileList"));
    const PointTree tree = ListPointTree(point, stop);
    DWORD firstError = tree.error;
    const size_t entries = tree.files.size() + tree.links.size() + tree.folders.size() + 1;
    if (progress) {
        progress->SetStatusText(Translate("_RescueDialogStateRemoveBackupFiles"));
        progress->SetProgressRange(static_cast<int>(entries));
    }
    int done = 0;
    // Removes one entry; false when a stop came first.
    auto remove = [&](const std::string& entry, PointEntry kind) {
        if (Stopped(stop)) {
            firstError = ERROR_CANCELLED;
            return false;
        }
        const DWORD error = RemovePointEntry(entry, kind).Error();
        if (firstError == ERROR_SUCCESS)
            firstError = error;
        if (progress)
            progress->SetProgressPosition(++done);
        return true;
    };
    bool going = true;
    for (size_t i = 0; going && i < tree.files.size(); ++i)
        going = remove(tree.files[i].path, PointEntry::File);
    for (size_t i = 0; going && i < tree.links.size(); ++i)
        going = remove(tree.links[i], PointEntry::Anything);
    // The deepest first; a folder that has become a link since its listing goes as a link.
    for (size_t i = tree.folders.size(); going && i > 0; --i)
        going = remove(tree.folders[i - 1], PointEntry::Anything);
    if (going) {
        const DWORD error = RemovePointEntry(point, PointEntry::EmptyFolder).Error();
        if (progress)
            progress->SetProgressPosition(++done);
        // The point itself gone counts, whatever went wrong on the way.
        if (error == ERROR_SUCCESS)
            return {};
        if (firstError == ERROR_SUCCESS)
            firstError = error;
    }
    return firstError == ERROR_SUCCESS ? win::Result() : win::Result::Failed(firstError);
}
