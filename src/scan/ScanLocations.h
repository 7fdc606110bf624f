#pragma once
// Which folders a scan must leave alone: the program's own folders, which it always skips, and
// the system folders that a system location must never resolve to.

#include <string>
#include <vector>

// The folder's long form (GetLongPathNameA), so that a folder given with 8.3 short names compares
// equal to the paths a walk builds; the text as given when the folder cannot be looked up.
std::string LongPathForm(const std::string& folder);

// The skip folders every scan appends: each absolute backup folder, then the program folder, all
// in long form. Skip folders match as substrings of the walked paths, so an empty or relative
// backup folder text is left out rather than skipping everything or every path containing it.
std::vector<std::string> OwnSkipFolders(const std::string& programFolder,
                                        const std::vector<std::string>& backupFolders);

// The folders a system location may lie inside but must never be or contain, in long form: the
// Windows folder, the system folder, the user's profile folder and the shell's folders in it
// (documents, desktop, application data), the programs folder and the program folder.
std::vector<std::string> ProtectedFolders(const std::string& programFolder);

// True when a system location's folder must not be searched as a folder of temporary files: it
// is not absolute, it is a drive or share root, or it is one of the protected folders or contains
// one. Compared without regard to case or a trailing backslash; both sides are taken as given, so
// the caller passes them in long form.
bool IsUnsafeScanLocation(const std::string& folder, const std::vector<std::string>& protectedFolders);
