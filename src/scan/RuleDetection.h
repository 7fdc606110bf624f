#pragma once
// Whether the application of a cleaning rule is on this machine, as the rule's detection keys say.

#include <string>

#include "config/RuleFile.h"
#include "config/RuleVariables.h"

// True when the entry is for this machine: within its DetectOS range (when it has one), and with
// any of its Detect keys present (in the 64-bit or the 32-bit view of the registry) or anything
// matching any of its DetectFile paths; an entry with neither kind of key is always there.
bool IsDetected(const RuleEntry& entry, const RuleVariables& variables, RuleOsVersion windows);

// True when the registry key exists: "HKCU\...", "HKLM\...", "HKU\...", "HKCR\..." (or their long
// names, "HKEY_CURRENT_USER\..."), in either view of the registry.
bool RegistryKeyExists(const std::string& key);

// The version of Windows this runs on, as DetectOS compares it (10.0 for Windows 10 and 11).
RuleOsVersion WindowsVersion();
