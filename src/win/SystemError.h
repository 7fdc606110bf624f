#pragma once
// The system's own words for an error code, as a failure's log line gives its reason.

#include <windows.h>

#include <string>

namespace win {

// FormatMessage's text for error (a Win32 error code), without its final period and line break;
// "error <number>" when the system has no text for it.
std::string SystemErrorText(DWORD error);

}  // namespace win
