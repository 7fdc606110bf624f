#pragma once
// The small text chores that every reader of names, keys and lines shares: ASCII letter case (switch
// names, INI keys, registry roots and markers are ASCII, read without regard to case, while a
// file name's case is the system's business: win::FoldedText), cutting a text at a separator, and
// the steps of a path.

#include <string>
#include <string_view>
#include <vector>

namespace win {

// The text with its ASCII capitals made small; every other byte as it is.
std::string LowerAscii(std::string_view text);
constexpr char LowerAscii(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when a and b differ only in the case of ASCII letters.
bool SameAscii(std::string_view a, std::string_view b) noexcept;

// The parts of text between its separators, empty ones too: "a||b" gives "a", "", "b"; "" gives "".
std::vector<std::string_view> Split(std::string_view text, char separator);
std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator);

// The lines of a text, each without its "\n" (a "\r" before it stays: readers trim their lines).
std::vector<std::string_view> Lines(std::string_view text);

// The steps of a path between its backslashes; empty steps (doubled or final backslashes) are none.
std::vector<std::string_view> PathSteps(std::string_view path);
std::vector<std::wstring_view> PathSteps(std::wstring_view path);

}  // namespace win
