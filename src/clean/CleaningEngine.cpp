#include "clean/CleaningEngine.h"

#include <shellapi.h>

#include <atomic>
#include <set>

#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "clean/LogEntry.h"
#include "win/ComPtr.h"
#include "win/FileSystem.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

class CleaningRun {
  public:
    CleaningRun(CleaningJob& job, win::StopToken stop) : job_(job), stop_(stop) {
        log_.SetDataPath(job.logFolder);
        job.everyFileHandled = true;
        SetRange(static_cast<int>(job.cleaningSet.Count()));
    }

    bool Stopped() const { return stop_.StopRequested(); }

    // Copies every file into a new restore point. A file whose copy fails is remembered, so the
    // removal that follows keeps it: without its backup it must not be lost.
    bool Backup() {
        LogEntry entry("_LogBackupFilesHeader");
        SetPosition(0);
        SetStatus("_CleaningPageStateBackup");
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        // Made with the first file, so a run that backs nothing up leaves no folder behind.
        std::string restorePoint;
        bool pointTried = false;
        DWORD pointError = ERROR_SUCCESS;
        const std::string plannedPoint = RestorePointPath(job_.backupFolder, RestorePointName(now));
        int k = 0;
        for (const auto& [file, reason] : job_.cleaningSet) {
            const std::string path(file);
            if (Stopped()) {
                RemoveIfEmpty(restorePoint);
                return false;
            }
            // The file calls read a full path exactly, at any length; anything else names no one file.
            const bool exact = win::IsFullPath(path);
            if (exact && !pointTried) {
                pointTried = true;
                restorePoint = CreateRestorePoint(job_.backupFolder, now);
                if (restorePoint.empty())
                    pointError = ::GetLastError();
            }
            const std::string backupPath =
                (restorePoint.empty() ? plannedPoint : restorePoint) + "\\" + MirrorPath(path);
            DWORD error = restorePoint.empty() ? pointError : ERROR_SUCCESS;
            bool saved = false;
            if (exact && !restorePoint.empty()) {
                EnsureFolderPath(ParentFolderOf(backupPath) + "\\");
                // Never over another file's backup: two names that reach one mirrored path keep the first.
                saved = win::CopyFileTo(path, backupPath, true);
                if (!saved)
                    error = ::GetLastError();
            }
            if (saved) {
                entry.Add("_LogSaveFile", {path, backupPath});
            } else {
                notBackedUp_.insert(path);
                Failure(entry, "_LogSaveFileFailed", {path, backupPath}, exact ? error : ERROR_SUCCESS);
            }
            SetPosition(++k);
        }
        RemoveIfEmpty(restorePoint);
        entry.Write(log_, "_LogLogCategoryBackup");
        return true;
    }

    // Deletes each file permanently or moves it to the Recycle Bin, as the job says. A file whose
    // backup failed is kept, and so is one whose path would reach another file.
    bool Remove() {
        const bool recycle = job_.removal == RemovalMode::RecycleBin;
        LogEntry entry(recycle ? "_LogRemoveToRecyclebinFilesHeader" : "_LogPermanentlyDeleteFilesHeader");
        SetStatus(recycle ? "_CleaningPageStateMoveToRecycleBin" : "_CleaningPageStatePermanentlyDelete");
        int k = 0;
        for (const auto& [file, reason] : job_.cleaningSet) {
            const std::string path(file);
            if (Stopped())
                return false;
            if (notBackedUp_.count(path))
                Failure(entry, "_LogKeepFile", {path});
            else if (!win::IsFullPath(path) || (recycle && (!IsExactFilePath(path) || !IsSafeToRemove(path))))
                Failure(entry, "_LogDeleteFileFailed", {path});
            else if (recycle)
                MoveToRecycleBin(entry, path);
            else
                DeletePermanently(entry, path);
            SetPosition(++k);
        }
        entry.Write(log_, "_LogLogCategoryDelete");
        return true;
    }

    // A file that keeps its place (or its backup failed) is written to the log, with the system's
    // reason where there is one, and remembered.
    void Failure(LogEntry& entry, const char* lineKey, std::initializer_list<FormatArg> args,
                 DWORD error = ERROR_SUCCESS) {
        entry.Add(lineKey, args, error);
        job_.everyFileHandled = false;
    }

