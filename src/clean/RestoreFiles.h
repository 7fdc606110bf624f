#pragma once
// Copying a restore point back: every file goes to the place its mirrored path names (names as kept)
// and leaves the restore point once its copy is there; one activity-log entry lists what was
// restored. Whatever was not copied back (a failed copy, a folder that names no drive or share, a
// file added meanwhile, a folder the listing could not read) stays, and the restore point folder
// goes only when nothing is left in it. So no backup that has not been restored is ever lost.

#include <atomic>
#include <string>

#include "win/JobProgress.h"

struct RestoreOutcome {
    int restored = 0;      // files put back
    int failed = 0;        // files not put back (a failed copy, a file already there, a link); they stay
    int skipped = 0;       // files without a drive folder above them: nowhere to go
    bool stopped = false;  // a stop came before every file was tried; the rest stay too
    bool removed = false;  // the restore point folder was removed: nothing was left in it
    int left = 0;          // files still in the restore point when it was not removed
};

// Restores the restore point folder restorePoint: lists its files through checked folders
// (ListPointTree, "_RescueDialogStateInitBackupFileList"), puts each back by its exact name
// ("_RescueDialogStateCopyBackupFiles", progress 0 .. file count): each backup only as the file
// the listing found at its place inside the point, moved when the point is on the target's volume,
// else copied, never over an existing file and never into or through a folder reached through a
// link (missing folders are made level by level inside checked ones; such a backup stays,
// "_LogRestoreFileLinked"), removing each restored file from the restore point; writes one
// "_LogLogCategoryRestore" entry through the activity log at logFolder, then prunes the folders
// it emptied and the restore point itself when it is empty ("_RescueDialogStateRemoveBackupFiles").
// A link inside the point is neither followed nor restored. stop, when given, is tested before
// every copy. COM must be initialised on the calling thread for the log.
RestoreOutcome RestoreFiles(const std::string& restorePoint, const std::string& logFolder,
                            win::JobProgress& progress, const std::atomic<bool>* stop = nullptr);
