#pragma once
// Walking program text (UTF-8) one character at a time. No byte of a multi-byte sequence is an
// ASCII byte, so "\", ":" and the other separators are found by their bytes; cutting text short
// must still not split a sequence.

#include <string_view>

namespace win {

// Position of the character after the one that starts at index; never beyond text's end.
size_t NextCharIndex(std::string_view text, size_t index) noexcept;

// Start of the last character of text that is one of chars (all ASCII), or npos.
size_t FindLastCharOf(std::string_view text, std::string_view chars) noexcept;

// True when the last character of text is a backslash.
bool EndsWithBackslash(std::string_view text) noexcept;

// The longest start of text of at most maxBytes bytes that ends between two characters.
std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes) noexcept;

}  // namespace win
