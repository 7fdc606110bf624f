#pragma once
// The file calls that name their file by path, each in the "\\?\" form (CheckedApiPath), so that
// every name reaches the system exactly and at any length. Each returns why it failed, captured at
// the failing call.

#include <windows.h>

#include <string>
#include <string_view>

#include "win/Result.h"
#include "win/UniqueHandle.h"

namespace win {

ResultOf<DWORD> FileAttributes(std::string_view path);
ResultOf<WIN32_FILE_ATTRIBUTE_DATA> FileAttributeData(std::string_view path);
Result SetFileAttributesOf(std::string_view path, DWORD attributes);
Result RemoveFile(std::string_view path);
Result MakeFolder(std::string_view path);
Result RemoveFolder(std::string_view path);
Result CopyFileTo(std::string_view from, std::string_view to, bool failIfExists);
Result MoveFileTo(std::string_view from, std::string_view to, DWORD flags);
// The open file's owner, empty when the call failed, with the last error set: a handle owner is
// its own empty value, as CreateFileW's handle is.
UniqueFile OpenFile(std::string_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0);
// Opened to be looked at only: no access to its data, shared with everyone, a folder too.
UniqueFile OpenToLookAt(std::string_view path);

// The root of the volume path lies on ("C:\", "\\server\share\", a mounted folder), folded for
// comparison; "" when unknown.
std::wstring VolumeOf(std::string_view path);
// The same root in the program's form, with its final backslash ("C:\\"); "" when unknown.
std::string VolumeRootOf(std::string_view path);

}  // namespace win
