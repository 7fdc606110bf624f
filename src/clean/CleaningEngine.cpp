#include "clean/CleaningEngine.h"

#include <shellapi.h>

#include <atomic>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "clean/EmptyFolders.h"
#include "clean/ListedFile.h"
#include "clean/PointExpiry.h"
#include "clean/LogEntry.h"
#include "core/LocaleText.h"
#include "win/ComPtr.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

class CleaningRun {
  public:
    CleaningRun(CleaningJob& job, win::StopToken stop) : job_(job), stop_(stop) {
        log_.SetDataPath(job.logFolder);
        job.everyFileHandled = true;
        job.keptInUse = 0;
        job.counts = {};
        SetRange(static_cast<int>(job.cleaningSet.Count()));
    }

    bool Stopped() const { return stop_.StopRequested(); }

    // Gives back the space of the restore points the user keeps for a limited time, before this
    // run adds its own; false when stopped meanwhile.
    bool RemoveExpiredPoints() {
        if (job_.pointExpiryDays <= 0)
            return true;
        SetStatus("_CleaningPageStateExpiredPoints");
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        const ExpiryOutcome outcome =
            RemoveExpiredRestorePoints(job_.backupFolder, job_.pointExpiryDays, now, log_, stop_.Flag());
        return !outcome.stopped && !Stopped();
    }

