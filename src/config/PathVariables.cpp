#include "config/PathVariables.h"

#include "core/DataFolders.h"
#include "core/ProgramPath.h"
#include "win/CharStep.h"
#include "win/Text.h"

namespace {

// A system folder without one trailing backslash; empty when the call fails.
template <typename Fetch>
std::string SystemFolder(Fetch fetch) {
    std::string folder = win::FetchSystemText(fetch);
    if (win::EndsWithBackslash(folder))
        folder.pop_back();
    return folder;
}

struct Variable {
    const char* name;
    std::string PathFolders::*folder;
};

// The order of the steps in both directions.
constexpr Variable kVariables[] = {
    {"%ModulePath%", &PathFolders::program},
    {"%WindowsDirectory%", &PathFolders::windows},
    {"%SystemDirectory%", &PathFolders::system},
    {"%TempDirectory%", &PathFolders::temp},
};

}  // namespace

PathFolders CurrentPathFolders() {
    PathFolders folders;
    const DataFolders data = ProgramDataFolders();
    folders.program = data.program;
    folders.factoryBackup = data.factoryBackup;
    folders.windows = SystemFolder([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); });
    folders.system = SystemFolder([](wchar_t* b, UINT n) { return ::GetSystemDirectoryW(b, n); });
    folders.temp = SystemFolder([](wchar_t* b, UINT n) { return static_cast<UINT>(::GetTempPathW(n, b)); });
    return folders;
}

std::string ReplaceAllText(const std::string& text, const std::string& from, const std::string& to) {
    if (from.empty())
        return text;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
        } else {
            size_t next = win::NextCharIndex(text, i);
            out.append(text, i, next - i);
            i = next;
        }
    }
    return out;
}

std::string TranslatePath(const std::string& text, PathDirection direction, const PathFolders& folders) {
    const std::string programBackup = folders.program + "\\Backup";
    if (!folders.factoryBackup.empty() && folders.factoryBackup != programBackup) {
        if (direction == PathDirection::Expand && text == kFactoryBackupText)
            return folders.factoryBackup;
        if (direction == PathDirection::Contract && text == folders.factoryBackup)
            return kFactoryBackupText;
        if (direction == PathDirection::Contract && !folders.program.empty() && text == programBackup)
            return text;
    }
    std::string result = text;
    for (const Variable& variable : kVariables) {
        const std::string& folder = folders.*variable.folder;
        if (direction == PathDirection::Expand)
            result = ReplaceAllText(result, variable.name, folder);
        else if (!folder.empty())
            result = ReplaceAllText(result, folder, variable.name);
    }
    return result;
}

std::string TranslatePath(const std::string& text, PathDirection direction) {
    return TranslatePath(text, direction, CurrentPathFolders());
}
