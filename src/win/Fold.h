#pragma once
// Names compared as the file system compares them: ordinal, without regard to case, each UTF-16
// unit upper-cased by the system's invariant table (the same for every user and language), so a
// mask, a skip folder and a path match in every script.

#include <string>
#include <string_view>

namespace win {

// The folded form of one UTF-16 unit. Surrogates fold to themselves.
wchar_t FoldUnit(wchar_t unit) noexcept;

void FoldInPlace(std::wstring& text) noexcept;
std::wstring Folded(std::wstring_view text);

// Program text (UTF-8) folded, for comparisons only.
std::wstring FoldedText(std::string_view text);

// True when the two texts are the same without regard to case.
bool SameFolded(std::string_view a, std::string_view b);

// Orders two program texts by their folded characters (code points), without making copies:
// negative, zero or positive as a comes before, with or after b.
int CompareFolded(std::string_view a, std::string_view b) noexcept;

}  // namespace win
