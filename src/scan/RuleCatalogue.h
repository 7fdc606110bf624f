#pragma once
// Every entry of the rule files this program reads, with what it means on this machine: detected
// or not, ticked or not, and why an entry is not offered (it does not parse, it would reach the
// user's or the system's own files, or it needs an administrator).

#include <string>
#include <vector>

#include "config/RuleFile.h"
#include "config/RuleSettings.h"
#include "config/RuleVariables.h"
#include "scan/ProtectedPlaces.h"

enum class RuleState {
    Ready,               // detected and offered
    NotDetected,         // its application is not on this machine
    LeftOut,             // a line or key Quillmoor cannot read, or a folder that is no full path
    Unsafe,              // a rule would take what is not junk, or names a folder that cannot be judged
    NeedsAdministrator,  // a rule lies under the Windows, ProgramData or Program Files folder
};

struct RuleItem {
    std::string file;  // the rule file's name, as RuleChoice keeps it
    RuleEntry entry;
    RuleState state = RuleState::Ready;
    std::string reason;   // why the entry is not offered
    bool ticked = false;  // the stored choice, else the entry's Default (never for an entry with a Warning)
};

// What the checks of a catalogue go by on this machine.
struct RuleMachine {
    RuleVariables variables;
    // What no rule may take (WhyProtected).
    ProtectedPlaces places;
    // Folders whose files only an administrator may clean.
    std::vector<std::string> administratorFolders;
    bool elevated = false;
    RuleOsVersion windows;

    // This machine, user and process, asked of the system, with the places no rule may take from.
    static RuleMachine Current(ProtectedPlaces places);
};

// The rule files of a program: "Quillmoor.rules" beside it, then a "winapp2.ini" beside it or
// beside its configuration file, those that exist.
std::vector<std::string> RuleFilesOf(const std::string& programFolder, const std::string& configFolder);

// Reads every file in order and checks each entry on the machine; the ticks come from choices, else
// from each entry's Default.
std::vector<RuleItem> LoadRuleCatalogue(const std::vector<std::string>& files,
                                        const std::vector<RuleChoice>& choices, const RuleMachine& machine);

// The catalogue's entries that are left out, one line each with the file, the entry and the
// reason, written to path (replacing it); no file when nothing is left out.
void WriteRulesLog(const std::string& path, const std::vector<RuleItem>& items);
