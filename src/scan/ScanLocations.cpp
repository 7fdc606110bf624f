#include "scan/ScanLocations.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "win/CharStep.h"
#include "win/PathParts.h"
#include "win/Text.h"

namespace {

// Lower-cased and without trailing backslashes, so "C:\Temp\" and "c:\temp" compare equal.
std::string ComparableForm(const std::string& folder) {
    std::string text = win::LowerAnsi(folder);
    while (win::EndsWithBackslash(text))
        text.pop_back();
    return text;
}

void AddIfKnown(std::vector<std::string>& folders, const std::string& folder) {
    if (!folder.empty())
        folders.push_back(LongPathForm(folder));
}

}  // namespace

std::string LongPathForm(const std::string& folder) {
    DWORD size = ::GetLongPathNameA(folder.c_str(), nullptr, 0);
    if (size == 0)
        return folder;
    std::string buffer(size, '\0');
    DWORD length = ::GetLongPathNameA(folder.c_str(), buffer.data(), size);
    if (length == 0 || length >= size)
        return folder;
    buffer.resize(length);
    return buffer;
}

std::vector<std::string> ProtectedFolders(const std::string& programFolder) {
    std::vector<std::string> folders;
    char buffer[MAX_PATH + 1] = {};
    UINT length = ::GetWindowsDirectoryA(buffer, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH)
        AddIfKnown(folders, std::string(buffer, length));
    length = ::GetSystemDirectoryA(buffer, MAX_PATH + 1);
    if (length > 0 && length <= MAX_PATH)
        AddIfKnown(folders, std::string(buffer, length));
    // The variable is what programs see as the profile; the shell's answer covers a variable that
    // is unset or points elsewhere.
    DWORD size = ::GetEnvironmentVariableA("USERPROFILE", nullptr, 0);
    if (size > 1) {
        std::string profile(size, '\0');
        DWORD got = ::GetEnvironmentVariableA("USERPROFILE", profile.data(), size);
        if (got > 0 && got < size)
            AddIfKnown(folders, profile.substr(0, got));
    }
    // The shell's folders of the user's own files and settings, and of the installed programs: the
    // system locations lie inside some of them, never at or above one.
    for (int id : {CSIDL_PROFILE, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                   CSIDL_PROGRAM_FILES}) {
        buffer[0] = '\0';
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, buffer)))
            AddIfKnown(folders, buffer);
    }
    AddIfKnown(folders, programFolder);
    return folders;
}

bool IsUnsafeScanLocation(const std::string& folder, const std::vector<std::string>& protectedFolders) {
    if (!win::IsFullPath(folder))
        return true;
    const std::string location = ComparableForm(folder);
    if (win::IsRootPath(location))
        return true;
    for (const std::string& protectedFolder : protectedFolders) {
        const std::string inner = ComparableForm(protectedFolder);
        if (inner.empty())
            continue;
        // The location is that folder, or a folder above it (a whole path component, so C:\Users\b
        // is no folder above C:\Users\bob).
        if (inner == location ||
            (inner.size() > location.size() && inner.compare(0, location.size(), location) == 0 &&
             inner[location.size()] == '\\'))
            return true;
    }
    return false;
}
