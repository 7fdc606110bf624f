#include "win/MiddleEllipsis.h"

namespace win {

namespace {

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size))
        return 0;
    return size.cx;
}

}  // namespace

std::wstring MiddleEllipsisPath(HDC dc, const std::wstring& path, int width) {
    if (TextWidth(dc, path) <= width)
        return path;
    const size_t lastStep = path.find_last_of(L'\\');
    if (lastStep == std::wstring::npos || lastStep == 0)
        return path;
    const std::wstring tail = L"...\\" + path.substr(lastStep + 1);
    // The longest start that fits beside the tail: widths grow with the length, so halve the range.
    size_t fits = 0, tooLong = lastStep + 1;
    while (fits + 1 < tooLong) {
        const size_t middle = fits + (tooLong - fits) / 2;
        if (TextWidth(dc, path.substr(0, middle) + tail) <= width)
            fits = middle;
        else
            tooLong = middle;
    }
    // A start cut inside a surrogate pair would show half a character.
    if (fits > 0 && IS_HIGH_SURROGATE(path[fits - 1]))
        --fits;
    return path.substr(0, fits) + tail;
}

}  // namespace win
