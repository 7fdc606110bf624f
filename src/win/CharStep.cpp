#include "win/CharStep.h"

namespace win {

bool IsLeadByte(unsigned char byte, UINT codePage) noexcept {
    if (byte < 0x80)
        return false;  // no code page uses ASCII bytes as lead bytes
    return codePage == CP_ACP ? ::IsDBCSLeadByte(byte) != FALSE : ::IsDBCSLeadByteEx(codePage, byte) != FALSE;
}

size_t NextCharIndex(std::string_view text, size_t index, UINT codePage) noexcept {
    if (index >= text.size())
        return text.size();
    size_t step = IsLeadByte(static_cast<unsigned char>(text[index]), codePage) ? 2 : 1;
    return index + step < text.size() ? index + step : text.size();
}

size_t FindLastCharOf(std::string_view text, std::string_view chars, UINT codePage) noexcept {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < text.size(); i = NextCharIndex(text, i, codePage))
        if (chars.find(text[i]) != std::string_view::npos)
            found = i;
    return found;
}

bool EndsWithBackslash(std::string_view text, UINT codePage) noexcept {
    size_t last = FindLastCharOf(text, "\\", codePage);
    return last != std::string_view::npos && last + 1 == text.size();
}

}  // namespace win
