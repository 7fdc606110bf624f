#pragma once
// The on-disk backup store: one folder per restore point, named after the local time of the
// cleaning run, directly under the backup folder, holding every backed-up file at a path that
// mirrors its source ("C:\Temp\x.tmp" is kept as "<restore point>\C\Temp\x.tmp"). The folder
// names and the file tree are the whole record: there is no index file.

#include <windows.h>

#include <string>
#include <vector>

#include "scan/ScanResults.h"
#include "win/Result.h"

// "%04d-%02d-%02d_%02d-%02d-%02d" of year, month, day, hour, minute and second.
std::string RestorePointName(const SYSTEMTIME& localTime);

// Where a cleaning run writes its restore point: backupFolder without one trailing backslash (if
// it has one), a backslash, the name.
std::string RestorePointPath(const std::string& backupFolder, const std::string& name);

// The path of a source file inside a restore point: with a backslash in the path every ':' is
// dropped ("C:\a\b.tmp" -> "C\a\b.tmp"), otherwise every ':' becomes a backslash. A network path
// goes under "UNC" ("\\nas\share\f" -> "UNC\nas\share\f"). Case is kept.
std::string MirrorPath(const std::string& sourcePath);

// The place that file (found under restorePoint) is restored to, with the names as they are in
// the restore point: "<R>\C\Temp\X.TMP" gives "C:\Temp\X.TMP", "<R>\UNC\Nas\Share\F" gives
// "\\Nas\Share\F". False when the file has no drive or network folder above it (for example a
// file directly inside the restore point): such a file is not restored.
bool UnmirrorPath(const std::string& restorePoint, const std::string& file, std::string& target);

// The folder part of path (win::FolderPartOf: "D:\B\x\f.txt" -> "D:\B\x", "C:\f.txt" -> "C:",
// "C:" -> "C:", "\\nas\share\f" -> "\\nas\share", not "\\nas\share:"). A path without a backslash
// or colon is taken for a bare drive letter and gets a ":" appended ("C" -> "C:", "" -> ":").
std::string ParentFolderOf(const std::string& path);

// Makes a new, empty restore point folder under backupFolder, named after start or, when a folder
// of that name is already there (another cleaning in the same second), after the first later
// second that is free, so no run ever writes into another run's restore point. Returns its path,
// or why none was made (ERROR_INVALID_NAME for a backup folder IsUsableBackupFolder refuses).
win::ResultOf<std::string> CreateRestorePoint(const std::string& backupFolder, const SYSTEMTIME& start);

// True when folder is a full path where restore points can go and be found again: on a drive
// ("X:\...", the drive root included) or on a network share ("\\server\share..."). An empty or
// relative folder would put them wherever the current folder happens to be.
bool IsUsableBackupFolder(const std::string& folder);

// True when the shell's file operation (the Recycle Bin) reaches exactly the file this full path
// names. It takes no "\\?\" form: it drops a final dot or blank from every step ("C:\a.\b " is
// read as "C:\a\b"), reads wildcards and device paths in their own ways, and stops at MAX_PATH, so
// such a path could recycle another file. The program's own file calls read every path exactly.
bool IsExactFilePath(const std::string& path);

// A restore point found under a backup folder.
struct RestorePoint {
    std::string name;  // the folder's name
    std::string path;  // the folder's full path
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// True when name reads as a restore point name: six numbers separated by exactly "-", "-", "_",
// "-", "-"; the first of at most 4 digits, the others of at most 2; text after the sixth number
// is ignored ("2025-01-31_08-05-09-old" counts). Numbers are plain digits: no blanks or signs.
// Fills the name and the six numbers of out; the path is left alone.
bool ParseRestorePointName(const std::string& name, RestorePoint& out);

// Adds every sub-folder of root (except "." and "..", links, and those with any of excludedAttributes)
// to map as name -> root + "\" (unless root ends with one) + name. Clears map first when clear is
// set; an empty root adds nothing.
void ListRestorePoints(const std::string& root, TextMap& map, bool clear, DWORD excludedAttributes);

// The restore points under root: the sub-folders whose names read as restore point names, in
// ascending byte order of the names (oldest first for well-formed names).
std::vector<RestorePoint> FindRestorePoints(const std::string& root);

// The list text of a restore point: "_RescueDialogListItemFormat" translated and formatted with
// the point's date and time (with seconds) as the locale of the language spoken writes them; each
// number of the name is cut to 16 bits.
std::string RestorePointDisplayText(const RestorePoint& point);

// True when path names a folder or file below a drive root or a network share, written out in
// full, without wildcards and without "." or ".." steps: the only kind of path handed to the
// shell's delete, which would otherwise take a drive, the current folder or many files at once,
// and the only kind of restore point removed (RemoveRestorePoint).
bool IsSafeToRemove(const std::string& path);
