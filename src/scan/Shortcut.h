#pragma once
// Whether a ".lnk" shortcut leads nowhere: its target, as the shell's shortcut object records it,
// is a file-system path that no longer exists.

#include <string>

// True only when the shortcut could be read and either names no target at all, or names a
// file-system target that is reported missing (not found, or a folder on its way not found). A shortcut that
// cannot be read, one to a virtual folder, and one whose target cannot be checked for any other reason (no
// access, a share that does not answer) count as working: they are never reported. The calling thread must
// have initialised COM.
bool IsShortcutToMissingTarget(const std::string& shortcutPath);
