#pragma once
// Reads the target path recorded in a ".lnk" shortcut through the shell's shortcut object.

#include <string>

// True when the shortcut could be read; target then holds its path, which may be empty.
// The calling thread must have initialised COM.
bool ResolveShortcutTarget(const std::string& shortcutPath, std::string& target);
