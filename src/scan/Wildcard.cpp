#include "scan/Wildcard.h"

bool MatchWildcard(std::string_view mask, std::string_view name) noexcept {
    size_t m = 0, n = 0;
    // Position after the most recent '*' in the mask, and where in the name it started absorbing.
    size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = ++m;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            // Backtrack: the last '*' takes one more character.
            m = starMask;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}
