#pragma once
// The two lists of the configuration: junk-file patterns and skip folders, each with the user's
// rows (`items`) and the factory rows (`default`). The pages read a list when they are created
// and write it back when they are destroyed; the factory rows are only ever read.

#include <string>
#include <vector>

// One row of the pattern list: a file mask, its description and whether the scan uses it.
struct JunkPattern {
    std::string file;
    std::string description;
    bool checked = false;
    bool operator==(const JunkPattern&) const = default;
};

// One row of the skip list: a folder the search does not enter, when checked.
struct SkipFolder {
    std::string folder;
    bool checked = false;
    bool operator==(const SkipFolder&) const = default;
};

enum class ValueSet { Current, Factory };

// A section's current values read strictly, for a run nobody watches and for the wizard's first
// look: a damaged setting must never pass for a choice. unreadable names the first setting that is
// missing or cannot be read (as "SkipFolders item 2 folder") and is empty when all were read; values
// are then the factory ones where the setting could not be read (the whole list for a list), what
// the wizard shows instead.
template <typename Values>
struct StrictlyRead {
    Values values;
    std::string unreadable;
};

// The rows in document order; empty when the file cannot be loaded. A row without `checked`
// (or with 0) is unticked, any other integer ticks it; a missing text reads as empty.
std::vector<JunkPattern> ReadJunkPatterns(const std::string& configPath, ValueSet values = ValueSet::Current);
std::vector<SkipFolder> ReadSkipFolders(const std::string& configPath, ValueSet values = ValueSet::Current);

// The user's rows read strictly: the list's element must be there, every row's `checked` "0" or
// "1", and a ticked row's mask (`file`) or folder must not be empty: an empty skip folder names no
// folder, and a scan without it would reach what the user meant to keep out.
StrictlyRead<std::vector<JunkPattern>> ReadJunkPatternsStrictly(const std::string& configPath);
StrictlyRead<std::vector<SkipFolder>> ReadSkipFoldersStrictly(const std::string& configPath);

// Replaces the user's rows with these, top to bottom, each written with its attributes in the
// order `checked` ("1" or "0"), `description`, `file` (or `checked`, `folder`), and saves. True
// when the file was saved; nothing is written when it cannot be loaded.
bool WriteJunkPatterns(const std::string& configPath, const std::vector<JunkPattern>& rows);
bool WriteSkipFolders(const std::string& configPath, const std::vector<SkipFolder>& rows);
