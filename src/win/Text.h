#pragma once
// Conversions between program text (8-bit, ANSI code page) and UTF-16 for COM.

#include <string>

namespace win {

std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const wchar_t* text, int length = -1);

// Lower-cases a copy with the system's ANSI rules (CharLowerBuffA), as path comparisons here do.
std::string LowerAnsi(std::string text);
void LowerInPlace(std::string& text);

}  // namespace win
