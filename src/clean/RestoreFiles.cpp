#include "clean/RestoreFiles.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
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
    int k = 0;
    for (const std::string& file : contents.files) {
        if (stop && stop->load()) {
            outcome.stopped = true;
            break;
        }
        std::string target;
        if (!UnmirrorPath(restorePoint, file, target)) {
            ++outcome.skipped;
        } else {
            EnsureFolderPath(ParentFolderOf(target) + "\\");
            if (win::CopyFileTo(file, target, false)) {
                ++outcome.restored;
                entry.Add("_LogRestoreFile", {file, target});
                // The backup leaves the restore point only once its copy is back in place.
                win::RemoveFile(file);
            } else {
                ++outcome.failed;
                entry.Add("_LogRestoreFileFailed", {file, target}, ::GetLastError());
            }
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
