#pragma once
// Copying a restore point back: every file goes to the place its mirrored path names (lower-cased),
// one activity-log entry lists what was restored, and the restore point is removed only when
// every file in it reached its place. A file that could not be copied back stays in the restore
// point, so no backup that has not been restored is ever lost.

#include <atomic>
#include <string>

// What a restore shows while it runs; the rescue manager implements it with its controls.
class RestoreProgress {
  public:
    virtual ~RestoreProgress() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetProgressRange(int maximum) = 0;  // 0 .. maximum
    virtual void SetProgressPosition(int position) = 0;
};

struct RestoreOutcome {
    int restored = 0;      // files copied back
    int failed = 0;        // files whose copy failed; they stay in the restore point
    int skipped = 0;       // files without a drive folder above them: nowhere to go
    bool stopped = false;  // a stop came before every file was tried; the rest stay too
    bool removed = false;  // the restore point folder was removed
};

// Restores the restore point folder restorePoint: lists its files ("_RescueDialogStateInitBackupFileList"),
// copies each back with CopyFileA, overwriting ("_RescueDialogStateCopyBackupFiles", progress 0 ..
// file count), writes one "_LogLogCategoryRestore" entry through the activity log at logFolder,
// then, when nothing failed or was left untried, removes the restore point
// ("_RescueDialogStateRemoveBackupFiles"). Otherwise the files that were restored are deleted
// from it and the rest kept. stop, when given, is tested before every copy. COM must be
// initialised on the calling thread for the log.
RestoreOutcome RestoreFiles(const std::string& restorePoint, const std::string& logFolder,
                            RestoreProgress& progress, const std::atomic<bool>* stop = nullptr);
