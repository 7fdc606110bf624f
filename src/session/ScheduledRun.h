#pragma once
// "/auto /scheduled": the run the automatic cleaning's task starts. It is "/auto" itself, unless the
// schedule's free-space condition is set and the system drive has more free space than asked: then
// it does nothing. Either way one activity-log entry under "_LogLogCategoryAutomatic" marks the run
// as automatic and tells its outcome, which the Automatic Cleaning dialog shows as the last run.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "session/Session.h"

// The free bytes of a drive ("C:\"); nothing when they cannot be read. GetDiskFreeSpaceExW unless a
// test puts in its own; an empty function puts it back.
using FreeSpaceCheck = std::function<std::optional<uint64_t>(const std::string& drive)>;
void SetFreeSpaceCheck(FreeSpaceCheck check);

// The system drive, as "C:\".
std::string SystemDrive();

// Runs the scheduled cleaning with the schedule and the settings saved in config.xml, on this
// thread; reason as in Session::RunUnattended. A run skipped for its free space ends Done. Under a
// policy that forces the automatic cleaning on, its schedule's free space and folders count instead
// of config.xml's and the command line's; where the policy does not allow it, the run cleans
// nothing, logs why and ends Done.
UnattendedEnd RunScheduled(Session& session, const UnattendedRequest& request, std::string* reason = nullptr);

// The newest automatic run in the activity log under logFolder: its local time
// ("YYYY-MM-DD hh:mm:ss") and its text; nothing when there was none (or the log cannot be read).
struct AutomaticRunRecord {
    std::string time;
    std::string text;
};
std::optional<AutomaticRunRecord> LastAutomaticRun(const std::string& logFolder);

// What the automatic cleaning will do, in words, from the settings the wizard saved (the ones
// "/auto" reads) and the schedule's folders: the places, the patterns, the skip folders, the
// restore point and the removal. One sentence a line.
std::string DescribeAutomaticRun(const WizardSettings& settings, const std::vector<std::string>& folders);
