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
};

// Asks the system for the four folders now.
PathFolders CurrentPathFolders();

// Expand replaces every variable by its folder; Contract replaces every occurrence of a folder by
// its variable. Both work through the variables in the order above, each step on the result of
// the one before, with plain case-sensitive replacement anywhere in the text (no regard to path
// boundaries). An empty folder expands to nothing and is never searched for when contracting.
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
