#pragma once
// A restore point's tree, read and taken apart only where the point's path says: each folder is
// opened, checked to be at its path (no link on the way, not a link itself) and held while it is
// listed, and each entry is removed through a handle on the entry itself that is checked the same
// way, never by its name. A link inside a point is never entered. The walk keeps its own stack of
// folders, so a tree of any depth takes no more of the thread's stack than a flat one.

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "scan/ScanResults.h"
#include "win/JobProgress.h"
#include "win/Result.h"

// A file of a restore point as the listing of its checked folder gave it.
struct PointFile {
    std::string path;
    FileStamp stamp;
};

// What a walk of a restore point found.
struct PointTree {
    std::vector<PointFile> files;      // files that are no links
    std::vector<std::string> links;    // files and folders that are links: never entered
    std::vector<std::string> folders;  // the folders below the point, each after the one above it
    // Why some folder (the point itself included) was not listed to its end: it could not be
    // opened or listed, or it was not at its path (ERROR_REPARSE_TAG_MISMATCH); nothing below it
    // is known. ERROR_SUCCESS when every folder was listed.
    DWORD error = ERROR_SUCCESS;
};

// Lists the restore point folder point and everything below it. stop, when given, is tested
// between entries; a stopped walk gives what it found so far.
PointTree ListPointTree(const std::string& point, const std::atomic<bool>* stop);

// What RemovePointEntry may take away at a path.
enum class PointEntry {
    File,         // a file that is no link
    EmptyFolder,  // a folder that is no link, only when empty
    Anything,     // either, or a link as itself (never what it leads to)
};

// Removes the entry at path through a handle opened on the entry, not following a final link, and
// checked to be at path and of the kind asked; a read-only file is made writable first.
// Success when path names nothing afterwards; ERROR_REPARSE_TAG_MISMATCH when the entry
// opened is elsewhere (a folder on the way is a link, or the system opened what a link leads to)
// or of another kind; else the system's reason. Nothing is ever removed by name.
win::Result RemovePointEntry(const std::string& path, PointEntry kind);

// Deletes the restore point folder and everything in it permanently, file by file and folder by
// folder, reporting to progress when given ("_RescueDialogStateInitBackupFileList", then
// "_RescueDialogStateRemoveBackupFiles" with one step per entry). A point that is a link, or not at
// its path, is left whole; whatever is not where the listing found it, or is a link the system
// does not let go of by itself, is left, and the point with it. Refuses paths IsSafeToRemove
// rejects (ERROR_INVALID_NAME); stop is tested before every entry (ERROR_CANCELLED).
// Success when the folder is gone, else the first failure.
win::Result RemoveRestorePoint(const std::string& path, win::JobProgress* progress = nullptr,
                               const std::atomic<bool>* stop = nullptr);
