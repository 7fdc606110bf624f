#include "app/UnattendedRun.h"

#include <windows.h>

#include "session/ScheduledRun.h"
#include "session/Session.h"
#include "win/FileSystem.h"
#include "win/UniqueHandle.h"

int RunUnattended(const CommandLine& command, const std::string& programFolder) {
    Session session(programFolder);
    UnattendedRequest request;
    request.folders = command.folders;
    if (command.mode == CommandLine::Mode::Report)
        request.reportFile = command.reportFile;
    std::string reason;
    const UnattendedEnd end =
        command.scheduled ? RunScheduled(session, request, &reason) : session.RunUnattended(request, &reason);
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
