#include "app/ProgramPath.h"

#include <windows.h>

#include <vector>

#include "win/CharStep.h"

std::string ProgramFilePath() {
    // Grows the buffer until the whole path fits: a cut-off path would name the wrong folder.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return std::string(buffer.data(), n);
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

namespace {
std::string g_programDirectoryOverride;
}  // namespace

void OverrideProgramDirectory(const std::string& folder) { g_programDirectoryOverride = folder; }

std::string ProgramDirectory() {
    if (!g_programDirectoryOverride.empty()) return g_programDirectoryOverride;
    return ProgramDirectoryOf(ProgramFilePath());
}

std::string ProgramBaseName() {
    return ProgramBaseNameOf(ProgramFilePath());
}

std::string ProgramDirectoryOf(const std::string& modulePath) {
    size_t cut = win::FindLastCharOf(modulePath, "\\:");
    if (cut == std::string::npos)
        return {};
    std::string folder = modulePath.substr(0, cut);
    // A folder cut at a backslash stands as it is; only a bare drive gets its colon back.
    if (modulePath[cut] == ':' && folder.find(':') == std::string::npos)
        folder += ':';
    return folder;
}

std::string ProgramBaseNameOf(const std::string& modulePath) {
    size_t cut = win::FindLastCharOf(modulePath, "\\:");
    std::string name = cut == std::string::npos ? modulePath : modulePath.substr(cut + 1);
    size_t dot = win::FindLastCharOf(name, ".");
    return dot == std::string::npos ? name : name.substr(0, dot);
}
