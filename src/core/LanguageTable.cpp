#include "core/LanguageTable.h"

#include <mutex>
#include <vector>

#include "win/ApiPath.h"
#include "win/Text.h"

namespace {

constexpr DWORD kValueBufferSize = 65535;
constexpr int kWindowTextLimit = 65534;

std::string ReplaceAll(const std::string& text, const char* from, char to) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] == from[0] && i + 1 < text.size() && text[i + 1] == from[1]) {
            out += to;
            i += 2;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::string ExpandEscapes(const std::string& text) {
    return ReplaceAll(ReplaceAll(text, "\\r", '\r'), "\\n", '\n');
}

LanguageTable& LanguageTable::Instance() {
    static LanguageTable table;
    return table;
}

void LanguageTable::SetPath(const std::string& path) {
    std::unique_lock lock(cacheMutex_);
    path_ = path;
    cache_.clear();
    englishCache_.clear();
}

bool LanguageTable::SetTranslation(const std::string& path) {
    LanguageTexts texts;
    const bool read = path.empty() || ReadLanguageFile(path, texts);
    std::unique_lock lock(cacheMutex_);
    translation_ = std::move(texts);
    cache_.clear();
    return read;
}

std::string LanguageTable::ReadValue(const std::string& key) const {
    std::string value;
    {
        std::shared_lock lock(cacheMutex_);
        auto it = cache_.find(key);
        if (it != cache_.end())
            return it->second;
        auto translated = translation_.find(LanguageKey(key));
        if (translated != translation_.end())
            value = translated->second;
    }
    if (value.empty())
        value = ReadEnglishValue(key);
    std::unique_lock lock(cacheMutex_);
    cache_.emplace(key, value);
    return value;
}

std::string LanguageTable::ReadEnglishValue(const std::string& key) const {
    // An empty path would make the API read win.ini instead of "no file".
    // The wide profile call reads an ANSI file in the system's code page, as before, and a UTF-16
    // file (with its byte-order mark) as it is.
    if (path_.empty() || key.empty())
        return {};
    std::vector<wchar_t> buffer(kValueBufferSize);
    const std::wstring wideKey = win::Wide(key);
    DWORD n = ::GetPrivateProfileStringW(L"String", wideKey.c_str(), L"", buffer.data(), kValueBufferSize,
                                         win::FileApiPath(path_).c_str());
    return win::Narrow(std::wstring_view(buffer.data(), n));
}

std::string LanguageTable::English(const std::string& key) const {
    {
        std::shared_lock lock(cacheMutex_);
        auto it = englishCache_.find(key);
        if (it != englishCache_.end())
            return it->second;
    }
    std::string value = ReadEnglishValue(key);
    std::unique_lock lock(cacheMutex_);
    englishCache_.emplace(key, value);
    return value;
}

std::string LanguageTable::Translate(const std::string& key, bool expandEscapes) const {
    std::string value = ReadValue(key);
    if (value.empty())
        return key;
    return expandEscapes ? ExpandEscapes(value) : value;
}

void LanguageTable::TranslateOneWindow(HWND window) const {
    std::vector<wchar_t> buffer(kWindowTextLimit + 1);
    int n = ::GetWindowTextW(window, buffer.data(), kWindowTextLimit + 1);
    std::string text = ExpandEscapes(Translate(win::Narrow(std::wstring_view(buffer.data(), n > 0 ? n : 0))));
    if (!text.empty())
        ::SetWindowTextW(window, win::Wide(text).c_str());
}

BOOL CALLBACK LanguageTable::TranslateChild(HWND child, LPARAM self) {
    reinterpret_cast<const LanguageTable*>(self)->TranslateOneWindow(child);
    return TRUE;
}

void LanguageTable::TranslateWindow(HWND window) const {
    TranslateOneWindow(window);
    ::EnumChildWindows(window, TranslateChild, reinterpret_cast<LPARAM>(this));
}

void LanguageTable::TranslateMenu(HMENU menu) const {
    if (!::IsMenu(menu))
        return;
    int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (HMENU sub = ::GetSubMenu(menu, i))
            TranslateMenu(sub);
        int length = ::GetMenuStringW(menu, i, nullptr, 0, MF_BYPOSITION);
        std::string text;
        if (length > 0) {
            std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
            ::GetMenuStringW(menu, i, buffer.data(), length + 1, MF_BYPOSITION);
            text = win::Narrow(buffer.data());
        }
        std::string translated = Translate(text);
        if (translated.empty())
            continue;
        std::wstring wide = win::Wide(translated);
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = wide.data();
        ::SetMenuItemInfoW(menu, i, TRUE, &info);
    }
}