    // Deletes the file, or has the system delete it at the next restart when it is in use. A file
    // that is not there is not scheduled: nothing of it could be deleted.
    void DeletePermanently(LogEntry& entry, const std::string& path) {
        if (win::RemoveFile(path)) {
            entry.Add("_LogDeleteFile", {path});
            return;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            ::MoveFileExW(win::FileApiPath(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
            Failure(entry, "_LogDeleteFileAtRestart", {path});
        else
            Failure(entry, "_LogDeleteFileFailed", {path}, error);
    }

    // Moves the file to the Recycle Bin. Where the bin cannot take it, the shell asks the user
    // whether to delete it permanently instead; a file the user keeps that way is logged as kept.
    // Unwatched, the shell shows no error and its question is answered No at once.
    void MoveToRecycleBin(LogEntry& entry, const std::string& path) {
        std::wstring list = win::Wide(path) + L'\0';  // the string's own terminator makes the second NUL
        SHFILEOPSTRUCTW operation{};
        operation.hwnd = job_.promptOwner;
        operation.wFunc = FO_DELETE;
        operation.pFrom = list.c_str();
        operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_WANTNUKEWARNING;
        win::UniqueHook refuse;
        if (!job_.canAsk) {
            operation.fFlags |= FOF_NOERRORUI;
            refuse.reset(::SetWindowsHookExW(WH_CBT, RefuseQuestion, nullptr, ::GetCurrentThreadId()));
        }
        const int result = ::SHFileOperationW(&operation);
        refuse.reset();
        const bool stillThere = win::FileAttributes(path) != INVALID_FILE_ATTRIBUTES;
        if (result == 0 && !operation.fAnyOperationsAborted && !stillThere)
            entry.Add("_LogDeleteFile", {path});
        else if (stillThere)
            Failure(entry, "_LogRecycleFileKept", {path}, static_cast<DWORD>(result));
        else
            Failure(entry, "_LogDeleteFileFailed", {path}, static_cast<DWORD>(result));
    }

    static LRESULT CALLBACK RefuseQuestion(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            HWND question = reinterpret_cast<HWND>(wParam);
            ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void SetPosition(int position) {
        if (job_.progress)
            job_.progress->SetProgressPosition(position);
    }
    void SetStatus(const char* key) {
        if (job_.progress)
            job_.progress->SetStatusText(Translate(key));
    }

  private:
    // A restore point whose copies all failed holds nothing to restore: it is not left behind.
    static void RemoveIfEmpty(const std::string& restorePoint) {
        if (!restorePoint.empty())
            win::RemoveFolder(restorePoint);
    }

    void SetRange(int maximum) {
        if (job_.progress)
            job_.progress->SetProgressRange(maximum);
    }

    CleaningJob& job_;
    const win::StopToken stop_;
    ActivityLog log_;
    std::set<std::string> notBackedUp_;
};

// Cleanings whose body has not yet returned, in the whole process.
std::atomic<int> g_cleaningsRunning{0};

// The ending of a run, called exactly once by the job: the final texts, then the completion.
void EndCleaning(CleaningJob& job, win::JobEnd end) {
    if (win::JobProgress* progress = job.progress) {
        if (end == win::JobEnd::Stopped) {
            progress->ShowRunning(false);
            progress->SetProgressPosition(0);
            progress->SetStatusText(Translate("_CleaningPageStateStopped"));
        } else {
            // A fault ended the run before its next file operation: for the user it has stopped.
            progress->SetStatusText(Translate(end == win::JobEnd::Finished ? "_CleaningPageStateComplete"
                                                                           : "_CleaningPageStateStopped"));
            progress->ShowRunning(false);
        }
    }
    if (job.completed)
        job.completed();
}

}  // namespace

bool AnyCleaningRunning() {
    return g_cleaningsRunning.load() > 0;
}

bool StartCleaning(CleaningJob& job) {
    if (job.worker.IsRunning())
        return false;
    if (job.progress)
        job.progress->ShowRunning(true);
    ++g_cleaningsRunning;
    const bool started = job.worker.Start(
        [&job](win::StopToken stop) {
            // Counted down however the body ends, also when its owner goes away mid-run.
            struct Done {
                ~Done() { --g_cleaningsRunning; }
            } done;
            RunCleaning(job, stop);
        },
        [&job](win::JobEnd end) { EndCleaning(job, end); });
    if (started)
        return true;
    --g_cleaningsRunning;
    if (job.progress)
        job.progress->ShowRunning(false);
    return false;
}

void RunCleaning(CleaningJob& job, win::StopToken stop) {
    win::ComApartment com;
    // The log component goes with the run, before the page hears of the end.
    CleaningRun run(job, stop);
    if (job.backup && !run.Backup())
        return;
    run.SetPosition(0);
    run.Remove();
}

bool StopCleaning(CleaningJob& job) {
    return job.worker.Stop();
}
