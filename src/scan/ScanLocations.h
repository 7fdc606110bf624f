#pragma once
// Which folders a system location must never resolve to.

#include <string>
#include <vector>

// The folders a system location may lie inside but must never be or contain, in true form
// (win::TruePathOfText), the form the locations are compared in: the Windows folder, the system
// folder, the user's profile folder and the shell's folders in it (documents, desktop,
// application data), the programs folder and the program folder.
std::vector<std::string> ProtectedFolders(const std::string& programFolder);

// True when a system location's folder must not be searched as a folder of temporary files: it
// is not absolute, it is a drive or share root, or it is one of the protected folders or contains
// one. Compared without regard to case (win::Fold) or a trailing backslash; both sides are taken as
// given, so the caller passes them in true form.
bool IsUnsafeScanLocation(const std::string& folder, const std::vector<std::string>& protectedFolders);
