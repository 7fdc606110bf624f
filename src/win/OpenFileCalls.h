#pragma once
// Calls on an open file (or folder), so that what is checked is what is acted on: no path is
// looked up again. Here too is what makes two handles the same object, and the one reading of
// where an open object is (its final path).

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "win/Result.h"

namespace win {

// The path an open object has now, every link on the way resolved, in the program's form; a
// failure when the system gives none (Wine gives none from 260 characters on, and drops a name's
// final dots).
ResultOf<std::string> FinalPathOf(HANDLE handle);

// True when both handles hold one object: the same volume (its serial number) and the same file
// id. Whatever path reached either, a link or a short name included.
bool SameObject(HANDLE a, HANDLE b);

// True when the open file (or folder) is at path now, every link on the way resolved: a folder on
// the path that became a link leads elsewhere. Compared by text without regard to case, not by
// identity, which a link on the way would pass.
bool IsAtPath(HANDLE handle, std::string_view path);

// Renames (moves) the open file to target on the same volume, never over another file
// (SetFileInformationByHandle, FileRenameInfo). The handle needs DELETE access.
Result RenameOpenFile(HANDLE file, std::string_view target);
// Marks the open file for deletion when its last handle closes (FileDispositionInfo). The handle
// needs DELETE access.
Result DeleteOpenFile(HANDLE file);

// What an open file is now. Asked by its basic, standard and internal information, not with
// GetFileInformationByHandle, which also asks the volume for its serial number: under Wine that
// alone takes about a millisecond, more than the rest of a cleaning's work on a small file.
struct OpenFileFacts {
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME creation{}, lastAccess{}, lastWrite{};
    uint64_t fileId = 0;  // the id a folder listing gives the file
    DWORD links = 0;      // names the file has; 0 once its deletion has taken them all
    bool deletePending = false;
};
ResultOf<OpenFileFacts> QueryOpenFile(HANDLE file);

// Where the open file is now, as a full path in the program's form, after others may have renamed
// or moved it through handles of their own. Windows answers by the handle itself; Wine keeps the
// name the handle was opened with, so the answer counts only where it opens as the same object,
// and a stale one is replaced by a look-up of the file's id on the volume of onVolumeOf
// (OpenFileById). ERROR_FILE_NOT_FOUND when the file is nowhere on that volume.
ResultOf<std::string> CurrentPathOf(HANDLE file, std::string_view onVolumeOf);

}  // namespace win
