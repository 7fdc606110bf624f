#pragma once
// Whether the application of a cleaning rule is on this machine, as the rule's detection keys say.

#include <map>
#include <string>

#include "config/RuleFile.h"
#include "config/RuleVariables.h"

// True when the entry is for this machine: within its DetectOS range (when it has one), and with
// any of its Detect keys present (in the 64-bit or the 32-bit view of the registry) or anything
// matching any of its DetectFile paths; an entry with neither kind of key is always there.
bool IsDetected(const RuleEntry& entry, const RuleVariables& variables, RuleOsVersion windows);

// The same for many entries: a rule file names thousands of keys below a few hundred vendors'
// keys, most of them absent, so each key above an entry's own is asked once and remembered.
class RuleDetector {
  public:
    RuleDetector(const RuleVariables& variables, RuleOsVersion windows)
        : variables_(variables), windows_(windows) {}
    bool IsDetected(const RuleEntry& entry);

  private:
    bool KeyExists(const std::string& key);

    const RuleVariables& variables_;
    RuleOsVersion windows_;
    std::map<std::string, bool> vendorKeys_;  // by lower-case path of the key above the entry's
};

// True when the registry key exists: "HKCU\...", "HKLM\...", "HKU\...", "HKCR\..." (or their long
// names, "HKEY_CURRENT_USER\..."), in either view of the registry.
bool RegistryKeyExists(const std::string& key);

// The version of Windows this runs on, as DetectOS compares it (10.0 for Windows 10 and 11).
RuleOsVersion WindowsVersion();
