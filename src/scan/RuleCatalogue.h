#pragma once
// Every entry of the rule files this program reads, with what it means on this machine: detected
// or not, ticked or not, what the user keeps that it reaches, and why an entry is not offered (it
// does not parse, its file may be changed by others than administrators, it would take what is not
// junk, or it needs an administrator).

#include <string>
#include <vector>

#include "config/RuleFile.h"
#include "config/RuleSettings.h"
#include "config/RuleVariables.h"
#include "scan/KeptNames.h"
#include "scan/ProtectedPlaces.h"

enum class RuleState {
    Ready,               // detected and offered
    NotDetected,         // its application is not on this machine
    LeftOut,             // a line or key Quillmoor cannot read, a key given twice, SpecialDetect, a
                         // folder that is no full path, two entries of one name in one file, or
                         // a whole file an elevated run may not trust
    Unsafe,              // a rule would take what is not junk, or names a folder that cannot be judged
    NeedsAdministrator,  // a rule lies under the Windows, ProgramData or Program Files folder
};

struct RuleItem {
    std::string file;  // the rule file's name, as RuleChoice keeps it
    RuleEntry entry;
    RuleState state = RuleState::Ready;
    std::string reason;   // why the entry is not offered
    bool ticked = false;  // the stored choice, else IsDefaultTicked
    // What the user keeps that the entry reaches: such an entry is ticked only by the user's choice.
    KeptKind kept = KeptKind::None;
    // The item stands for a whole file that was not read (LeftOut, with the reason), not an entry.
    bool wholeFile = false;
    // The tick is the organisation's (a policy names the entry), not the user's.
    bool forced = false;
};

// The rule file that ships with the program, beside it: the only file whose Default=True ticks.
inline constexpr char kOwnRuleFile[] = "Quillmoor.rules";

// The file name the choices of the applications whose caches are found by their structure are
// kept under (RuleChoice::file), beside the rule files' own; no rule file is so named. Such an item
// is ticked unless the user unticked it.
inline constexpr char kCacheChoiceFile[] = "(structure)";

// Whether an entry is ticked when the user has not chosen: only an entry of the program's own file
// with Default=True, no warning, and that reaches nothing the user keeps. Any other file's default
// is the work of whoever wrote it there, which the user did not see.
bool IsDefaultTicked(const RuleItem& item);

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
// from IsDefaultTicked. Two entries of one name in one file are both left out (a choice could not
// tell them apart). An elevated run reads no file that others than administrators may change
// (CheckRuleFile): such a file gives one item, wholeFile and LeftOut, with the reason.
std::vector<RuleItem> LoadRuleCatalogue(const std::vector<std::string>& files,
                                        const std::vector<RuleChoice>& choices, const RuleMachine& machine);

// The catalogue's entries that are left out, one line each with the file, the entry and the
// reason, written beside path and renamed over it (a link at path is replaced, never written
// through); no file when nothing is left out.
void WriteRulesLog(const std::string& path, const std::vector<RuleItem>& items);
