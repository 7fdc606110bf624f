#pragma once
// The file calls that name their file by path, each in the "\\?\" form (CheckedApiPath), so that
// every name reaches the system exactly and at any length. Each sets the last error when it fails.

#include <windows.h>

#include <string>
#include <string_view>

#include "win/UniqueHandle.h"

namespace win {

DWORD FileAttributes(std::string_view path);  // INVALID_FILE_ATTRIBUTES when it fails
bool FileAttributeData(std::string_view path, WIN32_FILE_ATTRIBUTE_DATA& data);
bool SetFileAttributesOf(std::string_view path, DWORD attributes);
bool RemoveFile(std::string_view path);
bool MakeFolder(std::string_view path);
bool RemoveFolder(std::string_view path);
bool CopyFileTo(std::string_view from, std::string_view to, bool failIfExists);
bool MoveFileTo(std::string_view from, std::string_view to, DWORD flags);
UniqueFile OpenFile(std::string_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0);
// Opened to be looked at only: no access to its data, shared with everyone, a folder too.
UniqueFile OpenToLookAt(std::string_view path);

// The root of the volume path lies on ("C:\", "\\server\share\", a mounted folder), folded for
// comparison; "" when unknown.
std::wstring VolumeOf(std::string_view path);
// The same root in the program's form, with its final backslash ("C:\\"); "" when unknown.
std::string VolumeRootOf(std::string_view path);

}  // namespace win
