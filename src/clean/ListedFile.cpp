#include "clean/ListedFile.h"

#include <vector>

#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/VerifiedCopy.h"

namespace {

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

win::ResultOf<UnlinkedFile> OpenUnlinkedFile(const std::string& path, DWORD access, DWORD share) {
    UnlinkedFile opened;
    opened.file = win::OpenFile(path, access, share, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!opened.file)
        return win::Result::LastError();
    // The place the open file has, every link on the way resolved: a folder of the path that
    // became a link leads elsewhere, and so does a file link where the system opened its target.
    win::ResultOf<win::OpenFileFacts> about = win::QueryOpenFile(opened.file.get());
    if (!about)
        return about.Outcome();
    opened.about = about.Value();
    if ((opened.about.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !win::IsAtPath(opened.file.get(), path))
        return win::Result::Failed(ERROR_REPARSE_TAG_MISMATCH);
    return opened;
}

ListedFile::ListedFile(const std::string& path, const FileStamp& listed, Sharing sharing) : path_(path) {
    // Only a full path names one file whatever the current folder.
    if (!win::IsFullPath(path)) {
        error_ = ERROR_INVALID_NAME;
        return;
    }
    // Never shared for writing: a file another program may be writing is kept, since deleting it
    // under that program would lose its work.
    const DWORD share = sharing == Sharing::Reading ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_DELETE;
    win::ResultOf<UnlinkedFile> opened = OpenUnlinkedFile(path, GENERIC_READ | DELETE, share);
    error_ = opened.Error();
    if (!opened) {
        if (error_ == ERROR_FILE_NOT_FOUND || error_ == ERROR_PATH_NOT_FOUND)
            state_ = ListedState::Gone;
        else if (error_ == ERROR_SHARING_VIOLATION || error_ == ERROR_LOCK_VIOLATION)
            state_ = ListedState::InUse;
        else if (error_ == ERROR_REPARSE_TAG_MISMATCH)
            state_ = ListedState::Linked;
        return;
    }
    file_ = std::move(opened->file);
    const win::OpenFileFacts& about = opened->about;
    const bool same = !(about.attributes & FILE_ATTRIBUTE_DIRECTORY) && about.size == listed.size &&
                      SameTime(about.lastWrite, listed.lastWrite) &&
                      (listed.fileId == 0 || about.fileId == listed.fileId);
    if (!same) {
        state_ = ListedState::Changed;
        file_.reset();
        return;
    }
    state_ = ListedState::Same;
}

win::Result ListedFile::MoveTo(const std::string& backupPath) {
    if (!file_)
        return win::Result::Failed(error_);
    win::Result moved = win::RenameOpenFile(file_.get(), backupPath);
    if (moved)
        file_.reset();
    return moved;
}

win::Result ListedFile::CopyTo(const std::string& backupPath) const {
    return file_ ? win::CopyOpenFile(file_.get(), backupPath) : win::Result::Failed(error_);
}

win::Result ListedFile::Remove() {
    if (!file_)
        return win::Result::Failed(error_);
    if (win::Result deleted = win::DeleteOpenFile(file_.get()); !deleted)
        return deleted;
    file_.reset();
    // The deletion happens as the file closes; if a folder on the way has become a link since, or
    // another program still holds the file, nothing may have been deleted: only a listed path
    // that names nothing counts.
    const win::ResultOf<DWORD> left = win::FileAttributes(path_);
    if (left)
        return win::Result::Failed(ERROR_FILE_EXISTS);
    if (left.Error() == ERROR_FILE_NOT_FOUND || left.Error() == ERROR_PATH_NOT_FOUND)
        return {};
    return left.Outcome();
}

ListedPlace ListedFile::Place() const {
    if (!file_)
        return ListedPlace::Unknown;
    const win::ResultOf<win::OpenFileFacts> facts = win::QueryOpenFile(file_.get());
    if (!facts)
        return ListedPlace::Unknown;
    if (facts->deletePending || facts->links == 0)
        return ListedPlace::Deleted;
    const win::ResultOf<std::string> asked = win::CurrentPathOf(file_.get(), path_);
    if (!asked)
        return asked.Error() == ERROR_FILE_NOT_FOUND ? ListedPlace::RecycleBin : ListedPlace::Unknown;
    const std::string& now = asked.Value();
    if (win::SameFolded(now, path_))
        return ListedPlace::AtPath;
    const std::string bin = win::VolumeRootOf(path_) + "$Recycle.Bin\\";
    const bool inBin =
        bin.size() > 13 && now.size() > bin.size() && win::SameFolded(now.substr(0, bin.size()), bin);
    return inBin ? ListedPlace::RecycleBin : ListedPlace::Elsewhere;
}

bool SameVolumeCache::Holds(const std::string& file, const std::string& other) {
    // Files of one folder are on one volume: the system is asked once per folder.
    const std::string folder = file.substr(0, file.find_last_of('\\') + 1);
    if (folder != fileFolder_) {
        fileFolder_ = folder;
        fileVolume_ = win::VolumeOf(folder);
    }
    if (other != other_) {
        other_ = other;
        otherVolume_ = win::VolumeOf(other);
    }
    return !fileVolume_.empty() && fileVolume_ == otherVolume_;
}

win::ResultOf<win::UniqueFile> OpenCheckedFolder(const std::string& folder) {
    win::UniqueFile handle =
        win::OpenFile(folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle)
        return win::Result::LastError();
    if (!win::IsAtPath(handle.get(), folder))
        return win::Result::Failed(ERROR_REPARSE_TAG_MISMATCH);
    return handle;
}

namespace {

// The folder that holds folder: "C:\a" -> "C:\", "\\s\h\a" -> "\\s\h"; "" above a drive's root or
// a share, which cannot be made.
std::string FolderAbove(const std::string& folder) {
    if (folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':')
        return {};
    const size_t cut = win::FindLastCharOf(folder, "\\");
    if (cut == std::string::npos || cut == 0)
        return {};
    std::string above = folder.substr(0, cut);
    if (above.size() == 2 && above[1] == ':')
        return above + "\\";
    // "\\server" alone is no folder.
    if (above.compare(0, 2, "\\\\") == 0 && above.find('\\', 2) == std::string::npos)
        return {};
    return above;
}

}  // namespace

win::ResultOf<win::UniqueFile> OpenOrMakeCheckedFolder(const std::string& folder) {
    std::string at = folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
    // The levels that are not there, the deepest first.
    std::vector<std::string> missing;
    win::ResultOf<win::UniqueFile> held = OpenCheckedFolder(at);
    while (!held) {
        if (held.Error() != ERROR_FILE_NOT_FOUND && held.Error() != ERROR_PATH_NOT_FOUND)
            return held;
        std::string above = FolderAbove(at);
        if (above.empty())
            return held;
        missing.push_back(std::move(at));
        at = std::move(above);
        held = OpenCheckedFolder(at);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        // Made while the folder above is held at its checked place, so it goes there.
        if (const win::Result made = win::MakeFolder(*level); !made && made.Error() != ERROR_ALREADY_EXISTS)
            return made;
        held = OpenCheckedFolder(*level);
        if (!held)
            return held;
    }
    return held;
}
