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
//   setup_probe yes <command>        runs the command and, until it ends, answers every dialog it
//                                    shows as a user who agrees: Yes where offered, else OK or
//                                    Next; prints the command's exit code
//   setup_probe notice <command>     the same up to the first message box that offers only OK:
//                                    prints "notice: <its text>", takes it, then cancels the
//                                    dialog shown next, printing "cancelled the folder page" when
//                                    that shows a folder field, agrees to leave and prints the
//                                    command's exit code
//   setup_probe task-make <exe>      registers this user's automatic cleaning for <exe> in the Task
//                                    Scheduler, as the program's dialog does
//   setup_probe task                 prints "present" or "absent": this user's automatic cleaning
//   setup_probe restore <exe>        starts <exe>, opens its rescue manager from the menu, prints
//                                    the folder it lists and how many restore points it shows,
//                                    restores the first one as a user would (Yes to the question),
//                                    prints how many points are left, closes the dialog and the
//                                    program and prints the program's exit code
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include <commctrl.h>

#include "Logwright.h"
#include "resources/ResourceIds.h"
#include "session/ScheduledTask.h"
#include "win/ComPtr.h"
#include "win/Text.h"

namespace {

// Deadlines for a program to show itself and to end; only reached when something is wrong.
constexpr DWORD kWindowDeadlineMs = 60000;
constexpr DWORD kExitDeadlineMs = 60000;
// Time for a dialog to take a pressed button in before it is looked at again.
constexpr DWORD kPressPauseMs = 400;

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

// The visible button with the id in the dialog, when enabled.
HWND EnabledButton(HWND dialog, int id) {
    HWND button = ::GetDlgItem(dialog, id);
    return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button) ? button : nullptr;
}

// How the dialogs of a command are answered, pass after pass.
struct Answering {
    DWORD ownProcess;
    bool cancelAfterNotice;  // after the first message box that offers only OK: Cancel, then Yes
    bool noticed = false;    // that message box has been answered
    bool cancelled = false;  // the dialog after it has been cancelled: only Yes is pressed now
    bool pressed = false;    // a button was pressed in this pass
};

// A message box shows its text in a static control of this id.
constexpr int kMessageBoxText = 0xFFFF;

std::string TextOf(HWND control) {
    std::wstring text(::GetWindowTextLengthW(control) + 1, L'\0');
    text.resize(::GetWindowTextW(control, text.data(), static_cast<int>(text.size())));
    for (wchar_t& ch : text)
        if (ch == L'\r' || ch == L'\n')
            ch = L' ';
    return win::Narrow(text);
}

