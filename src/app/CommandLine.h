#pragma once
// What the program was asked to do by its command line: the wizard (no arguments), or one of the
// switches of the table below (an unattended cleaning, a report of what a cleaning would remove,
// the list of cleaning rules, the usage); anything else is an error shown with the usage. The same
// table reads the line, writes the usage text and runs the switch.

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct CommandSwitch;

struct CommandLine {
    enum class Mode { Wizard, Auto, Report, Rules, Usage, Invalid };
    Mode mode = Mode::Wizard;
    const CommandSwitch* chosen = nullptr;  // the switch that names the mode; none for Wizard and Invalid
    std::string file;                       // for a switch that takes a file first (Report)
    std::vector<std::string> folders;       // for a switch that takes folders; none: every fixed drive
    // A switch that opens no window stands anywhere on the line: nobody may be there to click, so
    // even bad arguments must end without a window.
    bool noWindow = false;
    // "/scheduled" after "/auto": the automatic cleaning's task started the run (RunScheduled).
    bool scheduled = false;
};

// What a switch takes after its name. Folders never start with "/": a misplaced switch is an error.
enum class SwitchArguments {
    None,             // nothing
    Folders,          // any number of folders
    FileThenFolders,  // a file name, then any number of folders
};

// One switch: how it is written, what it asks for, and what runs it.
struct CommandSwitch {
    std::string_view name;  // after "/" or "-", in lower case; read without regard to case
    CommandLine::Mode mode;
    SwitchArguments arguments;
    bool opensWindow;                        // false: runs without a window, even for the usage
    bool oneInstance;                        // false: only reads, so it runs beside an open wizard
    const char* usageKey;                    // its paragraph of the usage text; nullptr: none
    int (*run)(const CommandLine& command);  // its handler, with COM and the language set up unless
                                             // it runs beside the wizard; gives the exit code
};

// Every switch, in the order the usage lists them: the table beside its handlers, in
// UnattendedRun.cpp.
std::span<const CommandSwitch> CommandSwitches();

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

// The usage in the language the program speaks: every switch of the table with what it takes,
// what each does, and the exit codes.
std::string UsageText();
