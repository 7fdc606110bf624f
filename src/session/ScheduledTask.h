#pragma once
// The automatic cleaning's task in the Windows Task Scheduler (Task Scheduler 2.0, through its COM
// interface): one task per user in the "Quillmoor" task folder, defined by task XML, that runs the
// program with "/auto /scheduled" and the chosen folders as that user, only while the user is
// signed in (no password stored), with the least privileges, not on battery, a missed run at the
// next chance, never two at once and stopped after a time limit.
//
// COM must be initialised on the calling thread.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "config/ScheduleSettings.h"

// The "Quillmoor" folder of the Task Scheduler, where every user's task lives.
inline constexpr char kTaskFolder[] = "\\Quillmoor";

// What the task XML is built from.
struct TaskXmlInputs {
    ScheduleValues schedule;
    std::string programPath;  // the program's full path
    std::string userId;       // the user the task runs as ("COMPUTER\name")
    std::string startDate;    // "YYYY-MM-DD": the day the calendar triggers begin
    std::string description;  // shown by the Task Scheduler
};

// The task's action arguments: "/auto /scheduled" and each folder quoted, so that the C runtime
// reads each folder back exactly (a final backslash does not swallow its closing quote).
std::string ScheduledTaskArguments(const std::vector<std::string>& folders);

// The task XML (UTF-8 text, declared as UTF-16, the form RegisterTask takes as a BSTR).
std::string ScheduledTaskXml(const TaskXmlInputs& inputs);

// The action a task XML runs: its first Exec's Command and Arguments, exactly as stored (the
// entities read back). Nothing when the XML has no such action.
struct TaskAction {
    std::string command;
    std::string arguments;
};
std::optional<TaskAction> ActionOfTaskXml(const std::string& xml);

// The name of this user's task: the same for every run of the program by that user, different for
// each user of the computer. The task names the user as the Task Scheduler does ("COMPUTER\name").
std::string ThisUserId();
std::string ScheduledTaskName(const std::string& userId);

// The task as the Task Scheduler holds it.
struct TaskState {
    bool exists = false;
    bool enabled = false;
    std::string path;  // the task's path in the Task Scheduler
    std::string xml;   // its definition as stored
    TaskAction action;
    // The next run as the service computes it, "" when the service gives none.
    std::optional<SYSTEMTIME> nextRun;
};

// The result of a change: ok, or the system's reason in error (HRESULT and its text).
struct TaskChange {
    bool ok = false;
    HRESULT code = S_OK;
    std::string error;
};

// Reads this user's task; exists is false when there is none (or the service cannot be reached,
// error then says why).
TaskState ReadScheduledTask(std::string* error = nullptr);

// Creates or replaces this user's task from xml. Nothing half made: a folder the call created for
// the task is removed again when the task cannot be registered.
TaskChange RegisterScheduledTask(const std::string& xml);

// Removes this user's task (and the task folder when no other task is left in it). No task is ok.
TaskChange RemoveScheduledTask();

// The next time the schedule starts a run after now (local time); nothing for the sign-in kind or
// when the schedule is off.
std::optional<SYSTEMTIME> NextRunAfter(const ScheduleValues& schedule, const SYSTEMTIME& now);
