#include "DialogTemplate.h"

#include <cstring>

namespace logwright {

namespace {

void PutText(std::vector<WORD>& out, const wchar_t* text) {
    for (; *text; ++text)
        out.push_back(static_cast<WORD>(*text));
    out.push_back(0);
}

}  // namespace

std::vector<WORD> MakeDialogTemplate(DWORD style, DWORD exStyle, short cx, short cy, const wchar_t* caption) {
    DLGTEMPLATE header{};
    header.style = style | DS_SETFONT;
    header.dwExtendedStyle = exStyle;
    header.cdit = 0;
    header.cx = cx;
    header.cy = cy;
    std::vector<WORD> out(sizeof header / sizeof(WORD));
    memcpy(out.data(), &header, sizeof header);
    out.push_back(0);  // no menu
    out.push_back(0);  // the standard dialog class
    PutText(out, caption ? caption : L"");
    out.push_back(8);  // point size of the font
    PutText(out, L"MS Shell Dlg");
    return out;
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

}  // namespace logwright
