#include "win/Fold.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "win/Text.h"

namespace win {

namespace {

// Every UTF-16 unit's folded form, made once from the system's invariant upper-casing: one table
// lookup per unit instead of a system call per name.
const wchar_t* FoldTable() {
    static const std::unique_ptr<wchar_t[]> table = [] {
        auto units = std::make_unique<wchar_t[]>(0x10000);
        for (unsigned u = 0; u < 0x10000; ++u)
            units[u] = static_cast<wchar_t>(u);
        // The two stretches around the surrogates, each mapped unit by unit in one call.
        auto upper = [&](unsigned from, unsigned to) {
            const int count = static_cast<int>(to - from);
            std::wstring mapped(static_cast<size_t>(count), L'\0');
            if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, units.get() + from, count,
                                mapped.data(), count, nullptr, nullptr, 0) != count) {
                // Without the invariant table, the user's: still one unit for one.
                mapped.assign(units.get() + from, static_cast<size_t>(count));
                ::CharUpperBuffW(mapped.data(), static_cast<DWORD>(count));
            }
            for (int i = 0; i < count; ++i)
                units[from + static_cast<unsigned>(i)] = mapped[static_cast<size_t>(i)];
        };
        upper(1, 0xD800);
        upper(0xE000, 0x10000);
        return units;
    }();
    return table.get();
}

}  // namespace

wchar_t FoldUnit(wchar_t unit) noexcept {
    return FoldTable()[static_cast<unsigned short>(unit)];
}

void FoldInPlace(std::wstring& text) noexcept {
    const wchar_t* table = FoldTable();
    for (wchar_t& unit : text)
        unit = table[static_cast<unsigned short>(unit)];
}

std::wstring Folded(std::wstring_view text) {
    std::wstring folded(text);
    FoldInPlace(folded);
    return folded;
}

std::wstring FoldedText(std::string_view text) {
    std::wstring folded = Wide(text);
    FoldInPlace(folded);
    return folded;
}

bool SameFolded(std::string_view a, std::string_view b) {
    return CompareFolded(a, b) == 0;
}

namespace {

// The folded code point at text[i], and the position after it. A byte that starts no well-formed
// sequence stands for itself, above every code point, so that such texts still order the same way.
uint32_t NextFolded(std::string_view text, size_t& i, const wchar_t* table) noexcept {
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
        ++i;
        return static_cast<uint16_t>(table[byte]);
    }
    uint32_t cp = 0;
    const size_t length = wtf8::Decode(text, i, cp);
    if (length == 0) {
        ++i;
        return 0x110000u + byte;
    }
    i += length;
    return cp < 0x10000 ? static_cast<uint16_t>(table[cp]) : cp;
}

}  // namespace

int CompareFolded(std::string_view a, std::string_view b) noexcept {
    const wchar_t* table = FoldTable();
    // Equal bytes fold alike: start at the character holding the first byte that differs. A byte
    // that continues no sequence always starts a character, so back up to one in both texts.
    const size_t common = std::min(a.size(), b.size());
    size_t i = static_cast<size_t>(std::mismatch(a.begin(), a.begin() + common, b.begin()).first - a.begin());
    auto continues = [](std::string_view text, size_t at) {
        return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    while (i > 0 && (continues(a, i) || continues(b, i)))
        --i;
    size_t j = i;
    while (i < a.size() && j < b.size()) {
        const uint32_t x = NextFolded(a, i, table), y = NextFolded(b, j, table);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return (i < a.size()) - (j < b.size());
}

}  // namespace win
