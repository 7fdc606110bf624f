#include "scan/Wildcard.h"

namespace {

// The length of the character at name[n]: 2 for a surrogate pair, else 1.
size_t CharLength(std::wstring_view name, size_t n) noexcept {
    const wchar_t unit = name[n];
    return unit >= 0xD800 && unit <= 0xDBFF && n + 1 < name.size() && name[n + 1] >= 0xDC00 &&
                   name[n + 1] <= 0xDFFF
               ? 2
               : 1;
}

}  // namespace

bool MatchWildcard(std::wstring_view mask, std::wstring_view name) noexcept {
    size_t m = 0, n = 0;
    // Position after the most recent '*' in the mask, and where in the name it started absorbing.
    size_t starMask = std::wstring_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == L'*') {
            starMask = ++m;
            starName = n;
        } else if (m < mask.size() && mask[m] == L'?') {
            ++m;
            n += CharLength(name, n);
        } else if (m < mask.size() && mask[m] == name[n]) {
            ++m;
            ++n;
        } else if (starMask != std::wstring_view::npos) {
            // Backtrack: the last '*' takes one more character.
            m = starMask;
            starName += CharLength(name, starName);
            n = starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*')
        ++m;
    return m == mask.size();
}
