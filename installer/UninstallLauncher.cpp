// Uninstall.exe: the uninstall a script (and Windows' list of installed programs) can wait for.
//
// The uninstaller proper is the setup's NSIS uninstaller, kept beside this file as Uninstall.dat.
// Started from the program's folder, an NSIS uninstaller hands over to a copy of itself in the
// temporary folder and returns at once; started with "_?=<folder>" it waits, but cannot remove its
// own file, which it holds open. So this launcher runs a copy of it from a folder of its own in the
// temporary folder with "_?=<this folder>" and waits for it. When the copy removed the program
// (exit code 0), the launcher moves its own file out of the program's folder (Windows renames the
// file of a running program, though it deletes it only once the process has ended) and removes
// the folder when it is empty (the restore points and the log may stay). It returns only then, so
// whoever waits for it finds the outcome final, and its exit code tells which:
//   0  the program is removed
//   1  the user cancelled (nothing more is removed)
//   2  refused because Quillmoor runs (nothing is removed)
//   3  the uninstaller could not be started (nothing is removed)
//   4  the program is removed, but this file could not leave its folder
// Once the program is removed, the user's automatic cleaning goes too: its task in the Task
// Scheduler would start a program that is no longer there (a task that runs a copy of Quillmoor in
// another folder stays). A task that cannot be removed is told, in the system's words, unless silent.
// Its arguments go to the uninstaller as they are (/S: silent); a "_?=" the caller put last is
// replaced by this file's folder. Only its moved file and folder stay in the temporary folder.
//
// The uninstaller runs this file once more, as "Uninstall.exe /REMOVEBACKUPANDLOG", when the user
// chose to delete the restore points and the activity log: NSIS removes a folder tree by name and
// follows every link and junction inside it, into the user's documents or anywhere else. This
// mode takes the Backup and Log folders beside this file apart with the program's own removal of
// restore points, which removes each entry through a handle checked to be at its path and of the
// kind listed, leaves a link as it is or removes it as a link, never enters one, and leaves a
// folder swapped for a link meanwhile. It names no folder on its command line, so it can be
// pointed nowhere else. Its exit code:
//   0  both folders are gone (or were never there)
//   1  something stayed (a link the system does not let go of by itself, a file in use)
#include <windows.h>

#include <string>

#include "clean/RestorePointTree.h"
#include "session/ScheduledTask.h"
#include "win/ComPtr.h"
#include "win/PathCalls.h"
#include "win/TruePath.h"
#include "win/Result.h"
#include "win/SystemError.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

constexpr DWORD kNotStarted = 3;
constexpr DWORD kLeftBehind = 4;

constexpr wchar_t kRemoveBackupAndLog[] = L"/REMOVEBACKUPANDLOG";
// The folders the program keeps beside itself that the setup never installed.
constexpr const char* kUserDataFolders[] = {"Backup", "Log"};
constexpr DWORD kUserDataStayed = 1;

// The path of this program's file; "" when the system cannot give it.
std::wstring OwnPath() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return buffer.substr(0, n);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring ParentOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// The command line after the program's own name, which is quoted or ends at the first blank.
std::wstring ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* p = commandLine;
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

// The arguments without a final "_?=<folder>", which the uninstaller reads up to the line's end.
std::wstring WithoutFolderArgument(std::wstring arguments) {
    for (size_t at = arguments.find(L"_?="); at != std::wstring::npos; at = arguments.find(L"_?=", at + 1)) {
        if (at == 0 || arguments[at - 1] == L' ' || arguments[at - 1] == L'\t') {
            arguments.erase(at);
            break;
        }
    }
    while (!arguments.empty() && (arguments.back() == L' ' || arguments.back() == L'\t'))
        arguments.pop_back();
    return arguments;
}

// True when "/S" stands among the arguments as a word of its own, as the uninstaller reads it.
bool IsSilent(const std::wstring& arguments) {
    for (size_t at = arguments.find(L"/S"); at != std::wstring::npos; at = arguments.find(L"/S", at + 1)) {
        const bool starts = at == 0 || arguments[at - 1] == L' ' || arguments[at - 1] == L'\t';
        const bool ends =
            at + 2 == arguments.size() || arguments[at + 2] == L' ' || arguments[at + 2] == L'\t';
        if (starts && ends)
            return true;
    }
    return false;
}

// A new folder in the temporary folder for this run, named after this process.
win::Result MakeWorkFolder(std::wstring& folder) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH)
        return n == 0 ? win::Result::LastError() : win::Result::Failed(ERROR_BUFFER_OVERFLOW);
    const std::wstring stem =
        std::wstring(temp, n) + L"Quillmoor-uninstall-" + std::to_wstring(::GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        folder = attempt == 0 ? stem : stem + L"-" + std::to_wstring(attempt);
        if (::CreateDirectoryW(folder.c_str(), nullptr))
            return {};
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS)
            return win::Result::Failed(error);
    }
    return win::Result::Failed(ERROR_ALREADY_EXISTS);
}

