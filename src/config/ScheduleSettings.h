#pragma once
// The automatic cleaning the user chose in the Automatic Cleaning dialog, as config.xml keeps it in
// the element "/config/quillmoor/Schedule" (older versions ignore the element and keep it when they
// save). The task in the Task Scheduler is what really runs; this is the dialog's memory of the
// choice and what "/auto /scheduled" reads for its free-space condition.

#include <string>
#include <vector>

enum class ScheduleKind { Daily, Weekly, Monthly, AtSignIn };

struct ScheduleValues {
    bool enabled = false;
    ScheduleKind kind = ScheduleKind::Weekly;
    int dayOfWeek = 0;   // Weekly: 0 Sunday ... 6 Saturday
    int dayOfMonth = 1;  // Monthly: 1 to 28, so that every month has it
    int hour = 10;       // the calendar kinds: local time
    int minute = 0;
    // Not 0: the run does nothing while the system drive has more than this many GB free.
    int freeSpaceBelowGb = 0;
    // Searched as well as the ticked places; none: the ticked places and rules alone.
    std::vector<std::string> folders;

    bool operator==(const ScheduleValues&) const = default;
};

// The stored choice; the defaults (off) when the file or the element is missing. Values out of
// range are brought back into it, so a hand-edited file never makes a task the dialog cannot show.
ScheduleValues ReadScheduleSettings(const std::string& configPath);

// Stores values and saves; every other setting stays as it is. True when the file was saved.
bool WriteScheduleSettings(const std::string& configPath, const ScheduleValues& values);
