#include "win/CharStep.h"

namespace win {

namespace {

bool IsContinuation(char byte) noexcept {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

}  // namespace

size_t NextCharIndex(std::string_view text, size_t index) noexcept {
    if (index >= text.size())
        return text.size();
    // Only a lead byte takes the continuation bytes after it; any other byte stands alone.
    const bool lead = static_cast<unsigned char>(text[index]) >= 0xC0;
    ++index;
    for (int k = 0; lead && k < 3 && index < text.size() && IsContinuation(text[index]); ++k)
        ++index;
    return index;
}

size_t FindLastCharOf(std::string_view text, std::string_view chars) noexcept {
    return text.find_last_of(chars);
}

bool EndsWithBackslash(std::string_view text) noexcept {
    return !text.empty() && text.back() == '\\';
}

std::string_view CutAtCharBoundary(std::string_view text, size_t maxBytes) noexcept {
    if (text.size() <= maxBytes)
        return text;
    size_t cut = maxBytes;
    while (cut > 0 && IsContinuation(text[cut]))
        --cut;
    return text.substr(0, cut);
}

}  // namespace win
