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
    variables.Set("SystemDrive", {Environment("SystemDrive")});
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
        std::vector<std::string> expanded;
        for (const std::string& text : texts)
            for (const std::string& folder : folders)
                if (std::string whole = text + folder;
                    std::find(expanded.begin(), expanded.end(), whole) == expanded.end())
                    expanded.push_back(std::move(whole));
        texts = std::move(expanded);
        i = close + 1;
    }
    return texts;
}
