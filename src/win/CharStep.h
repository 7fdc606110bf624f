#pragma once
// Walking 8-bit text one character at a time: in a double-byte code page a lead byte and the byte
// after it form one character, and that second byte can look like '\' or any other ASCII byte.

#include <windows.h>

#include <string_view>

namespace win {

// True when byte starts a double-byte character of the code page (CP_ACP: the system's ANSI page).
bool IsLeadByte(unsigned char byte, UINT codePage = CP_ACP) noexcept;

// Position of the character after the one that starts at index; never beyond text's end.
size_t NextCharIndex(std::string_view text, size_t index, UINT codePage = CP_ACP) noexcept;

// Start of the last character of text that is one of chars (all single-byte), or npos.
size_t FindLastCharOf(std::string_view text, std::string_view chars, UINT codePage = CP_ACP) noexcept;

// True when the last character of text is a backslash (not the second byte of a double-byte one).
bool EndsWithBackslash(std::string_view text, UINT codePage = CP_ACP) noexcept;

}  // namespace win
