#include "clean/RestoreFiles.h"

#include <windows.h>

#include <vector>

#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "clean/ListedFile.h"
#include "clean/LogEntry.h"
#include "clean/RestorePointTree.h"
#include "win/OpenFileCalls.h"
#include "win/PathParts.h"
#include "win/VerifiedCopy.h"

namespace {

// Removes the folders that the restore emptied, deepest first, then the restore point itself. A
// folder that still holds anything (a file not restored, one added meanwhile, one the listing
// could not reach) stays, and so does every folder above it; a link is never removed.
bool PruneEmptyFolders(const std::vector<std::string>& folders, const std::string& restorePoint) {
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
        (void)RemovePointEntry(*folder, PointEntry::EmptyFolder);
    return static_cast<bool>(RemovePointEntry(restorePoint, PointEntry::EmptyFolder));
}

// The folder a restore writes into, checked once and held while its files go back.
struct TargetFolders {
    std::string path;
    win::UniqueFile held;
    DWORD error = ERROR_SUCCESS;
    SameVolumeCache volumes;
};

// Why a backup was not put back.
struct Kept {
    DWORD error = ERROR_SUCCESS;  // ERROR_SUCCESS: it was put back
    bool targetLinked = false;    // its target folder is reached through a link
};

// Puts one backup back at target. The backup is the file the listing found, opened at its place
// inside the point (no link on the way, not a link itself, the same file id). It goes into a
// folder that is the one its path names (made level by level where missing, no link on the way,
// held meanwhile), as a file created new (an existing file, the user's newer one perhaps, is never
// overwritten), moved when the restore point is on the same volume, else copied. The backup
// leaves the restore point only once it is in place.
Kept Restore(const PointFile& file, const std::string& target, TargetFolders& folders) {
    const win::ResultOf<UnlinkedFile> opened = OpenUnlinkedFile(file.path, GENERIC_READ | DELETE);
    if (!opened)
        return {opened.Error()};
    const win::UniqueFile& backup = opened->file;
    if (file.stamp.fileId != 0 && opened->about.fileId != file.stamp.fileId)
        return {ERROR_REPARSE_TAG_MISMATCH};
    const std::string folder = ParentFolderOf(target);
    if (folder != folders.path) {
        folders.held.reset();
        folders.path = folder;
        win::ResultOf<win::UniqueFile> held = OpenOrMakeCheckedFolder(folder);
        folders.error = held.Error();
        folders.held = std::move(held).Value();
    }
    if (!folders.held)
        return {folders.error, folders.error == ERROR_REPARSE_TAG_MISMATCH};
    if (folders.volumes.Holds(file.path, folder)) {
        if (const win::Result moved = win::RenameOpenFile(backup.get(), target); !moved)
            return {moved.Error()};
        return {};
    }
    if (const win::Result copied = win::CopyOpenFile(backup.get(), target); !copied)
        return {copied.Error()};
    // In place: the backup goes as its handle closes.
    (void)win::DeleteOpenFile(backup.get());
    return {};
}

}  // namespace

RestoreOutcome RestoreFiles(const std::string& restorePoint, const std::string& logFolder,
                            win::JobProgress& progress, const std::atomic<bool>* stop) {
    RestoreOutcome outcome;
    ActivityLog log;
    log.SetDataPath(logFolder);
    LogEntry entry("_LogRestoreFilesHeader");

    progress.SetStatusText(Translate("_RescueDialogStateInitBackupFileList"));
    const PointTree contents = ListPointTree(restorePoint, stop);

    progress.SetStatusText(Translate("_RescueDialogStateCopyBackupFiles"));
    progress.SetProgressRange(static_cast<int>(contents.files.size()));
    TargetFolders folders;
    int k = 0;
    for (const PointFile& file : contents.files) {
        if (stop && stop->load()) {
            outcome.stopped = true;
            break;
        }
        std::string target;
        if (!UnmirrorPath(restorePoint, file.path, target)) {
            ++outcome.skipped;
        } else if (const Kept kept = Restore(file, target, folders); kept.error == ERROR_SUCCESS) {
            ++outcome.restored;
            entry.Add("_LogRestoreFile", {file.path, target});
        } else {
            ++outcome.failed;
            if (kept.targetLinked)
                entry.Add("_LogRestoreFileLinked", {file.path, target});
            else
                entry.Add("_LogRestoreFileFailed", {file.path, target}, kept.error);
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
        outcome.left = static_cast<int>(ListPointTree(restorePoint, nullptr).files.size());
    return outcome;
}
