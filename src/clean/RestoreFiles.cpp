#include "clean/RestoreFiles.h"

#include <windows.h>

#include <vector>

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "scan/SearchFolder.h"
#include "win/CharStep.h"

namespace {

void CollectFile(const std::string& path, const char*, const WIN32_FIND_DATAA&, void* files) {
    static_cast<std::vector<std::string>*>(files)->push_back(path);
}

// Removes the folders from file's own folder up to (not including) the restore point, as far as
// they are empty: what is left of a partly restored point holds only what still waits.
void RemoveEmptyFoldersAbove(const std::string& file, const std::string& restorePoint) {
    std::string folder = file;
    for (;;) {
        const size_t cut = win::FindLastCharOf(folder, "\\");
        if (cut == std::string::npos || cut <= restorePoint.size())
            return;
        folder.resize(cut);
        if (!::RemoveDirectoryA(folder.c_str()))
            return;  // not empty (or not ours to remove)
    }
}

}  // namespace

RestoreOutcome RestoreFiles(const std::string& restorePoint, const std::string& logFolder,
                            RestoreProgress& progress, const std::atomic<bool>* stop) {
    RestoreOutcome outcome;
    ActivityLog log;
    log.SetDataPath(logFolder);
    std::string body = FormatText("%s\r\n\r\n", {Translate("_LogRestoreFilesHeader")});

    progress.SetStatusText(Translate("_RescueDialogStateInitBackupFileList"));
    std::vector<std::string> files;
    SearchFolder(restorePoint, TextMap{{"*", ""}}, CollectFile, &files, {}, true, SearchOptions{}, nullptr,
                 nullptr, stop);

    progress.SetStatusText(Translate("_RescueDialogStateCopyBackupFiles"));
    progress.SetProgressRange(static_cast<int>(files.size()));
    std::vector<std::string> restored;
    int k = 0;
    for (const std::string& file : files) {
        if (stop && stop->load()) {
            outcome.stopped = true;
            break;
        }
        std::string target;
        if (!UnmirrorPath(restorePoint, file, target)) {
            ++outcome.skipped;
        } else {
            EnsureFolderPath(ParentFolderOf(target) + "\\");
            if (::CopyFileA(file.c_str(), target.c_str(), FALSE)) {
                restored.push_back(file);
                body += FormatText(Translate("_LogRestoreFile") + "\r\n\r\n", {file, target});
            } else {
                ++outcome.failed;
                body += FormatText(Translate("_LogRestoreFileFailed") + "\r\n\r\n", {file, target});
            }
        }
        progress.SetProgressPosition(++k);
    }
    // A stop during the listing leaves the list short: nothing may be taken for restored then.
    if (stop && stop->load())
        outcome.stopped = true;
    outcome.restored = static_cast<int>(restored.size());

    if (!body.empty())
        log.AddEntry(Translate("_LogType"), Translate("_LogCategory"), Translate("_LogLogCategoryRestore"),
                     Translate("_LogSource"), body);

    if (outcome.failed == 0 && !outcome.stopped) {
        progress.SetStatusText(Translate("_RescueDialogStateRemoveBackupFiles"));
        outcome.removed = RemoveRestorePoint(restorePoint);
    } else {
        // Only the backups that are back in place leave the restore point.
        for (const std::string& file : restored) {
            if (::DeleteFileA(file.c_str()))
                RemoveEmptyFoldersAbove(file, restorePoint);
        }
    }
    return outcome;
}
