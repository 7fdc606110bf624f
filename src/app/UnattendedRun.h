#pragma once
// The switch table (CommandSwitches(), declared in CommandLine.h) and what each switch does: a
// cleaning without a window, as Task Scheduler starts it, with the saved settings of config.xml and
// the same session as the wizard's; the report of what such a cleaning would remove; the list of
// cleaning rules; and the usage. A new switch is a row of the table and its handler, both here.

#include <string>

#include "app/CommandLine.h"

// "/?" and any line the table does not read: the usage, on the console when a switch of the line
// opens no window, else in a message box; gives the exit code.
int ShowUsage(const CommandLine& command);

// Writes a message (the usage, or why nothing was done) to the console the program was started
// from (its standard output when that was handed over, else the parent's console); nothing when
// there is none. Never waits for anyone.
void WriteToConsole(const std::string& message);
