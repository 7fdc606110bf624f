// What the setup test cannot see from the Linux side, looked at from inside the Wine prefix by a
// small console program. One command per run; it prints its findings and exits with 0 when it
// could look, 1 when not:
//   setup_probe log                  creates the activity log component by its ProgID and prints
//                                    the path of the DLL that COM loaded for it
//   setup_probe version <file>       prints the version resource's ProductVersion and CompanyName
//   setup_probe shortcut <file.lnk>  prints the shortcut's target
//   setup_probe run <exe> <command>...
//                                    starts <exe>, waits for its window, runs each command while it
//                                    runs and prints their exit codes, then closes the window and
//                                    prints the program's own exit code
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Logwright.h"
#include "win/ComPtr.h"
#include "win/Text.h"

namespace {

// Deadlines for a program to show itself and to end; only reached when something is wrong.
constexpr DWORD kWindowDeadlineMs = 60000;
constexpr DWORD kExitDeadlineMs = 60000;

int Fail(const char* what, DWORD error = ::GetLastError()) {
    std::fprintf(stderr, "setup_probe: %s (error %lu)\n", what, error);
    return 1;
}

int CreateLogComponent() {
    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid);
    if (FAILED(hr))
        return Fail("the ProgID is not registered", hr);
    win::ComPtr<ILogwrightLog> log;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ILogwrightLog, log.put_void());
    if (FAILED(hr) || !log)
        return Fail("the component cannot be created", hr);
    char path[MAX_PATH] = "";
    if (!::GetModuleFileNameA(::GetModuleHandleA("Logwright.dll"), path, MAX_PATH))
        return Fail("no Logwright.dll in the process");
    std::printf("%s\n", path);
    return 0;
}

int PrintVersion(const char* file) {
    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeA(file, &ignored));
    if (data.empty() || !::GetFileVersionInfoA(file, 0, static_cast<DWORD>(data.size()), data.data()))
        return Fail("no version resource");
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(Translation))
        return Fail("no translation in the version resource", 0);
    for (const char* name : {"ProductVersion", "CompanyName"}) {
        char key[80];
        std::snprintf(key, sizeof(key), "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                      translation->codePage, name);
        char* value = nullptr;
        if (!::VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&value), &length))
            return Fail(key, 0);
        std::printf("%s\n", value);
    }
    return 0;
}

int PrintShortcutTarget(const char* file) {
    win::ComPtr<IShellLinkA> link;
    HRESULT hr =
        ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.put_void());
    if (FAILED(hr))
        return Fail("no shell link object", hr);
    win::ComPtr<IPersistFile> persist = link.As<IPersistFile>(IID_IPersistFile);
    if (!persist || FAILED(hr = persist->Load(win::Wide(file).c_str(), STGM_READ)))
        return Fail("the shortcut cannot be read", hr);
    char target[MAX_PATH] = "";
    if (FAILED(hr = link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
        return Fail("the shortcut has no target", hr);
    std::printf("%s\n", target);
    return 0;
}

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK TakeVisibleWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !::IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND VisibleWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    ::EnumWindows(TakeVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Starts a command line and returns its process, or nothing.
PROCESS_INFORMATION Start(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return {};
    ::CloseHandle(process.hThread);
    return process;
}

bool ExitCodeWithin(HANDLE process, DWORD deadlineMs, DWORD& code) {
    return ::WaitForSingleObject(process, deadlineMs) == WAIT_OBJECT_0 &&
           ::GetExitCodeProcess(process, &code);
}

int RunBeside(const char* exe, const std::vector<std::string>& commands) {
    std::string quoted = "\"";
    quoted.append(exe).append("\"");
    PROCESS_INFORMATION program = Start(quoted);
    if (!program.hProcess)
        return Fail("the program does not start");
    HWND window = nullptr;
    for (DWORD waited = 0; !window && waited < kWindowDeadlineMs; waited += 100) {
        if (::WaitForSingleObject(program.hProcess, 100) == WAIT_OBJECT_0)
            break;
        window = VisibleWindowOf(program.dwProcessId);
    }
    int result = window ? 0 : Fail("the program shows no window", 0);
    for (size_t i = 0; result == 0 && i < commands.size(); ++i) {
        PROCESS_INFORMATION other = Start(commands[i]);
        DWORD code = 0;
        if (!other.hProcess) {
            result = Fail("a command does not start");
            break;
        }
        if (ExitCodeWithin(other.hProcess, kExitDeadlineMs, code))
            std::printf("%lu\n", code);
        else
            result = Fail("a command does not end", 0);
        ::CloseHandle(other.hProcess);
    }
    if (result == 0) {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (ExitCodeWithin(program.hProcess, kExitDeadlineMs, code))
            std::printf("%lu\n", code);
        else
            result = Fail("the program does not end when its window is closed", 0);
    }
    if (::WaitForSingleObject(program.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(program.hProcess, 99);
    ::CloseHandle(program.hProcess);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const win::ComApartment com;
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "log" && argc == 2)
        return CreateLogComponent();
    if (command == "version" && argc == 3)
        return PrintVersion(argv[2]);
    if (command == "shortcut" && argc == 3)
        return PrintShortcutTarget(argv[2]);
    if (command == "run" && argc >= 4)
        return RunBeside(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    std::fprintf(stderr,
                 "usage: setup_probe log | version <file> | shortcut <file.lnk> | run <exe> <command>...\n");
    return 2;
}
