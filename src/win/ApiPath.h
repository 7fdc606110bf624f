#pragma once
// The forms of a path that the file calls take and give. Program paths are UTF-8; each call takes
// the "\\?\" form of a full path, which the system reads exactly as written: no name is cut at
// 260 characters, and no final dot or blank is dropped.

#include <windows.h>

#include <string>
#include <string_view>

#include "win/Result.h"

namespace win {

// The form of a path that the file calls read as written: "C:\x" as "\\?\C:\x", "\\server\share\x"
// as "\\?\UNC\server\share\x"; a path already in that form stays as it is. Anything else (a
// relative or device path) is passed on unchanged. Text that is no well-formed program text gives
// "", which no call accepts.
std::wstring FileApiPath(std::string_view path);
std::wstring FileApiPath(std::wstring_view path);

// A path as the file calls give it back ("\\?\C:\x", "\\?\UNC\s\h\x"), in the program's form.
std::string FromFileApiPath(std::wstring_view apiPath);

// True when a path may be handed to a file call: it has the "\\?\" form, or it is shorter than
// MAX_PATH. The calls refuse any other (ERROR_FILENAME_EXCED_RANGE), so that a path that missed
// its prefix fails everywhere, as it would on Windows, not only where Windows is strict.
bool IsUsableApiPath(std::wstring_view apiPath) noexcept;

// The API form of path for a file call, or why no call may take it (ERROR_INVALID_NAME for text
// that is no path, ERROR_FILENAME_EXCED_RANGE as above).
ResultOf<std::wstring> CheckedApiPath(std::string_view path);

}  // namespace win
