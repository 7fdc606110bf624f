#include "clean/CleaningEngine.h"

#include <shellapi.h>

#include <set>

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "win/ComPtr.h"

namespace {

// The text of one phase's log entry: the header, a blank line, then each file's line and a blank line.
class LogBody {
public:
    explicit LogBody(const char* headerKey) : text_(FormatText("%s\r\n\r\n", {Translate(headerKey)})) {}
    void Add(const char* lineKey, std::initializer_list<FormatArg> paths) {
        text_ += FormatText(Translate(lineKey) + "\r\n\r\n", paths);
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

class CleaningRun {
public:
    explicit CleaningRun(CleaningJob& job) : job_(job) {
        log_.SetDataPath(job.logFolder);
        SetRange(static_cast<int>(job.cleaningSet.size()));
    }

    bool Stopped() const { return job_.worker.StopRequested(); }

    // Copies every file into a new restore point. A file whose copy fails is remembered, so the
    // removal that follows keeps it: without its backup it must not be lost.
    bool Backup() {
        LogBody body("_LogBackupFilesHeader");
        SetPosition(0);
        SetStatus("_CleaningPageStateBackup");
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const std::string restorePoint = RestorePointPath(job_.backupFolder, RestorePointName(now));
        int k = 0;
        for (const auto& [path, reason] : job_.cleaningSet) {
            if (Stopped()) return false;
            const std::string backupPath = restorePoint + "\\" + MirrorPath(path);
            EnsureFolderPath(ParentFolderOf(backupPath) + "\\");
            if (!HasWildcard(path) && ::CopyFileA(path.c_str(), backupPath.c_str(), FALSE)) {
                body.Add("_LogSaveFile", {path, backupPath});
            } else {
                notBackedUp_.insert(path);
                body.Add("_LogSaveFileFailed", {path, backupPath});
            }
            SetPosition(++k);
        }
        AddEntry("_LogLogCategoryBackup", body);
        return true;
    }

    bool DeletePermanently() {
        LogBody body("_LogPermanentlyDeleteFilesHeader");
        SetStatus("_CleaningPageStatePermanentlyDelete");
        int k = 0;
        for (const auto& [path, reason] : job_.cleaningSet) {
            if (Stopped()) return false;
            if (notBackedUp_.count(path)) {
                body.Add("_LogKeepFile", {path});
            } else if (HasWildcard(path)) {
                body.Add("_LogDeleteFileFailed", {path});
            } else {
                body.Add(DeleteOrSchedule(path) ? "_LogDeleteFile" : "_LogDeleteFileFailed", {path});
            }
            SetPosition(++k);
        }
        AddEntry("_LogLogCategoryDelete", body);
        return true;
    }

    bool MoveToRecycleBin() {
        LogBody body("_LogRemoveToRecyclebinFilesHeader");
        SetStatus("_CleaningPageStateMoveToRecycleBin");
        SHFILEOPSTRUCTA operation{};
        operation.wFunc = FO_DELETE;
        operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO;
        int k = 0;
        for (const auto& [path, reason] : job_.cleaningSet) {
            if (Stopped()) return false;
            if (notBackedUp_.count(path)) {
                body.Add("_LogKeepFile", {path});
            } else if (!IsSafeToRemove(path)) {
                // The shell reads '*' and '?' as wildcards and would remove other files.
                body.Add("_LogDeleteFileFailed", {path});
            } else {
                std::string list = path + '\0';  // the string's own terminator makes the second NUL
                operation.pFrom = list.c_str();
                operation.fAnyOperationsAborted = FALSE;
                const bool moved = ::SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted &&
                                   ::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
                body.Add(moved ? "_LogDeleteFile" : "_LogDeleteFileFailed", {path});
            }
            SetPosition(++k);
        }
        AddEntry("_LogLogCategoryDelete", body);
        return true;
    }

    void SetPosition(int position) {
        if (job_.progress) job_.progress->SetProgressPosition(position);
    }
    void SetStatus(const char* key) {
        if (job_.progress) job_.progress->SetStatusText(Translate(key));
    }

private:
    static bool HasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

    // Deletes the file, or has the system delete it at the next restart when it is in use. A file
    // that is not there is not scheduled: nothing of it could be deleted.
    static bool DeleteOrSchedule(const std::string& path) {
        if (::DeleteFileA(path.c_str())) return true;
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
        return ::MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    }

    void SetRange(int maximum) {
        if (job_.progress) job_.progress->SetProgressRange(maximum);
    }

    void AddEntry(const char* subcategoryKey, const LogBody& body) {
        if (body.Text().empty()) return;
        log_.AddEntry(Translate("_LogType"), Translate("_LogCategory"), Translate(subcategoryKey),
                      Translate("_LogSource"), body.Text());
    }

    CleaningJob& job_;
    ActivityLog log_;
    std::set<std::string> notBackedUp_;
};

DWORD WINAPI CleaningThread(void* job) { return RunCleaning(*static_cast<CleaningJob*>(job)); }

}  // namespace

bool StartCleaning(CleaningJob& job) {
    if (job.worker.IsRunning()) return false;
    if (job.progress) job.progress->EnableStopButton(true);
    return job.worker.Start(CleaningThread, &job);
}

DWORD RunCleaning(CleaningJob& job) {
    win::ComApartment com;
    {
        CleaningRun run(job);
        if (job.backup && !run.Backup()) return 0;
        run.SetPosition(0);
        if (job.deletePermanently) {
            if (!run.DeletePermanently()) return 0;
        } else if (job.moveToRecycleBin) {
            if (!run.MoveToRecycleBin()) return 0;
        }
        // A stop that came first has taken over the ending.
        if (!job.worker.FinishFromWorker()) return 0;
        run.SetStatus("_CleaningPageStateComplete");
    }  // the log component is released here, before the page hears of the end
    if (job.progress) job.progress->EnableStopButton(false);
    // The last use of the job: its owner may reuse or destroy it from here on.
    if (job.completionCallback) job.completionCallback(job.completionContext);
    return 0;
}

bool StopCleaning(CleaningJob& job) {
    if (!job.worker.Stop()) return false;
    if (job.progress) {
        job.progress->EnableStopButton(false);
        job.progress->SetProgressPosition(0);
        job.progress->SetStatusText(Translate("_CleaningPageStateStopped"));
    }
    if (job.completionCallback) job.completionCallback(job.completionContext);
    return true;
}