    // Saves every file into a new restore point: moved there when it is to be deleted anyway and
    // the point is on its volume (a rename: nothing copied, and never half done), else copied.
    // Each file is checked first against its listing, and a file that is not saved is
    // remembered, so the removal that follows keeps it: without its backup it must not be lost.
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
        HeldFolder held;
        for (size_t i = 0; i < job_.cleaningSet.Count(); ++i) {
            const std::string path(job_.cleaningSet.Path(i));
            if (Stopped()) {
                held = {};
                RemoveIfEmpty(restorePoint);
                entry.Write(log_, "_LogLogCategoryBackup");
                return false;
            }
            if (!pointTried && win::IsFullPath(path)) {
                pointTried = true;
                win::ResultOf<std::string> made = CreateRestorePoint(job_.backupFolder, now);
                pointError = made.Error();
                restorePoint = std::move(made).Value();
            }
            const std::string backupPath =
                (restorePoint.empty() ? plannedPoint : restorePoint) + "\\" + MirrorPath(path);
            Outcome& outcome = outcomes_.emplace_back();
            ListedFile listed(path, job_.cleaningSet.Stamp(i));
            outcome.state = listed.State();
            outcome.error = listed.Error();
            if (outcome.state == ListedState::Same && restorePoint.empty())
                outcome.error = pointError;
            if (outcome.state == ListedState::Same && !restorePoint.empty())
                Save(listed, path, backupPath, restorePoint, held, outcome);
            listed.Close();
            // A file the check refused is named once, here, with its reason; the removal's entry
            // then says nothing more of it. One that could not be backed up is also named there.
            if (outcome.saved != Saved::Kept) {
                job_.counts.bytesHeld += job_.cleaningSet.Size(i);
                entry.Add("_LogSaveFile", {path, backupPath});
            } else if (NotBackedUp(outcome))
                Failure(entry, "_LogSaveFileFailed", {path, backupPath}, outcome.error);
            else
                Kept(entry, path, outcome.state, outcome.error);
            SetPosition(static_cast<int>(i + 1));
        }
        held = {};
        RemoveIfEmpty(restorePoint);
        if (!restorePoint.empty() && win::FileAttributes(restorePoint))
            job_.counts.restorePoint = restorePoint;
        entry.Write(log_, "_LogLogCategoryBackup");
        return true;
    }

    // Deletes each file permanently or moves it to the Recycle Bin, as the job says, each checked
    // against its listing first. A file whose backup failed is kept, and so is one that changed,
    // is in use or is now reached through a link. A file already moved into the restore point is
    // removed from its place and only logged.
    bool Remove() {
        const bool recycle = job_.removal == RemovalMode::RecycleBin;
        LogEntry entry(recycle ? "_LogRemoveToRecyclebinFilesHeader" : "_LogPermanentlyDeleteFilesHeader");
        SetStatus(recycle ? "_CleaningPageStateMoveToRecycleBin" : "_CleaningPageStatePermanentlyDelete");
        for (size_t i = 0; i < job_.cleaningSet.Count(); ++i) {
            const std::string path(job_.cleaningSet.Path(i));
            const Outcome* saved = i < outcomes_.size() ? &outcomes_[i] : nullptr;
            if (saved && saved->saved == Saved::Moved) {
                Removed(entry, i, path, Gone::IntoRestorePoint);
            } else if (Stopped()) {
                entry.Write(log_, "_LogLogCategoryDelete");
                return false;
            } else if (saved && saved->saved == Saved::Kept) {
                if (NotBackedUp(*saved)) {
                    ++job_.counts.kept;
                    Failure(entry, "_LogKeepFile", {path});
                }
            } else if (!win::IsFullPath(path) ||
                       (recycle && (!IsExactFilePath(path) || !IsSafeToRemove(path)))) {
                // The shell reads a final dot or blank, wildcards and long paths in its own ways.
                Failed(entry, "_LogDeleteFileFailed", {path});
            } else if (recycle) {
                MoveToRecycleBin(entry, path, i);
            } else {
                DeletePermanently(entry, path, i);
            }
            SetPosition(static_cast<int>(i + 1));
        }
        entry.Write(log_, "_LogLogCategoryDelete");
        return true;
    }

    // Removes, deepest first, the folders the cleaning emptied below the folders that go once
    // emptied: each counts only the files its own place listed, so another place's or a root's
    // files never take a rule's folders with them.
    void RemoveEmptiedFolders() {
        for (const EmptiedFolderRule& rule : job_.emptiedFoldersGo) {
            std::vector<std::string> ownFiles;
            for (size_t row : removed_)
                if (job_.cleaningSet.Reason(row) == rule.reason)
                    ownFiles.emplace_back(job_.cleaningSet.Path(row));
            ::RemoveEmptiedFolders(rule.folder, ownFiles, job_.foldersThatStay);
        }
    }

    void SetPosition(int position) {
        if (job_.progress)
            job_.progress->SetProgressPosition(position);
    }

  private:
    enum class Saved { Copied, Moved, Kept };
    // What the backup did with one file.
    struct Outcome {
        Saved saved = Saved::Kept;
        ListedState state = ListedState::Unreadable;
        DWORD error = ERROR_SUCCESS;
    };

    // The restore point's folder the last backup went into, held while files go in.
    struct HeldFolder {
        std::string path;
        win::UniqueFile handle;
        DWORD error = ERROR_SUCCESS;  // why the folder last tried could not be held

        // Holds folder, made level by level inside the restore point, each level checked and
        // held before the next is made in it: nothing is made through a link.
        void Hold(const std::string& folder) {
            if (folder == path)
                return;
            handle.reset();
            win::ResultOf<win::UniqueFile> opened = OpenOrMakeCheckedFolder(folder);
            error = opened.Error();
            handle = std::move(opened).Value();
            path = handle ? folder : std::string();
        }
    };

    // Saves one checked file at backupPath in the restore point: moved there when it is to be
    // deleted anyway and the point is on its volume, else copied; outcome says which, or why not.
    void Save(ListedFile& listed, const std::string& path, const std::string& backupPath,
              const std::string& restorePoint, HeldFolder& held, Outcome& outcome) {
        held.Hold(ParentFolderOf(backupPath));
        win::Result saved = win::Result::Failed(held.error);
        if (held.handle && job_.removal == RemovalMode::Permanent && volumes_.Holds(path, restorePoint)) {
            if ((saved = listed.MoveTo(backupPath)))
                outcome.saved = Saved::Moved;
        } else if (held.handle) {
            if ((saved = listed.CopyTo(backupPath)))
                outcome.saved = Saved::Copied;
        }
        outcome.error = saved.Error();
    }

    // A file the check found as listed (or could not check) whose backup failed; the others were
    // refused by the check for a reason of their own.
    static bool NotBackedUp(const Outcome& outcome) {
        return outcome.saved == Saved::Kept &&
               (outcome.state == ListedState::Same || outcome.state == ListedState::Unreadable);
    }

    // Where a removed file went, for the counts: only a deletion frees its space.
    enum class Gone { Deleted, IntoRestorePoint, IntoRecycleBin };

    // A file that left its place: logged, counted, and remembered for the folders it may have emptied.
    void Removed(LogEntry& entry, size_t row, const std::string& path, Gone gone, uint64_t size = 0) {
        entry.Add("_LogDeleteFile", {path});
        if (gone == Gone::IntoRecycleBin) {
            ++job_.counts.recycled;
        } else {
            ++job_.counts.removed;
            if (gone == Gone::Deleted)
                job_.counts.bytesFreed += size;
        }
        if (!job_.emptiedFoldersGo.empty())
            removed_.push_back(row);
    }

    // A file that keeps its place (or its backup failed) is written to the log, with the system's
    // reason where there is one, and remembered.
    void Failure(LogEntry& entry, const char* lineKey, std::initializer_list<FormatArg> args,
                 DWORD error = ERROR_SUCCESS) {
        entry.Add(lineKey, args, error);
        job_.everyFileHandled = false;
    }

    // A file that could not be removed, counted as failed.
    void Failed(LogEntry& entry, const char* lineKey, std::initializer_list<FormatArg> args,
                DWORD error = ERROR_SUCCESS) {
        ++job_.counts.failed;
        Failure(entry, lineKey, args, error);
    }

    // A file the check refused to touch, with the reason it gives: kept when it is there but not
    // as reviewed, failed when it is gone or could not be checked.
    void Kept(LogEntry& entry, const std::string& path, ListedState state, DWORD error) {
        switch (state) {
            case ListedState::InUse:
                ++job_.keptInUse;
                ++job_.counts.kept;
                Failure(entry, "_LogDeleteFileAtRestart", {path});
                break;
            case ListedState::Linked:
                ++job_.counts.kept;
                Failure(entry, "_LogKeepFileLinked", {path});
                break;
            case ListedState::Changed:
                ++job_.counts.kept;
                Failure(entry, "_LogKeepFileChanged", {path});
                break;
            case ListedState::Gone:
                Failed(entry, "_LogFileGone", {path});
                break;
            default:
                Failed(entry, "_LogDeleteFileFailed", {path}, error);
                break;
        }
    }

    // Deletes the file through the handle its check opened. A file in use is kept: nothing is
    // left for the system to delete at the next restart, when the path may lead elsewhere.
    void DeletePermanently(LogEntry& entry, const std::string& path, size_t row) {
        ListedFile listed(path, job_.cleaningSet.Stamp(row));
        if (listed.State() != ListedState::Same) {
            Kept(entry, path, listed.State(), listed.Error());
            return;
        }
        if (const win::Result removed = listed.Remove())
            Removed(entry, row, path, Gone::Deleted, job_.cleaningSet.Size(row));
        else
            Failed(entry, "_LogDeleteFileFailed", {path}, removed.Error());
    }

    // Moves the file to the Recycle Bin. The file is checked and held open across the shell's call,
    // shared only so that the shell can move it, while its folder is held (so that, on Windows, no
    // folder on the way can be swapped); afterwards the open file tells where it went, and only a
    // file now in the bin counts as recycled. Another file that took its name meanwhile may have
    // gone to the bin instead: the reviewed one is then kept and the row fails (the other can be
    // restored from the bin). Where the bin cannot take a file, the shell asks the user whether to
    // delete it permanently instead; a file the user keeps that way is logged as kept. Unwatched,
    // the shell shows no error and its question is answered No at once.
    void MoveToRecycleBin(LogEntry& entry, const std::string& path, size_t row) {
        const FileStamp& stamp = job_.cleaningSet.Stamp(row);
        win::ResultOf<win::UniqueFile> folder = OpenCheckedFolder(ParentFolderOf(path));
        if (!folder) {
            const DWORD error = folder.Error();
            Kept(entry, path,
                 error == ERROR_REPARSE_TAG_MISMATCH ? ListedState::Linked : ListedState::Unreadable, error);
            return;
        }
        ListedFile listed(path, stamp, ListedFile::Sharing::ReadingAndMoving);
        if (listed.State() != ListedState::Same) {
            Kept(entry, path, listed.State(), listed.Error());
            return;
        }
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
        const int result =
            job_.shellOperation ? job_.shellOperation(operation) : ::SHFileOperationW(&operation);
        refuse.reset();
        const bool done = result == 0 && !operation.fAnyOperationsAborted;
        ListedPlace place = listed.Place();
        listed.Close();
        // A deletion that waited for this handle (Wine does not report it as pending) takes the
        // file as the handle closes: the path the file was at while held then names nothing.
        if (place == ListedPlace::AtPath) {
            const DWORD missing = win::FileAttributes(path).Error();
            if (missing == ERROR_FILE_NOT_FOUND || missing == ERROR_PATH_NOT_FOUND)
                place = ListedPlace::Deleted;
        }
        folder->reset();
        switch (place) {
            case ListedPlace::RecycleBin:
                Removed(entry, row, path, Gone::IntoRecycleBin);
                break;
            case ListedPlace::Deleted:  // with the user's consent, where the bin could not take it
                Removed(entry, row, path, Gone::Deleted, job_.cleaningSet.Size(row));
                break;
            case ListedPlace::Elsewhere:
                if (done) {
                    Failed(entry, "_LogRecycleTookOther", {path});
                    break;
                }
                [[fallthrough]];
            case ListedPlace::AtPath:
                ShellFailure(entry, "_LogRecycleFileKept", {path}, result);
                break;
            case ListedPlace::Unknown:
                ShellFailure(entry, "_LogDeleteFileFailed", {path}, result);
                break;
        }
    }

    // A file the shell's operation left, with the shell's own return code where it gave one.
    void ShellFailure(LogEntry& entry, const char* lineKey, std::initializer_list<FormatArg> args, int code) {
        entry.AddShellFailure(lineKey, args, code);
        ++job_.counts.failed;
        job_.everyFileHandled = false;
    }

    static LRESULT CALLBACK RefuseQuestion(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            HWND question = reinterpret_cast<HWND>(wParam);
            ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            ::PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void SetStatus(const char* key) {
        if (job_.progress)
            job_.progress->SetStatusText(Translate(key));
    }

    // A restore point whose copies all failed holds nothing to restore: it is not left behind.
    static void RemoveIfEmpty(const std::string& restorePoint) {
        if (!restorePoint.empty())
            (void)win::RemoveFolder(restorePoint);
    }

    void SetRange(int maximum) {
        if (job_.progress)
            job_.progress->SetProgressRange(maximum);
    }

    CleaningJob& job_;
    const win::StopToken stop_;
    ActivityLog log_;
    std::vector<Outcome> outcomes_;  // what the backup did, by row of the cleaning set
    std::vector<size_t> removed_;    // the rows removed, when emptied folders are to go
    SameVolumeCache volumes_;
};

