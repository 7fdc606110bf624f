#pragma once
// The forms the system resolves a path to: the full form of a typed path, the long form of a
// short one, and the one true form of a folder the program acts on.

#include <windows.h>

#include <string>
#include <string_view>

#include "win/Result.h"

namespace win {

// The full form of a path typed on the command line: NormalizedPath against the current folder
// (for "C:x", drive C's own current folder, which the system keeps per drive).
std::string TypedFullPath(std::string_view typed);
// The long form of a path given with 8.3 short names (GetLongPathNameW); as given when unknown.
std::string LongPathOf(std::string_view path);

// The one true form of a folder (or file) the program acts on: full, with long names, the case
// the disk keeps and every link on the way resolved, as the open object's final path gives it.
// A walk from that form lists paths that the final paths of their open files give back, so a
// listed file is found at its path again. path must be a full path; it is taken exactly as
// given, nothing in it is normalised (a typed one goes through NormalizedPath first).
// The object is opened (a folder too) and its final path asked; the answer counts only when it
// opens as the same object (Wine's final path drops a name's final dots, and it gives none from
// 260 characters on). Otherwise, and where the path does not exist (yet), its parent is resolved
// the same way and the name appended as given (a short name, one with "~", as the folder's
// listing names it). A path on a drive that cannot be reached stays in its long form.
// Always gives the truest form known; its Result says why some step could not be resolved
// (ERROR_FILE_NOT_FOUND for a folder not made yet, ERROR_INVALID_NAME for no full path).
ResultOf<std::string> TruePathOf(std::string_view path);

// The true form of a folder named by text from outside the program's own listings (a setting, a
// registry value): NormalizedPath, then TruePathOf. Text that names no full path (empty,
// relative, a device path) stays as it is, with ERROR_INVALID_NAME: it names no place of its own.
ResultOf<std::string> TruePathOfText(std::string_view text);

}  // namespace win
