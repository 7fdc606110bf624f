#pragma once
// What an organisation set for this program by Group Policy (or by a device manager that writes the
// same registry values): the values under HKLM\Software\Policies\Quillmoor (the machine's) and
// HKCU\Software\Policies\Quillmoor (the user's), the machine's winning where both name a value.
// They are read once when the program starts into a plain value (Policy), which the session lays
// over config.xml's settings; the wizard shows each forced setting without letting it change. Where
// nothing is set, Policy is empty and everything is as config.xml says.

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config/PathVariables.h"
#include "config/ScheduleSettings.h"
#include "config/WizardSettings.h"

// Where the policies live, below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
inline constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Quillmoor";

enum class PolicyScope { Machine, User };

// How a policy's value is stored: a REG_DWORD 0 or 1, a REG_DWORD within the row's range, a
// REG_SZ or REG_EXPAND_SZ, or a REG_MULTI_SZ.
enum class PolicyType { Flag, Number, Text, Texts };

// A value as the registry holds it: its type and its bytes.
struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// The system locations of the scan options a policy may turn on or off, in ScanOption order from
// kFindTemp.
inline constexpr int kPolicyLocationCount = 5;

struct Policy {
    // Each system location forced on or off (index: ScanOption - kFindTemp).
    std::array<std::optional<bool>, kPolicyLocationCount> locations{};
    // Cleaning-rule entries forced on or off, by their names.
    std::vector<std::string> rulesOn, rulesOff;
    // Only the program's own rule file: no winapp2.ini is read.
    bool noWinapp2 = false;
    // Added to the user's patterns and skip folders, ticked; the user cannot remove them.
    std::vector<std::string> addedPatterns, addedSkipFolders;
    // Every cleaning makes a restore point.
    bool alwaysBackup = false;
    // The backup folder, its path variables expanded: a full path.
    std::optional<std::string> backupFolder;
    // true: only into the Recycle Bin; false: a permanent deletion is allowed (the user chooses).
    std::optional<bool> recycleBinOnly;
    // true: the automatic cleaning is on with schedule; false: it is not allowed.
    std::optional<bool> automatic;
    ScheduleValues schedule;
    // The typed-address tool and the rescue manager's Remove are not offered.
    bool noTypedUrlTool = false;
    bool noPointRemoval = false;
    // One line per value that was ignored (wrong type, out of range), for the activity log.
    std::vector<std::string> ignored;

    bool LocationForced(int option) const;
    bool RemovalForced() const { return recycleBinOnly.value_or(false); }
    bool operator==(const Policy&) const = default;
};

// One row per policy: its value name under kPolicyKey, how it is stored, the range of a number, and
// what it forces, laid into the policy by apply (the value already checked against type and range).
struct PolicyValue {
    DWORD number = 0;
    std::string text;
    std::vector<std::string> texts;
};
struct PolicyRow {
    const char* name;
    PolicyType type;
    DWORD minimum;
    DWORD maximum;
    // Lays the value into the policy; false when it cannot take it (a folder that is no full path).
    bool (*apply)(Policy& policy, const PolicyValue& value, const PathFolders& folders);
};
std::span<const PolicyRow> PolicyRows();

// Gives the value of name in scope, or nothing when it is not set. The registry's reader
// (RegistryPolicyLookup) unless a test gives its own.
using PolicyLookup = std::function<std::optional<RegistryValue>(PolicyScope scope, const std::string& name)>;

// Reads every row through lookup, the machine's value first; a value of the wrong type or out of
// range is ignored (and named in Policy::ignored), and the user's value, if any, is taken instead.
// folders expand the backup folder's path variables.
Policy ReadPolicy(const PolicyLookup& lookup, const PathFolders& folders);

// Reads HKLM and HKCU\Software\Policies\Quillmoor (the 64-bit view on a 64-bit system, where
// Group Policy writes them).
PolicyLookup RegistryPolicyLookup();

// Lays the policy over the settings config.xml gave: the locations, the added patterns and skip
// folders (ticked, after the user's), the restore point, the backup folder and the removal.
void ApplyPolicy(const Policy& policy, WizardSettings& settings);
void ApplyPolicy(const Policy& policy, CleanOptionValues& options);
void ApplyPolicy(const Policy& policy, ScanOptionValues& options);
