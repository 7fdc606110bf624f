#pragma once
// The cleaning worker: backs the ticked files up into a new restore point when asked, then deletes
// them permanently or moves them to the Recycle Bin, reporting to the cleaning page and writing
// one activity-log entry per phase.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/CleanOptionSettings.h"
#include "scan/ScanResults.h"
#include "win/Job.h"
#include "win/JobProgress.h"

// One cleaning run, as the wizard frame fills it from the clean options and the ticked report rows.
struct CleaningJob {
    RemovalMode removal = RemovalMode::Permanent;
    bool backup = false;
    std::string backupFolder;  // as typed, path variables already expanded
    // Restore points under the backup folder this many days old or older are removed before the
    // backup (RemoveExpiredRestorePoints); 0 keeps every point.
    int pointExpiryDays = 0;
    ScanResults cleaningSet;  // the ticked files, in path order; only the paths are used
    // Folders whose folders go once the cleaning has emptied them of their own files
    // (RemoveEmptiedFolders), and the folders that stay even then: the protected places and the
    // chosen roots.
    std::vector<EmptiedFolderRule> emptiedFoldersGo;
    std::vector<std::string> foldersThatStay;
    win::JobProgress* progress = nullptr;  // the cleaning page
    std::string logFolder;                 // the activity log's data folder: the program folder + "\Log\Data"
    HWND promptOwner = nullptr;  // owns the shell's question when the Recycle Bin cannot take a file
    // False for a cleaning nobody watches: the shell shows no error, and where the Recycle Bin cannot
    // take a file, its question is answered No at once and the file is kept.
    bool canAsk = true;
    // Set by the run: false when any file was kept, not backed up, not removed or left for the
    // next restart.
    bool everyFileHandled = true;
    // Set by the run: the files kept because another program held them open, each counted once,
    // so the results can tell the user to close that program and scan again.
    size_t keptInUse = 0;
    // Set by the run: what became of the files, each file counted once. Removed files left their
    // place for good (or for the restore point); kept ones were refused by the check or not backed
    // up; failed ones the system would not remove or could not find.
    struct Counts {
        size_t removed = 0;
        size_t recycled = 0;
        size_t kept = 0;
        size_t failed = 0;
        uint64_t bytesFreed = 0;   // the listed sizes of the files deleted, not those moved or recycled
        uint64_t bytesHeld = 0;    // the listed sizes of the files saved into the restore point
        std::string restorePoint;  // the restore point made, when it holds a file
    } counts;
    // Hands a Recycle Bin operation to the shell; empty for SHFileOperationW itself. Tests put
    // their own in front of it.
    std::function<int(SHFILEOPSTRUCTW&)> shellOperation;
    // Set before the completion runs: how the run ended (Finished for a run on the caller's thread).
    win::JobEnd end = win::JobEnd::Finished;
    // Runs once per run, after the final texts: on the worker's thread, or in StopCleaning.
    std::function<void()> completed;
    // Last, so that it ends before anything the worker uses goes.
    win::Job worker;
};

// Enables Stop and starts RunCleaning on a new thread, unless a cleaning already runs. At its
// natural end the completed status, Stop disabled, then the completion. Nothing the worker meets
// ends the process: an exception ends the run before the next file operation, with the stopped
// status and the usual completion.
bool StartCleaning(CleaningJob& job);

// The worker's body: removes the expired restore points, backs up, then removes the cleaning set as the job
// says, until stop is requested, writing one activity-log entry per finished phase.
void RunCleaning(CleaningJob& job, win::StopToken stop);

// Stops a running cleaning before its next file operation and shows the stopped state: Stop
// disabled, progress 0, the stopped status, then the completion callback. The phase in progress
// writes no log entry. False when no cleaning was running (or it had just finished by itself).
bool StopCleaning(CleaningJob& job);
