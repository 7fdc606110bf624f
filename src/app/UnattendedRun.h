#pragma once
// A cleaning without a window, as Task Scheduler starts it: the saved settings of config.xml, the
// same session as the wizard's, and an exit code; or the report of what such a cleaning would
// remove.

#include <string>

#include "app/CommandLine.h"

// Runs an Auto or Report command line for the program in programFolder and gives its exit code;
// when nothing was done, why is written to the console. COM must be initialised on the calling
// thread; the language table is set up by the caller.
int RunUnattended(const CommandLine& command, const std::string& programFolder);

// Writes a message (the usage, or why nothing was done) to the console the program was started
// from (its standard output when that was handed over, else the parent's console); nothing when
// there is none. Never waits for anyone.
void WriteToConsole(const std::string& message);
