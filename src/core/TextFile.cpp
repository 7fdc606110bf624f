#include "core/TextFile.h"

#include <algorithm>

#include "win/PathCalls.h"
#include "win/Text.h"

namespace {

std::string FromAnsiPage(const std::string& bytes) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return win::Narrow(wide);
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ReadTextFile(const std::string& path, uint64_t largestFile, UnmarkedText unmarked, std::string& text) {
    win::UniqueFile file = win::OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    return file && ReadOpenTextFile(file.get(), largestFile, unmarked, text);
}

bool ReadOpenTextFile(HANDLE file, uint64_t largestFile, UnmarkedText unmarked, std::string& text) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > largestFile)
        return false;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size()))
        return false;
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) {
        std::wstring wide((bytes.size() - 2) / sizeof(wchar_t), L'\0');
        std::copy(bytes.begin() + 2, bytes.begin() + 2 + wide.size() * sizeof(wchar_t),
                  reinterpret_cast<char*>(wide.data()));
        text = win::Narrow(wide);
    } else if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text = bytes.substr(3);
    } else {
        text = unmarked == UnmarkedText::Utf8 ? std::move(bytes) : FromAnsiPage(bytes);
    }
    return true;
}
