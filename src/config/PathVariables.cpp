#include "config/PathVariables.h"

#include "core/ProgramPath.h"
#include "win/CharStep.h"

namespace {

// A system folder from a call that fills a buffer of MAX_PATH characters, without one trailing
// backslash; empty when the call fails or the folder does not fit.
template <typename Fetch>
std::string SystemFolder(Fetch fetch) {
    char buffer[MAX_PATH + 1] = {};
    UINT n = fetch(buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH)
        return {};
    std::string folder(buffer, n);
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
    folders.program = ProgramDirectory();
    folders.windows = SystemFolder([](char* b, UINT n) { return ::GetWindowsDirectoryA(b, n); });
    folders.system = SystemFolder([](char* b, UINT n) { return ::GetSystemDirectoryA(b, n); });
    folders.temp = SystemFolder([](char* b, UINT n) { return static_cast<UINT>(::GetTempPathA(n, b)); });
    return folders;
}

std::string ReplaceAllText(const std::string& text, const std::string& from, const std::string& to,
                           UINT codePage) {
    if (from.empty())
        return text;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, from.size(), from) == 0) {
            out += to;
            i += from.size();
        } else {
            size_t next = win::NextCharIndex(text, i, codePage);
            out.append(text, i, next - i);
            i = next;
        }
    }
    return out;
}

std::string TranslatePath(const std::string& text, PathDirection direction, const PathFolders& folders,
                          UINT codePage) {
    std::string result = text;
    for (const Variable& variable : kVariables) {
        const std::string& folder = folders.*variable.folder;
        if (direction == PathDirection::Expand)
            result = ReplaceAllText(result, variable.name, folder, codePage);
        else if (!folder.empty())
            result = ReplaceAllText(result, folder, variable.name, codePage);
    }
    return result;
}

std::string TranslatePath(const std::string& text, PathDirection direction) {
    return TranslatePath(text, direction, CurrentPathFolders());
}
