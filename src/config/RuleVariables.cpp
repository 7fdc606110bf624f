#include "config/RuleVariables.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "config/RuleFile.h"
#include "win/CharStep.h"
#include "win/Text.h"
#include "win/TextParts.h"

namespace {

std::string WithoutFinalBackslash(std::string folder) {
    while (folder.size() > 3 && win::EndsWithBackslash(folder))
        folder.pop_back();
    return folder;
}

std::string Environment(std::string_view name) {
    const std::wstring wide = win::Wide(name);
    return WithoutFinalBackslash(win::FetchSystemText([&](wchar_t* b, UINT n) {
        return static_cast<UINT>(::GetEnvironmentVariableW(wide.c_str(), b, n));
    }));
}

// The root folder of the drive the system is on (C:\). The environment gives "C:", which
// joined to what follows would name a folder relative to that drive's current folder.
std::string SystemDriveRoot() {
    std::string drive = Environment("SystemDrive");
    if (drive.size() < 2 || drive[1] != ':')
        drive = win::FetchSystemText([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); });
    if (drive.size() < 2 || drive[1] != ':')
        return {};
    return drive.substr(0, 2) + '\\';
}

}  // namespace

std::string KnownFolderPath(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        folder = win::Narrow(path);
    ::CoTaskMemFree(path);
    return WithoutFinalBackslash(folder);
}

RuleVariables RuleVariables::Current() {
    RuleVariables variables;
    variables.UseEnvironment(true);
    variables.Set("AppData", {KnownFolderPath(FOLDERID_RoamingAppData)});
    variables.Set("LocalAppData", {KnownFolderPath(FOLDERID_LocalAppData)});
    variables.Set("LocalLowAppData", {KnownFolderPath(FOLDERID_LocalAppDataLow)});
    variables.Set("CommonAppData", {KnownFolderPath(FOLDERID_ProgramData)});
    variables.Set("ProgramData", {KnownFolderPath(FOLDERID_ProgramData)});
    // A 32-bit program asks the environment for the 64-bit folders: the shell gives it none.
    variables.Set("ProgramFiles", {Environment("ProgramW6432"), KnownFolderPath(FOLDERID_ProgramFilesX86)});
    variables.Set("CommonProgramFiles",
                  {Environment("CommonProgramW6432"), KnownFolderPath(FOLDERID_ProgramFilesCommonX86)});
    variables.Set("Documents", {KnownFolderPath(FOLDERID_Documents)});
    variables.Set("Music", {KnownFolderPath(FOLDERID_Music)});
    variables.Set("Pictures", {KnownFolderPath(FOLDERID_Pictures)});
    variables.Set("Video", {KnownFolderPath(FOLDERID_Videos)});
    variables.Set("Public", {KnownFolderPath(FOLDERID_Public)});
    variables.Set("UserProfile", {KnownFolderPath(FOLDERID_Profile)});
    variables.Set("WinDir", {WithoutFinalBackslash(win::FetchSystemText(
                                [](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); }))});
    variables.Set("SystemDrive", {SystemDriveRoot()});
    return variables;
}

void RuleVariables::Set(std::string_view name, std::vector<std::string> folders) {
    std::vector<std::string> known;
    for (std::string& folder : folders)
        if (!folder.empty() && std::find(known.begin(), known.end(), folder) == known.end())
            known.push_back(std::move(folder));
    folders_[win::LowerAscii(name)] = std::move(known);
}

std::vector<std::string> RuleVariables::FoldersOf(std::string_view name) const {
    const auto found = folders_.find(win::LowerAscii(name));
    if (found != folders_.end())
        return found->second;
    if (useEnvironment_) {
        std::string value = Environment(name);
        if (!value.empty())
            return {std::move(value)};
    }
    return {};
}

std::vector<std::string> RuleVariables::Expand(std::string_view path) const {
    std::vector<std::string> texts{std::string()};
    for (size_t i = 0; i < path.size();) {
        const size_t open = path.find('%', i);
        const std::string_view plain =
            path.substr(i, open == std::string_view::npos ? std::string_view::npos : open - i);
        for (std::string& text : texts)
            text += plain;
        if (open == std::string_view::npos)
            break;
        const size_t close = path.find('%', open + 1);
        if (close == std::string_view::npos || close == open + 1)
            return {};
        const std::vector<std::string> folders = FoldersOf(path.substr(open + 1, close - open - 1));
        if (folders.empty())
            return {};
        // A root keeps its backslash (C:\ for %SystemDrive%), so "%SystemDrive%\x" and
        // "%SystemDrive%x" both name C:\x, as Windows reads the doubled backslash of the first.
        const bool separatorFollows =
            close + 1 < path.size() && (path[close + 1] == '\\' || path[close + 1] == '/');
        std::vector<std::string> expanded;
        for (const std::string& text : texts)
            for (const std::string& folder : folders)
                if (std::string whole = text + (separatorFollows && win::EndsWithBackslash(folder)
                                                    ? folder.substr(0, folder.size() - 1)
                                                    : folder);
                    std::find(expanded.begin(), expanded.end(), whole) == expanded.end())
                    expanded.push_back(std::move(whole));
        texts = std::move(expanded);
        i = close + 1;
    }
    return texts;
}
