#include "app/UnattendedRun.h"

#include <windows.h>

#include "config/ConfigDocument.h"
#include "core/DataFolders.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "session/ProgramPolicy.h"
#include "session/ProgramRules.h"
#include "session/ScheduledRun.h"
#include "session/Session.h"
#include "win/ComPtr.h"
#include "win/FileSystem.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

using Mode = CommandLine::Mode;

// The whole unattended run for the program in its folder, or the automatic cleaning's (scheduled).
// COM and the language table are set up by the caller.
int RunUnattended(const UnattendedRequest& request, bool scheduled = false) {
    const DataFolders data = ProgramDataFolders();
    Session session(data, ReadProgramPolicy(data.LogDataFolder()));
    std::string reason;
    const UnattendedEnd end =
        scheduled ? RunScheduled(session, request, &reason) : session.RunUnattended(request, &reason);
    switch (end) {
        case UnattendedEnd::Done:
            return kExitDone;
        case UnattendedEnd::SomeKept:
            // A root left unsearched says why; kept files are in the activity log.
            if (!reason.empty())
                WriteToConsole(reason);
            return kExitSomeKept;
        case UnattendedEnd::NoConfiguration:
            break;
    }
    WriteToConsole(reason);
    return kExitNoConfiguration;
}

// "/auto": cleans the folders of the command line (none: every fixed drive); with "/scheduled",
// as the automatic cleaning's task (RunScheduled).
int CleanUnattended(const CommandLine& command) {
    return RunUnattended({UnattendedKind::Clean, command.folders, {}}, command.scheduled);
}

// "/report": writes what that cleaning would remove to the command line's file, removing nothing.
int ReportUnattended(const CommandLine& command) {
    return RunUnattended({UnattendedKind::Report, command.folders, command.file});
}

// "/rules": lists every entry of the rule files on the console and writes rules.log. It runs
// before the single-instance check, beside an open wizard, and sets up COM itself.
int ListRules(const CommandLine&) {
    const win::ComApartment com;
    const DataFolders data = ProgramDataFolders();
    // The listing is English; the English texts also name any policy value ignored in the log.
    LanguageTable::Instance().SetPath(data.program + "\\" + ProgramBaseName() + ".language");
    const std::vector<RuleItem> rules =
        ProgramRules(data.program, data.ConfigPath(), ProgramProtectedPlaces(data),
                     ReadProgramPolicy(data.LogDataFolder()));
    WriteRulesLog(RulesLogPath(ConfigFilePath()), rules);
    std::string listing = RulesListing(rules);
    if (listing.size() >= 2)
        listing.resize(listing.size() - 2);  // the console line ends it
    WriteToConsole(listing);
    return kExitDone;
}

// Name, mode, arguments, opens a window, one instance only, usage paragraph, handler.
constexpr CommandSwitch kSwitches[] = {
    {"auto", Mode::Auto, SwitchArguments::Folders, false, true, "_CommandLineAutoUsage", CleanUnattended},
    {"report", Mode::Report, SwitchArguments::FileThenFolders, false, true, "_CommandLineReportUsage",
     ReportUnattended},
    {"rules", Mode::Rules, SwitchArguments::None, false, false, "_CommandLineRulesUsage", ListRules},
    {"?", Mode::Usage, SwitchArguments::None, true, true, nullptr, ShowUsage},
};

}  // namespace

std::span<const CommandSwitch> CommandSwitches() {
    return kSwitches;
}

int ShowUsage(const CommandLine& command) {
    const std::string usage = UsageText();
    // A scheduled run with a mistyped argument must end, not wait unseen for a click.
    if (command.noWindow)
        WriteToConsole(usage);
    else
        ::MessageBoxW(nullptr, win::Wide(usage).c_str(), win::Wide(Translate("_Quillmoor")).c_str(),
                      MB_OK | MB_ICONINFORMATION);
    return command.mode == CommandLine::Mode::Usage ? kExitDone : kExitBadArguments;
}

void WriteToConsole(const std::string& message) {
    const std::string text = message + "\r\n";
    DWORD written = 0;
    // A window program has no console of its own: a redirected output was handed over as its
    // standard output, a command prompt is reached by attaching to the parent's console.
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE &&
        ::WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
        return;
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    win::UniqueFile console =
        win::OpenFile("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (console)
        ::WriteFile(console.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::FreeConsole();
}
