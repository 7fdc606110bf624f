#pragma once
// Stored folder paths may name well-known folders through variables, so that the stored text stays
// valid when the program or the system lives elsewhere: "%ModulePath%" (the program folder),
// "%WindowsDirectory%", "%SystemDirectory%" and "%TempDirectory%". Used for the backup folder.

#include <windows.h>

#include <string>

enum class PathDirection { Expand, Contract };

// The folders the variables stand for, each without a trailing backslash; empty when unknown.
struct PathFolders {
    std::string program;
    std::string windows;
    std::string system;
    std::string temp;
    // What the factory backup setting (kFactoryBackupText, the whole text) stands for: in the user's
    // profile for an installation for the whole machine, whose program folder the user cannot
    // write to. Empty, or the program folder's "Backup", where it means what it says.
    std::string factoryBackup;
};

// The factory backup setting as config.xml ships it.
constexpr const char* kFactoryBackupText = "%ModulePath%\\Backup";

// Asks the system for the four folders now.
PathFolders CurrentPathFolders();

// Expand replaces every variable by its folder; Contract replaces every occurrence of a folder by
// its variable. Both work through the variables in the order above, each step on the result of
// the one before, with plain case-sensitive replacement anywhere in the text (no regard to path
// boundaries). An empty folder expands to nothing and is never searched for when contracting.
// Where factoryBackup is another folder, the whole text kFactoryBackupText expands to it and it
// contracts back to that text; the program folder's own "Backup", typed by a user, then stays a
// full path, so it keeps naming the program folder (as "%ModulePath%" does anywhere else).
std::string TranslatePath(const std::string& text, PathDirection direction, const PathFolders& folders);

// The same with the folders fetched afresh on every call.
std::string TranslatePath(const std::string& text, PathDirection direction);
inline std::string ExpandPathVariables(const std::string& text) {
    return TranslatePath(text, PathDirection::Expand);
}
inline std::string ContractPathVariables(const std::string& text) {
    return TranslatePath(text, PathDirection::Contract);
}

// Every occurrence of from in text (found left to right, starting only at character boundaries,
// not rescanning what was put in) replaced by to. An empty from changes nothing.
std::string ReplaceAllText(const std::string& text, const std::string& from, const std::string& to);