BOOL CALLBACK FindFolderField(HWND child, LPARAM found) {
    // NSIS's folder page names its folder field 1019.
    if (::GetDlgCtrlID(child) == 1019 && ::IsWindowVisible(child)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

bool ShowsFolderField(HWND dialog) {
    bool found = false;
    ::EnumChildWindows(dialog, FindFolderField, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Press(HWND dialog, int id, Answering& answering) {
    // Posted, not sent: a button that opens a message box would hold a sent message until that
    // box is answered, which is this program's part.
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    answering.pressed = true;
}

// Answers one visible dialog of another process: Yes where offered; the message box to be noticed
// is printed and taken with OK, and the dialog after it is cancelled (saying whether it shows a
// folder field); else OK (the id NSIS gives Next, Uninstall and Close too).
BOOL CALLBACK AnswerDialog(HWND window, LPARAM context) {
    auto& answering = *reinterpret_cast<Answering*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    ::GetClassNameA(window, className, sizeof(className));
    if (owner == answering.ownProcess || !::IsWindowVisible(window) || std::string(className) != "#32770")
        return TRUE;
    const bool messageBox = ::GetDlgItem(window, kMessageBoxText) != nullptr;
    if (EnabledButton(window, IDYES)) {
        Press(window, IDYES, answering);
    } else if (messageBox && answering.cancelAfterNotice && !answering.noticed &&
               EnabledButton(window, IDOK)) {
        std::printf("notice: %s\n", TextOf(::GetDlgItem(window, kMessageBoxText)).c_str());
        answering.noticed = true;
        Press(window, IDOK, answering);
    } else if (answering.cancelled) {
        return TRUE;
    } else if (!messageBox && answering.noticed && EnabledButton(window, IDCANCEL)) {
        std::printf("cancelled %s\n", ShowsFolderField(window) ? "the folder page" : "a page");
        answering.cancelled = true;
        Press(window, IDCANCEL, answering);
    } else if (EnabledButton(window, IDOK)) {
        Press(window, IDOK, answering);
    } else {
        return TRUE;
    }
    return FALSE;
}

int RunAnswering(const char* commandLine, bool cancelAfterNotice) {
    PROCESS_INFORMATION command = Start(commandLine);
    if (!command.hProcess)
        return Fail("the command does not start");
    Answering answering{::GetCurrentProcessId(), cancelAfterNotice};
    DWORD waited = 0;
    while (::WaitForSingleObject(command.hProcess, 100) == WAIT_TIMEOUT) {
        waited += 100;
        if (waited >= kExitDeadlineMs * 2) {
            ::TerminateProcess(command.hProcess, 99);
            ::CloseHandle(command.hProcess);
            return Fail("the command does not end", 0);
        }
        answering.pressed = false;
        ::EnumWindows(AnswerDialog, reinterpret_cast<LPARAM>(&answering));
        if (answering.pressed)
            ::Sleep(kPressPauseMs);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(command.hProcess, &code);
    ::CloseHandle(command.hProcess);
    std::printf("%lu\n", code);
    return 0;
}

int MakeTask(const std::string& program) {
    ScheduleValues weekly;
    weekly.enabled = true;
    const TaskChange made =
        RegisterScheduledTask(ScheduledTaskXml({weekly, program, ThisUserId(), "2026-12-08", "setup test"}));
    if (!made.ok)
        std::fprintf(stderr, "%s\n", made.error.c_str());
    return made.ok ? 0 : 1;
}

// Waits for condition, looking every 100 ms, for at most deadlineMs.
template <typename Condition>
bool WaitFor(Condition condition, DWORD deadlineMs) {
    for (DWORD waited = 0; waited < deadlineMs; waited += 100) {
        if (condition())
            return true;
        ::Sleep(100);
    }
    return condition();
}

struct DialogSearch {
    DWORD processId;
    int controlId;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindDialogWith(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    ::GetClassNameA(window, className, sizeof(className));
    if (owner != search->processId || window == search->except || !::IsWindowVisible(window) ||
        std::string(className) != "#32770" || !::GetDlgItem(window, search->controlId))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible dialog of the process holding a control with that id, waited for.
HWND WaitForDialogWith(DWORD processId, int controlId, HWND except = nullptr) {
    DialogSearch search{processId, controlId, except, nullptr};
    WaitFor(
        [&] {
            ::EnumWindows(FindDialogWith, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        kWindowDeadlineMs);
    return search.found;
}

// A control's text in another process: GetWindowText reads only a window's caption there, while the
// system carries WM_GETTEXT across.
std::string ControlText(HWND control) {
    wchar_t text[1024] = L"";
    ::SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return win::Narrow(text);
}

LRESULT Count(HWND list) {
    return ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
}

int RestoreFirstPoint(const char* exe) {
    std::string quoted = "\"";
    quoted.append(exe).append("\"");
    PROCESS_INFORMATION program = Start(quoted);
    if (!program.hProcess)
        return Fail("the program does not start");
    int result = 0;
    HWND frame = nullptr;
    WaitFor([&] { return (frame = VisibleWindowOf(program.dwProcessId)) != nullptr; }, kWindowDeadlineMs);
    HWND rescue = nullptr;
    if (!frame) {
        result = Fail("the program shows no window", 0);
    } else {
        ::PostMessageA(frame, WM_COMMAND, ID_TOOLS_RESCUE, 0);
        rescue = WaitForDialogWith(program.dwProcessId, IDC_RESCUE_RESTORE);
        if (!rescue)
            result = Fail("no rescue manager", 0);
    }
    if (result == 0) {
        HWND list = ::GetDlgItem(rescue, IDC_RESCUE_LIST);
        std::printf("%s\n%ld\n", ControlText(::GetDlgItem(rescue, IDC_RESCUE_FOLDER)).c_str(),
                    static_cast<long>(Count(list)));
        // The list's item is written into the program's own memory: a pointer of ours means
        // nothing there.
        void* remote =
            ::VirtualAllocEx(program.hProcess, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SIZE_T written = 0;
        if (!remote || !::WriteProcessMemory(program.hProcess, remote, &item, sizeof(item), &written)) {
            result = Fail("the row cannot be selected");
        } else {
            ::SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(remote));
            ::PostMessageA(::GetDlgItem(rescue, IDC_RESCUE_RESTORE), BM_CLICK, 0, 0);
            HWND question = WaitForDialogWith(program.dwProcessId, IDYES, rescue);
            if (!question) {
                result = Fail("no restore question", 0);
            } else {
                ::PostMessageA(question, WM_COMMAND, IDYES, 0);
                // Done when the point is gone from the list and Restore can be pressed again.
                if (!WaitFor(
                        [&] {
                            return Count(list) == 0 &&
                                   ::IsWindowEnabled(::GetDlgItem(rescue, IDC_RESCUE_RESTORE));
                        },
                        kExitDeadlineMs))
                    std::fprintf(stderr, "setup_probe: the restore did not end: %s\n",
                                 ControlText(::GetDlgItem(rescue, IDC_RESCUE_STATUS)).c_str());
                std::printf("%ld\n", static_cast<long>(Count(list)));
            }
            ::VirtualFreeEx(program.hProcess, remote, 0, MEM_RELEASE);
        }
        ::PostMessageA(rescue, WM_COMMAND, IDCANCEL, 0);
        WaitFor([&] { return !::IsWindow(rescue); }, kExitDeadlineMs);
    }
    if (frame) {
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        DWORD code = 0;
        if (ExitCodeWithin(program.hProcess, kExitDeadlineMs, code))
            std::printf("%lu\n", code);
        else if (result == 0)
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
    if (command == "yes" && argc == 3)
        return RunAnswering(argv[2], false);
    if (command == "notice" && argc == 3)
        return RunAnswering(argv[2], true);
    if (command == "task-make" && argc == 3)
        return MakeTask(argv[2]);
    if (command == "restore" && argc == 3)
        return RestoreFirstPoint(argv[2]);
    if (command == "task" && argc == 2) {
        std::printf("%s\n", ReadScheduledTask().exists ? "present" : "absent");
        return 0;
    }
    std::fprintf(stderr,
                 "usage: setup_probe log | version <file> | shortcut <file.lnk> | run <exe> <command>... | "
                 "yes <command> | notice <command> | task-make <exe> | task | restore <exe>\n");
    return 2;
}
