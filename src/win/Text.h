#pragma once
// Conversions between program text (8-bit, ANSI code page) and UTF-16 for COM. Header only.

#include <windows.h>

#include <cwchar>
#include <string>

namespace win {

inline std::wstring AnsiToWide(const std::string& text) {
    if (text.empty())
        return {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

inline std::string WideToAnsi(const wchar_t* text, int length = -1) {
    if (!text)
        return {};
    if (length < 0)
        length = static_cast<int>(std::wcslen(text));
    if (length == 0)
        return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), n, nullptr, nullptr);
    return ansi;
}

// Lower-cases with the system's ANSI rules (CharLowerBuffA), as path comparisons here do.
inline void LowerInPlace(std::string& text) {
    if (!text.empty())
        ::CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
}
inline std::string LowerAnsi(std::string text) {
    LowerInPlace(text);
    return text;
}

}  // namespace win
