#pragma once
// Cleaning rules in the community's INI format (the format of winapp2.ini), read as Quillmoor
// understands it. Each section is one entry: an application's name, how to tell whether it is on
// this machine, and which of its files are junk. An entry Quillmoor cannot read whole is left out
// whole, with the reason, never half used:
//
//   [Entry name *]                     the name; a final " *" is dropped
//   LangSecRef=3021 | Section=Text     the group the entry is listed under
//   Detect[N]=HKCU\Software\App        a registry key that must exist (any one of them)
//   DetectFile[N]=%AppData%\App*       a file or folder that must exist (any one of them)
//   DetectOS=6.2|10.0                  a Windows version range; either side may be empty
//   SpecialDetect=...                  unknown to Quillmoor: the entry is left out
//   Default=True|False                 ticked at first or not (no key: not ticked)
//   Warning=Text                       asked before the entry is ticked
//   FileKeyN=folder|masks[|RECURSE|REMOVESELF]   masks ';'-separated; RECURSE also below the
//                                      folder; REMOVESELF also below it, and removes the folders
//                                      it emptied, the folder itself included
//   ExcludeKeyN=FILE|folder|masks, PATH|folder|masks or PATH|folder   never listed
//   RegKeyN=...                        a registry value: not cleaned by Quillmoor, only counted
//
// Keys are read without regard to case; lines starting with ';' are comments. Folders keep their
// variables (%AppData%, any environment variable) and wildcards: they are resolved on the machine
// where the rules are used.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

struct RuleFileKey {
    std::string folder;
    std::vector<std::string> masks;
    bool recurse = false;
    bool removeSelf = false;  // implies recurse
};

struct RuleExclude {
    bool wholeFolders = false;  // PATH: the folder and what lies below it; FILE: its own files only
    std::string folder;
    std::vector<std::string> masks;  // empty with PATH|folder: everything there
};

// A Windows version as DetectOS writes it ("6.1", "10.0"); 0.0 on an open side.
struct RuleOsVersion {
    unsigned major = 0, minor = 0;
};

struct RuleEntry {
    std::string name;
    std::string group;           // the LangSecRef number or the Section text; "" when neither is given
    bool groupByNumber = false;  // the group is a LangSecRef number, which names a group of the format
    std::vector<std::string> detectKeys;
    std::vector<std::string> detectFiles;
    bool hasOsRange = false;
    RuleOsVersion osFrom, osTo;  // osTo 0.0: no upper bound
    bool byDefault = false;      // Default=True: ticked until the user chooses (see IsDefaultTicked)
    std::string warning;
    std::vector<RuleFileKey> files;
    std::vector<RuleExclude> excludes;
    int registryValues = 0;  // RegKeyN lines, which Quillmoor leaves alone
    // Why the entry is left out; empty when Quillmoor can use it.
    std::string leftOut;
};

// Every entry of a rule text (UTF-8), in file order, those left out included with their reason.
// Lines before the first section are ignored.
std::vector<RuleEntry> ParseRules(std::string_view text);

// The text of a rule file as UTF-8: UTF-16 LE with its byte-order mark, or UTF-8 with or without
// one. False when the file cannot be read.
bool ReadRuleFileText(const std::string& path, std::string& text);
// The same, read through a rule file already open for reading.
bool ReadRuleFileText(HANDLE file, std::string& text);
