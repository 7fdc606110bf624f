#include "win/Text.h"

#include <windows.h>

#include "win/ComPtr.h"

namespace win {

std::wstring AnsiToWide(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::string WideToAnsi(const wchar_t* text, int length) {
    if (!text) return {};
    if (length < 0) length = static_cast<int>(wcslen(text));
    if (length == 0) return {};
    int n = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), n, nullptr, nullptr);
    return ansi;
}

void LowerInPlace(std::string& text) {
    if (!text.empty()) ::CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
}

std::string LowerAnsi(std::string text) {
    LowerInPlace(text);
    return text;
}

Bstr::Bstr(const std::string& ansi) {
    std::wstring wide = AnsiToWide(ansi);
    value_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

std::string Bstr::ToAnsi() const {
    return value_ ? WideToAnsi(value_, static_cast<int>(::SysStringLen(value_))) : std::string();
}

}  // namespace win
