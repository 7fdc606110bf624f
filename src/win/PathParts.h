#pragma once
// The folder and the name of a path, cut at its last "\" or ":", and what its start says. Every part of the
// program that takes a path apart does it here.

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// The text before the last "\" or ":" ("C:\Tools\q.exe" -> "C:\Tools", "C:\q.exe" -> "C:"). When
// the cut is at a colon and no colon remains, the colon is put back so that a bare drive stays a
// drive ("D:x.exe" -> "D:", "C:" -> "C:"); a folder cut at a backslash stands as it is
// ("\\nas\apps\q.exe" -> "\\nas\apps"). A path without either separator has no folder: "".
std::string FolderPartOf(std::string_view path);

// The text after the last "\" or ":" ("C:\Temp\old.log" -> "old.log", "D:x.txt" -> "x.txt"); a path
// without either separator is all name, and one ending in a backslash has none.
std::string NamePartOf(std::string_view path);

// True when path starts at a drive's root: "X:\...".
bool StartsAtDriveRoot(std::string_view path) noexcept;

// True for "X:\..." and "\\server\share...", server and share both named: a path that names the
// same place from anywhere, whatever the current drive and folder.
bool IsFullPath(std::string_view path) noexcept;

// True for a path that names a whole drive or share rather than a folder on it: "X:", "X:\",
// "\\server\share", "\\server\share\".
bool IsRootPath(std::string_view path) noexcept;

// The full form of a path a user typed, made by the program itself: "/" read as "\", doubled
// backslashes as one (the leading pair of a network path kept), "." steps dropped and each ".."
// step taking back one step, never above the drive or share. A relative path ("x", "\x", "C:x")
// is joined to base, the folder it is relative to (for "C:x" the current folder of drive C). Every
// other step is kept exactly: "...", "a." and "a " name folders of their own, which the system's
// GetFullPathNameW would turn into their parent or into another name. A device path ("\\?\",
// "\\.\") stays as given; a relative path without a full base gives "".
std::string NormalizedPath(std::string_view typed, std::string_view base);

// A path typed with a "\\?\", "\\.\" or "\??\" prefix in the form without it, which names the
// same file: "\\?\C:\x" gives "C:\x", "\\?\UNC\server\share" gives "\\server\share" ("/" read
// as "\"). Any other text, a volume or another device included, is given back as it is.
std::string WithoutDevicePrefix(std::string_view typed);

}  // namespace win
