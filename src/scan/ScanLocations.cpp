#include "scan/ScanLocations.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "win/CharStep.h"
#include "win/FileSystem.h"
#include "win/Fold.h"
#include "win/PathParts.h"
#include "win/Text.h"

namespace {

// Folded and without trailing backslashes, so "C:\Temp\" and "c:\temp" compare equal.
std::wstring ComparableForm(std::string folder) {
    while (win::EndsWithBackslash(folder))
        folder.pop_back();
    return win::FoldedText(folder);
}

void AddIfKnown(std::vector<std::string>& folders, const std::string& folder) {
    if (!folder.empty())
        folders.push_back(win::TruePathOfText(folder).path);
}

}  // namespace

std::vector<std::string> ProtectedFolders(const std::string& programFolder) {
    std::vector<std::string> folders;
    AddIfKnown(folders,
               win::FetchSystemText([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); }));
    AddIfKnown(folders, win::FetchSystemText([](wchar_t* b, UINT n) { return ::GetSystemDirectoryW(b, n); }));
    // The variable is what programs see as the profile; the shell's answer covers a variable that
    // is unset or points elsewhere.
    AddIfKnown(folders, win::FetchSystemText([](wchar_t* b, UINT n) {
                   return static_cast<UINT>(::GetEnvironmentVariableW(L"USERPROFILE", b, n));
               }));
    // The shell's folders of the user's own files and settings, and of the installed programs: the
    // system locations lie inside some of them, never at or above one.
    for (int id : {CSIDL_PROFILE, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                   CSIDL_PROGRAM_FILES}) {
        wchar_t buffer[MAX_PATH + 1] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            AddIfKnown(folders, win::Narrow(buffer));
    }
    AddIfKnown(folders, programFolder);
    return folders;
}

bool IsUnsafeScanLocation(const std::string& folder, const std::vector<std::string>& protectedFolders) {
    if (!win::IsFullPath(folder))
        return true;
    if (win::IsRootPath(folder))
        return true;
    const std::wstring location = ComparableForm(folder);
    for (const std::string& protectedFolder : protectedFolders) {
        const std::wstring inner = ComparableForm(protectedFolder);
        if (inner.empty())
            continue;
        // The location is that folder, or a folder above it (a whole path component, so C:\Users\b
        // is no folder above C:\Users\bob).
        if (inner == location ||
            (inner.size() > location.size() && inner.compare(0, location.size(), location) == 0 &&
             inner[location.size()] == L'\\'))
            return true;
    }
    return false;
}
