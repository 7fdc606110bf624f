#include "core/ProgramPath.h"

#include <windows.h>

#include <vector>

#include "core/DataFolders.h"
#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/PathParts.h"

std::string ProgramFilePath() {
    // Grows the buffer until the whole path fits: a cut-off path would name the wrong folder. A program
    // started by its "\\?\" form gets that form back; the program keeps paths without it.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return {};
        if (n < buffer.size())
            return win::FromFileApiPath(std::wstring_view(buffer.data(), n));
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

namespace {
std::string g_programDirectoryOverride;
}  // namespace

void OverrideProgramDirectory(const std::string& folder) {
    g_programDirectoryOverride = folder;
}

bool ProgramDirectoryOverridden() {
    return !g_programDirectoryOverride.empty();
}

std::string ProgramDirectory() {
    if (!g_programDirectoryOverride.empty())
        return g_programDirectoryOverride;
    return win::FolderPartOf(ProgramFilePath());
}

std::string ProgramBaseName() {
    return ProgramBaseNameOf(ProgramFilePath());
}

std::string ProgramBaseNameOf(const std::string& modulePath) {
    const std::string name = win::NamePartOf(modulePath);
    const size_t dot = win::FindLastCharOf(name, ".");
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string ActivityLogDataFolder(const std::string& programFolder) {
    return programFolder + "\\Log\\Data";
}

std::string ProgramLogFolder() {
    return ProgramDataFolders().LogDataFolder();
}
