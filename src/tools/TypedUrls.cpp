#include "tools/TypedUrls.h"

#include <cwchar>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

const char* const kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedUrls";

namespace {

constexpr DWORD kNameBufferSize = 255;    // characters of a value name, its terminator included
constexpr size_t kShownCharacters = 254;  // of a longer address, shown before "..."

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The first kShownCharacters characters (never half of a surrogate pair) and "...".
std::wstring Shortened(std::wstring text) {
    if (text.size() <= kShownCharacters)
        return text;
    size_t end = kShownCharacters;
    if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF)
        --end;
    return text.substr(0, end) + L"...";
}

}  // namespace

std::string TypedUrlText(HKEY key, const std::string& name) {
    const std::wstring valueName = win::Wide(name);
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (!IsText(type))
        return FormatText(Translate("_TypedUrlsNotText"), {name});
    // Read whole, however long, to show its start; the value may grow between the two calls.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 1);
    for (;;) {
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        const LONG result = ::RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            data.resize(size / sizeof(wchar_t) + 1);
            continue;
        }
        if (result != ERROR_SUCCESS || !IsText(type))
            return {};
        break;
    }
    // The text up to its first NUL, never past what was read.
    const size_t units = size / sizeof(wchar_t);
    return win::Narrow(Shortened(std::wstring(data.data(), wcsnlen(data.data(), units))));
}

std::vector<TypedUrl> TypedUrlHistory::Read() const {
    std::vector<TypedUrl> urls;
    win::UniqueRegKey key;
    if (::RegCreateKeyExW(root_, win::Wide(subKey_).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
        return urls;
    std::vector<wchar_t> name(kNameBufferSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = kNameBufferSize;
        if (::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        urls.push_back({win::Narrow(std::wstring_view(name.data(), length)), {}});
    }
    // The texts after the listing, so that no query runs between two enumeration steps.
    for (TypedUrl& url : urls)
        url.text = TypedUrlText(key.get(), url.name);
    return urls;
}

void TypedUrlHistory::Delete(const std::vector<std::string>& names) const {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(root_, win::Wide(subKey_).c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS)
        return;
    for (const std::string& name : names)
        ::RegDeleteValueW(key.get(), win::Wide(name).c_str());
    ::RegFlushKey(key.get());
}
