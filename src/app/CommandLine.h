#pragma once
// What the program was asked to do by its command line: the wizard (no arguments), an unattended
// cleaning ("/auto [folder ...]"), a report of what a cleaning would remove ("/report <file.csv>
// [folder ...]"), the list of cleaning rules ("/rules"), or the usage ("/?"); anything else is an
// error shown with the same usage.

#include <string>
#include <vector>

struct CommandLine {
    enum class Mode { Wizard, Auto, Report, Rules, Usage, Invalid };
    Mode mode = Mode::Wizard;
    std::string reportFile;            // for Report
    std::vector<std::string> folders;  // for Auto and Report; none: every fixed drive
    // An "/auto", "/report" or "/rules" switch stands anywhere on the line: nobody may be there to
    // click, so even bad arguments must end without a window.
    bool unattended = false;
    // "/scheduled" after "/auto": the automatic cleaning's task started the run (RunScheduled).
    bool scheduled = false;
};

// The exit codes of an unattended run, as the help file documents them.
enum ExitCode : int {
    kExitDone = 0,            // everything went as asked
    kExitSomeKept = 1,        // done, but some files were kept or failed (each one in the log)
    kExitBadArguments = 2,    // unknown switch or missing file name
    kExitAlreadyRunning = 3,  // another Quillmoor runs: nothing was done
    kExitNoConfiguration = 4  // config.xml missing or unreadable: nothing was done
};

// The arguments after the program's name, as the C runtime split them. Switches are read without
// regard to case and may start with "/" or "-".
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
