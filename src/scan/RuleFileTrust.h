#pragma once
// Whether only administrators can change a rule file. A run with an administrator's rights cleans
// what its rule files name, so it reads no rule file that anyone else could have written: the file
// must be owned by Administrators, SYSTEM or TrustedInstaller, and its access list must grant
// writing, appending, or changing its owner or access list to none but them (the check ssh makes
// of its key files).

#include <windows.h>

#include <string>

// Why someone other than an administrator may change a file with this owner and access list (a
// null list lets anyone do anything), in a few English words; "" when no one else may.
std::string WhyOthersMayChange(PSID owner, PACL accessList);

// The same for an open file (opened with READ_CONTROL), asked of the system; a file whose owner
// and access list cannot be read counts as changeable by others.
std::string WhyOthersMayChangeFile(HANDLE file);

// The check an elevated run makes of each rule file before reading it. Under Wine, which makes up
// a file's owner and access list from its Unix owner and modes (owned by the user, who may write
// it) and runs every program elevated, it finds nothing; on Windows it is WhyOthersMayChangeFile.
// Tests put their own check in its place; nullptr gives the program's own back.
using RuleFileCheck = std::string (*)(HANDLE file);
void SetRuleFileCheck(RuleFileCheck check);
std::string CheckRuleFile(HANDLE file);
