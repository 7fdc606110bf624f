#include "tools/TypedUrls.h"

#include <cstring>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "win/CharStep.h"
#include "win/UniqueHandle.h"

const char* const kTypedUrlsKey = "Software\\Microsoft\\Internet Explorer\\TypedUrls";

namespace {

constexpr DWORD kDataBufferSize = 255;  // bytes of value data read for a row
constexpr DWORD kNameBufferSize = 255;  // characters of a value name, its terminator included
constexpr size_t kShownCharacters = kDataBufferSize - 1;

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The text up to its first NUL, never reading past size bytes.
std::string TextOf(const char* data, DWORD size) {
    return std::string(data, strnlen(data, size));
}

// The first kShownCharacters characters (never half of a double-byte one) and "...".
std::string Shortened(const std::string& text) {
    if (text.size() <= kShownCharacters)
        return text;
    size_t end = 0;
    for (size_t next; (next = win::NextCharIndex(text, end)) <= kShownCharacters && next > end;)
        end = next;
    return text.substr(0, end) + "...";
}

}  // namespace

std::string TypedUrlText(HKEY key, const std::string& name) {
    char data[kDataBufferSize] = {};
    DWORD type = REG_NONE;
    DWORD size = kDataBufferSize;
    LONG result = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    if (result == ERROR_SUCCESS)
        return IsText(type) ? TextOf(data, size) : FormatText(Translate("_TypedUrlsNotText"), {name});
    if (result != ERROR_MORE_DATA)
        return {};
    if (!IsText(type))
        return FormatText(Translate("_TypedUrlsNotText"), {name});
    // Too long for the buffer, whose contents are undefined now: read it whole to show its start.
    std::vector<char> whole(size);
    if (::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(whole.data()), &size) !=
            ERROR_SUCCESS ||
        !IsText(type))
        return {};
    return Shortened(TextOf(whole.data(), size));
}

std::vector<TypedUrl> TypedUrlHistory::Read() const {
    std::vector<TypedUrl> urls;
    win::UniqueRegKey key;
    if (::RegCreateKeyA(root_, subKey_.c_str(), key.put()) != ERROR_SUCCESS)
        return urls;
    for (DWORD index = 0;; ++index) {
        char name[kNameBufferSize] = {};
        DWORD length = kNameBufferSize;
        if (::RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        urls.push_back({std::string(name, length), {}});
    }
    // The texts after the listing, so that no query runs between two enumeration steps.
    for (TypedUrl& url : urls)
        url.text = TypedUrlText(key.get(), url.name);
    return urls;
}

void TypedUrlHistory::Delete(const std::vector<std::string>& names) const {
    win::UniqueRegKey key;
    if (::RegOpenKeyA(root_, subKey_.c_str(), key.put()) != ERROR_SUCCESS)
        return;
    for (const std::string& name : names)
        ::RegDeleteValueA(key.get(), name.c_str());
    ::RegFlushKey(key.get());
}
