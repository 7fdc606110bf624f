#include "win/TextParts.h"

#include <algorithm>

namespace win {

namespace {

template <typename Char>
std::vector<std::basic_string_view<Char>> SplitText(std::basic_string_view<Char> text, Char separator,
                                                    bool keepEmpty) {
    std::vector<std::basic_string_view<Char>> parts;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(separator, start), text.size());
        if (keepEmpty || end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

bool SameAscii(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    return SplitText(text, separator, true);
}

std::vector<std::wstring_view> Split(std::wstring_view text, wchar_t separator) {
    return SplitText(text, separator, true);
}

std::vector<std::string_view> Lines(std::string_view text) {
    return SplitText(text, '\n', true);
}

std::vector<std::string_view> PathSteps(std::string_view path) {
    return SplitText(path, '\\', false);
}

std::vector<std::wstring_view> PathSteps(std::wstring_view path) {
    return SplitText(path, L'\\', false);
}

}  // namespace win
