#pragma once
// The cleaning worker: backs the ticked files up into a new restore point when asked, then deletes
// them permanently or moves them to the Recycle Bin, reporting to the cleaning page and writing
// one activity-log entry per phase.

#include <windows.h>

#include <string>

#include "scan/ScanResults.h"
#include "win/WorkerThread.h"

// What the worker shows while it runs; the cleaning page implements it with its controls.
class CleaningProgress {
  public:
    virtual ~CleaningProgress() = default;
    virtual void SetProgressRange(int maximum) = 0;  // 0 .. maximum
    virtual void SetProgressPosition(int position) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void EnableStopButton(bool enable) = 0;
};

// One cleaning run, as the wizard frame fills it from the clean options and the ticked report rows.
struct CleaningJob {
    bool deletePermanently = false;
    bool moveToRecycleBin = false;
    bool backup = false;
    std::string backupFolder;  // as typed, path variables already expanded
    ScanResults cleaningSet;   // the ticked files, in path order; only the paths are used
    void* completionContext = nullptr;
    void (*completionCallback)(void* context) = nullptr;  // runs on the worker's thread
    win::WorkerThread worker;
    CleaningProgress* progress = nullptr;
    std::string logFolder;       // the activity log's data folder: the program folder + "\Log\Data"
    HWND promptOwner = nullptr;  // owns the shell's question when the Recycle Bin cannot take a file
};

// Enables Stop and starts RunCleaning on a new thread, unless a cleaning already runs.
bool StartCleaning(CleaningJob& job);

// True while a cleaning started by StartCleaning has not ended, anywhere in the program: its
// restore point is being written and its files are not yet all removed.
bool AnyCleaningRunning();

// The worker's body; always returns 0. Nothing it meets ends the process: an exception ends the
// run before the next file operation, with the stopped status and the usual completion call.
DWORD RunCleaning(CleaningJob& job);

// Stops a running cleaning before its next file operation and shows the stopped state: Stop
// disabled, progress 0, the stopped status, then the completion callback. The phase in progress
// writes no log entry. False when no cleaning was running (or it had just finished by itself).
bool StopCleaning(CleaningJob& job);
