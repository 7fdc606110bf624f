#include "clean/RestoreFiles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "clean/ListedFile.h"
#include "clean/LogEntry.h"
#include "scan/SearchFolder.h"
#include "win/FileSystem.h"
#include "win/PathParts.h"

namespace {

// What the listing of a restore point found: its files, and its folders to prune afterwards.
struct PointContents : SearchVisitor {
    std::vector<std::string> files;
    std::vector<std::string> folders;

    void FileFound(const std::string& path, std::string_view, const FoundRecord&) override {
        files.push_back(path);
    }
    void FolderEntered(const std::string& path, const FoundRecord& record) override {
        const std::string name = win::NamePartOf(path);
        // A folder link is not the restore point's own: it is never removed.
        if (name != "." && name != ".." && !(record.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            folders.push_back(path);
    }
};

PointContents ListRestorePoint(const std::string& restorePoint, const std::atomic<bool>* stop) {
    PointContents contents;
    SearchRequest everything;
    everything.masks = {{"*", ""}};
    everything.stop = stop;
    SearchFolder(restorePoint, everything, contents);
    return contents;
}

// Removes the folders that the restore emptied, deepest first, then the restore point itself. A
// folder that still holds anything (a file not restored, one added meanwhile, one the listing
// could not reach) stays, and so does every folder above it.
bool PruneEmptyFolders(std::vector<std::string> folders, const std::string& restorePoint) {
    std::sort(folders.begin(), folders.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& folder : folders)
        win::RemoveFolder(folder);
    return win::RemoveFolder(restorePoint);
}

// The folder a restore writes into, checked once and held while its files go back.
struct TargetFolders {
    std::string path;
    win::UniqueFile held;
    DWORD error = ERROR_SUCCESS;
    SameVolumeCache volumes;
};

// Puts one backup back at target: into a folder that is the one its path names (no link on the
// way, held meanwhile), as a file created new (an existing file, the user's newer one perhaps,
// is never overwritten), moved when the restore point is on the same volume, else copied. The
// backup leaves the restore point only once it is in place. ERROR_SUCCESS, or why it stays
// (ERROR_REPARSE_TAG_MISMATCH for a link).
DWORD Restore(const std::string& file, const std::string& target, TargetFolders& folders) {
    const std::string folder = ParentFolderOf(target);
    if (folder != folders.path) {
        folders.held.reset();
        EnsureFolderPath(folder + "\\");
        folders.path = folder;
        folders.held = OpenCheckedFolder(folder, folders.error);
    }
    if (!folders.held)
        return folders.error;
    // The backup itself is opened as it is, a link as a link: moving or copying it never touches
    // what a link would lead to.
    win::UniqueFile backup = win::OpenFile(file, GENERIC_READ | DELETE, FILE_SHARE_READ, OPEN_EXISTING,
                                           FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!backup)
        return ::GetLastError();
    if (folders.volumes.Holds(file, folder)) {
        return win::RenameOpenFile(backup.get(), target).Error();
    }
    if (const win::Result copied = win::CopyOpenFile(backup.get(), target); !copied)
        return copied.Error();
    // In place: the backup goes as its handle closes.
    (void)win::DeleteOpenFile(backup.get());
    return ERROR_SUCCESS;
}

}  // namespace

RestoreOutcome RestoreFiles(const std::string& restorePoint, const std::string& logFolder,
                            win::JobProgress& progress, const std::atomic<bool>* stop) {
    RestoreOutcome outcome;
    ActivityLog log;
    log.SetDataPath(logFolder);
    LogEntry entry("_LogRestoreFilesHeader");

    progress.SetStatusText(Translate("_RescueDialogStateInitBackupFileList"));
    const PointContents contents = ListRestorePoint(restorePoint, stop);

    progress.SetStatusText(Translate("_RescueDialogStateCopyBackupFiles"));
    progress.SetProgressRange(static_cast<int>(contents.files.size()));
    TargetFolders folders;
    int k = 0;
    for (const std::string& file : contents.files) {
        if (stop && stop->load()) {
            outcome.stopped = true;
            break;
        }
        std::string target;
        if (!UnmirrorPath(restorePoint, file, target)) {
            ++outcome.skipped;
        } else if (const DWORD error = Restore(file, target, folders); error == ERROR_SUCCESS) {
            ++outcome.restored;
            entry.Add("_LogRestoreFile", {file, target});
        } else {
            ++outcome.failed;
            entry.Add(error == ERROR_REPARSE_TAG_MISMATCH ? "_LogRestoreFileLinked" : "_LogRestoreFileFailed",
                      {file, target}, error == ERROR_REPARSE_TAG_MISMATCH ? ERROR_SUCCESS : error);
        }
        progress.SetProgressPosition(++k);
    }
    // A stop during the listing leaves the list short: nothing may be taken for restored then.
    if (stop && stop->load())
        outcome.stopped = true;

    entry.Write(log, "_LogLogCategoryRestore");

    if (!outcome.stopped)
        progress.SetStatusText(Translate("_RescueDialogStateRemoveBackupFiles"));
    outcome.removed = PruneEmptyFolders(contents.folders, restorePoint);
    if (!outcome.removed)
        outcome.left = static_cast<int>(ListRestorePoint(restorePoint, nullptr).files.size());
    return outcome;
}
