#include "tools/TypedUrls.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

const char* const kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedUrls";

namespace {

constexpr DWORD kLongestValueName = 16383;  // characters, as the registry limits them
constexpr size_t kShownCharacters = 254;    // of a longer address, shown before "..."

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

// The value's type and data, whole; false when it cannot be read (it may be gone).
bool ReadValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<unsigned char>& data) {
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    // The value may grow between two calls.
    for (;;) {
        data.resize(size);
        const LONG result = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return true;
    }
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
    DWORD longest = 0;
    ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest,
                       nullptr, nullptr, nullptr);
    std::vector<wchar_t> name(std::min(longest, kLongestValueName) + 1);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG result =
            ::RegEnumValueW(key.get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        // A name added meanwhile may be longer than the key said: the same index again, with room.
        if (result == ERROR_MORE_DATA && name.size() <= kLongestValueName) {
            name.resize(kLongestValueName + 1);
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        urls.push_back({win::Narrow(std::wstring_view(name.data(), length)), {}});
        ++index;
    }
    // The texts after the listing, so that no query runs between two enumeration steps.
    for (TypedUrl& url : urls) {
        url.text = TypedUrlText(key.get(), url.name);
        ReadValue(key.get(), win::Wide(url.name), url.type, url.data);
    }
    return urls;
}

void TypedUrlHistory::Delete(const std::vector<TypedUrl>& reviewed) const {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(root_, win::Wide(subKey_).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.put()) !=
        ERROR_SUCCESS)
        return;
    for (const TypedUrl& url : reviewed) {
        const std::wstring name = win::Wide(url.name);
        DWORD type = REG_NONE;
        std::vector<unsigned char> data;
        if (ReadValue(key.get(), name, type, data) && type == url.type && data == url.data)
            ::RegDeleteValueW(key.get(), name.c_str());
    }
    ::RegFlushKey(key.get());
}
