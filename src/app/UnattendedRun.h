#pragma once
// A cleaning without a window, as Task Scheduler starts it: the saved patterns, scan options, skip
// folders and clean options of config.xml, the same scan, the same safety rules, the same restore
// points and activity-log entries as the wizard; or the report of what such a cleaning would remove.

#include "app/CommandLine.h"

// Runs an Auto or Report command line for the program in programFolder and gives its exit code.
// COM must be initialised on the calling thread; the language table is set up by the caller.
int RunUnattended(const CommandLine& command, const std::string& programFolder);
