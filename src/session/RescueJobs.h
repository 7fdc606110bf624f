#pragma once
// The rescue manager's work on one restore point, each kind on a worker of its own that the
// session owns: the restore (files back to where they came from) and the removal of the point.
// Each reports through win::JobProgress, tests its stop before every file, and writes its
// activity-log entry on its own thread, so a large restore point never holds up the window.

#include <windows.h>

#include <functional>
#include <string>

#include "clean/RestoreFiles.h"
#include "win/Job.h"
#include "win/JobProgress.h"

// One restore of a restore point.
struct RestoreJob {
    std::string restorePoint;  // fixed when the user agreed
    std::string logFolder;     // the activity log's data folder
    win::JobProgress* progress = nullptr;
    RestoreOutcome outcome;  // what the last run did; empty after a fault
    // Runs once per run: on the worker's thread after the final status and before the commands
    // come back (ShowRunning(false)), or in Stop, where the progress is left alone.
    std::function<void(win::JobEnd)> completed;
    // Last, so that it ends before anything the worker uses goes.
    win::Job worker;
};

// One removal of a restore point.
struct RemovalJob {
    std::string restorePoint;
    std::string logFolder;
    win::JobProgress* progress = nullptr;
    DWORD error = ERROR_SUCCESS;                 // the last run's: ERROR_SUCCESS when the point is gone
    std::function<void(win::JobEnd)> completed;  // as RestoreJob's
    win::Job worker;
};

// ShowRunning(true), then the run on a new thread, unless one runs already (false).
bool StartRestore(RestoreJob& job);
bool StartRemoval(RemovalJob& job);

// The workers' bodies: RestoreFiles, and RemoveRestorePoint with its "_LogLogCategoryRemoveRestorePoint"
// entry ("_LogRemoveRestorePoint", or "_LogRemoveRestorePointFailed" with the system's reason).
void RunRestore(RestoreJob& job, win::StopToken stop);
void RunRemoval(RemovalJob& job, win::StopToken stop);