// What a finished run did, in one line: "complete" only when every file was handled.
std::string FinishedText(const CleaningJob& job) {
    const CleaningJob::Counts& counts = job.counts;
    if (job.everyFileHandled)
        return FormatText(Translate("_CleaningPageStateCompleteCounts"),
                          {CountText(counts.removed), CountText(counts.recycled)});
    return FormatText(Translate("_CleaningPageStateFinishedKept"),
                      {CountText(counts.removed), CountText(counts.recycled), CountText(counts.kept),
                       CountText(counts.failed)});
}

// The ending of a run, called exactly once by the job: the final texts, then the completion.
void EndCleaning(CleaningJob& job, win::JobEnd end) {
    if (win::JobProgress* progress = job.progress) {
        if (end == win::JobEnd::Stopped) {
            progress->ShowRunning(false);
            progress->SetProgressPosition(0);
            progress->SetStatusText(Translate("_CleaningPageStateStopped"));
        } else {
            // A fault ended the run before its next file operation: for the user it has stopped.
            progress->SetStatusText(end == win::JobEnd::Finished ? FinishedText(job)
                                                                 : Translate("_CleaningPageStateStopped"));
            progress->ShowRunning(false);
        }
    }
    job.end = end;
    if (job.completed)
        job.completed();
}

}  // namespace

bool StartCleaning(CleaningJob& job) {
    if (job.worker.IsRunning())
        return false;
    if (job.progress)
        job.progress->ShowRunning(true);
    const bool started = job.worker.Start([&job](win::StopToken stop) { RunCleaning(job, stop); },
                                          [&job](win::JobEnd end) { EndCleaning(job, end); });
    if (started)
        return true;
    if (job.progress)
        job.progress->ShowRunning(false);
    return false;
}

void RunCleaning(CleaningJob& job, win::StopToken stop) {
    win::ComApartment com;
    // The log component goes with the run, before the page hears of the end.
    CleaningRun run(job, stop);
    if (!run.RemoveExpiredPoints())
        return;
    if (job.backup && !run.Backup())
        return;
    run.SetPosition(0);
    if (run.Remove())
        run.RemoveEmptiedFolders();
}

bool StopCleaning(CleaningJob& job) {
    return job.worker.Stop();
}