// Runs the command line with the program given, in the folder given, and waits for its end.
win::Result RunAndWait(const std::wstring& program, std::wstring commandLine, const std::wstring& folder,
                       DWORD& exitCode) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &started))
        return win::Result::LastError();
    const win::UniqueHandle process(started.hProcess);
    const win::UniqueHandle thread(started.hThread);
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0)
        return win::Result::LastError();
    return win::Result::From(::GetExitCodeProcess(process.get(), &exitCode));
}

// Moves this program's file into the work folder. A file already gone counts as moved: the
// uninstaller may have been able to delete it.
win::Result LeaveFolder(const std::wstring& self, const std::wstring& workFolder) {
    const std::wstring target = workFolder + L"\\Uninstall.exe";
    if (::MoveFileExW(self.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return {};
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? win::Result() : win::Result::Failed(error);
}

// A silent run says nothing; otherwise the user learns why the uninstall stopped, in the system's
// own words and language.
DWORD Fail(DWORD exitCode, win::Result failure, bool silent) {
    if (!silent)
        ::MessageBoxW(nullptr, win::Wide(win::SystemErrorText(failure.Error())).c_str(), L"Quillmoor",
                      MB_OK | MB_ICONERROR);
    return exitCode;
}

// Runs a copy of the uninstaller kept in the program's folder from the work folder, on the program's
// folder, and waits for its end; the copy goes afterwards.
win::Result RunUninstallerCopy(const std::wstring& programFolder, const std::wstring& workFolder,
                               const std::wstring& arguments, DWORD& exitCode) {
    // A process keeps its current folder from being removed: this one stays in the temporary folder,
    // so that neither the program's folder nor the work folder is its.
    win::Result result = win::Result::From(::SetCurrentDirectoryW(ParentOf(workFolder).c_str()));
    const std::wstring copy = workFolder + L"\\Uninstaller.exe";
    if (result)
        result =
            win::Result::From(::CopyFileW((programFolder + L"\\Uninstall.dat").c_str(), copy.c_str(), FALSE));
    if (result) {
        std::wstring commandLine = L"\"" + copy + L"\"";
        if (!arguments.empty())
            commandLine += L" " + arguments;
        commandLine += L" _?=" + programFolder;
        result = RunAndWait(copy, commandLine, ParentOf(workFolder), exitCode);
    }
    ::DeleteFileW(copy.c_str());
    return result;
}

// Removes this user's automatic cleaning when it runs the program of programFolder, or when the
// Task Scheduler does not tell what it runs.
void RemoveAutomaticCleaning(const std::wstring& programFolder, bool silent) {
    const win::ComApartment com;
    const TaskState task = ReadScheduledTask();
    if (!task.exists)
        return;
    if (!task.action.command.empty() &&
        ::CompareStringOrdinal(ParentOf(win::Wide(task.action.command)).c_str(), -1, programFolder.c_str(),
                               -1, TRUE) != CSTR_EQUAL)
        return;
    const TaskChange removed = RemoveScheduledTask();
    if (!removed.ok && !silent)
        ::MessageBoxW(nullptr, win::Wide(removed.error).c_str(), L"Quillmoor", MB_OK | MB_ICONWARNING);
}

DWORD Uninstall() {
    const std::wstring arguments = WithoutFolderArgument(ArgumentsOf(::GetCommandLineW()));
    const bool silent = IsSilent(arguments);
    const std::wstring self = OwnPath();
    if (self.empty())
        return Fail(kNotStarted, win::Result::LastError(), silent);
    const std::wstring programFolder = ParentOf(self);
    std::wstring workFolder;
    if (const win::Result made = MakeWorkFolder(workFolder); !made)
        return Fail(kNotStarted, made, silent);
    DWORD exitCode = 0;
    const win::Result ran = RunUninstallerCopy(programFolder, workFolder, arguments, exitCode);
    if (!ran || exitCode != 0) {
        ::RemoveDirectoryW(workFolder.c_str());
        return ran ? exitCode : Fail(kNotStarted, ran, silent);
    }
    RemoveAutomaticCleaning(programFolder, silent);
    const win::Result left = LeaveFolder(self, workFolder);
    // Only an empty folder goes: the restore points and the log may have been kept.
    ::RemoveDirectoryW(programFolder.c_str());
    return left ? 0 : Fail(kLeftBehind, left, silent);
}

// Removes the Backup and Log folders beside this file, each as a restore point is removed.
DWORD RemoveBackupAndLog() {
    const std::wstring self = OwnPath();
    if (self.empty())
        return kUserDataStayed;
    // The folder's true form: the removal checks every entry's final path against the path it
    // lists, so a short name or another case on the way would keep everything.
    const win::ResultOf<std::string> folder = win::TruePathOf(win::Narrow(ParentOf(self)));
    if (!folder)
        return kUserDataStayed;
    DWORD result = 0;
    for (const char* name : kUserDataFolders) {
        const std::string path = folder.Value() + "\\" + name;
        if (win::FileAttributes(path).Error() == ERROR_FILE_NOT_FOUND)
            continue;
        if (!RemoveRestorePoint(path))
            result = kUserDataStayed;
    }
    return result;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    if (ArgumentsOf(::GetCommandLineW()) == kRemoveBackupAndLog)
        return static_cast<int>(RemoveBackupAndLog());
    return static_cast<int>(Uninstall());
}
