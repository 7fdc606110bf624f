#pragma once
// Program text is UTF-8 in std::string, in its WTF-8 form: unpaired UTF-16 surrogates, which
// Windows allows in file names, keep 3-byte sequences of their own, so every name the system
// gives comes back to it unchanged. Text crosses into the system as UTF-16 here. Header only: the
// log component stores its texts the same way.

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// UTF-16 as WTF-8, without loss.
inline std::string ToWtf8(std::wstring_view text);

// WTF-8 as UTF-16; false (out partly filled) when the bytes are not well-formed WTF-8.
inline bool FromWtf8(std::string_view bytes, std::wstring& out);

// Program text as UTF-16 for the system's text calls; a byte that is no part of well-formed
// WTF-8 shows as U+FFFD. Paths go through FileApiPath instead, which never guesses.
inline std::wstring Wide(std::string_view text);

// UTF-16 from the system as program text.
inline std::string Narrow(std::wstring_view text) {
    return ToWtf8(text);
}
inline std::string Narrow(const wchar_t* text) {
    return text ? ToWtf8(text) : std::string();
}

// Text from a system call in the shape of GetTempPathW, GetWindowsDirectoryW or
// GetEnvironmentVariableW: fetch(buffer, size) fills the buffer and returns the length written, or
// the size it needs when the buffer is too small, or 0 when it fails. "" when it fails.
template <typename Fetch>
std::wstring FetchSystemWideText(Fetch fetch) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    size_t n = fetch(buffer.data(), static_cast<UINT>(buffer.size()));
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = fetch(buffer.data(), static_cast<UINT>(buffer.size()));
    }
    buffer.resize(n > 0 && n < buffer.size() ? n : 0);
    return buffer;
}

// The same text as program text.
template <typename Fetch>
std::string FetchSystemText(Fetch fetch) {
    return Narrow(FetchSystemWideText(fetch));
}

}  // namespace win

#include "win/Wtf8.inl"
