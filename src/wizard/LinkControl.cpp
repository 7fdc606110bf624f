#include "wizard/LinkControl.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "win/Prompts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
constexpr int kTextIndent = 1;  // room for the focus rectangle left of the text

const wchar_t* const kBrowserSettingsKey = L"Software\\Microsoft\\Internet Explorer\\Settings";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

void ReadColour(HKEY key, const wchar_t* name, COLORREF& colour) {
    wchar_t text[64] = {};
    DWORD type = REG_NONE;
    DWORD size = sizeof(text) - sizeof(wchar_t);  // the last character stays a terminator
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return;
    COLORREF parsed;
    if (ParseColourText(win::Narrow(std::wstring_view(text, wcsnlen(text, size / sizeof(wchar_t)))), parsed))
        colour = parsed;
}

// The control's whole text.
std::wstring TextOf(HWND control) {
    const int length = ::GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(0, ::GetWindowTextW(control, text.data(), length + 1))));
    return text;
}

}  // namespace

bool ParseColourText(const std::string& text, COLORREF& colour) {
    int parts[3];
    size_t i = 0;
    for (int n = 0; n < 3; ++n) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        const size_t start = i;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3)
            value = value * 10 + (text[i++] - '0');
        if (i == start || value > 255)
            return false;
        if (i < text.size() && text[i] >= '0' && text[i] <= '9')
            return false;  // more than three digits
        parts[n] = value;
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (n < 2) {
            if (i >= text.size() || text[i] != ',')
                return false;
            ++i;
        }
    }
    if (i != text.size())
        return false;
    colour = RGB(parts[0], parts[1], parts[2]);
    return true;
}

LinkColours ReadLinkColours() {
    LinkColours colours;
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_QUERY_VALUE, key.put()) ==
        ERROR_SUCCESS) {
        ReadColour(key.get(), L"Anchor Color", colours.normal);
        ReadColour(key.get(), L"Anchor Color Visited", colours.visited);
    }
    return colours;
}

LinkControl::~LinkControl() {
    if (control_ && ::IsWindow(control_)) {
        ::RemoveWindowSubclass(control_, Procedure, kSubclassId);
        // The control lives on as a plain static: it must not keep the font deleted below.
        ::SendMessageW(control_, WM_SETFONT, reinterpret_cast<WPARAM>(baseFont_), TRUE);
    }
    Detach();
}

void LinkControl::Detach() {
    if (tooltip_ && ::IsWindow(tooltip_))
        ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    font_.reset();
    control_ = nullptr;
}

void LinkControl::Attach(HWND control, const std::string& target) {
    if (control_)
        return;  // one control per link
    if (!control)
        return;
    control_ = control;
    target_ = target;
    tip_ = win::Wide(target);
    colours_ = ReadLinkColours();
    visited_ = pressed_ = false;
    label_ = TextOf(control);

    // Static controls let mouse messages through to their parent unless they have the notify style.
    ::SetWindowLongPtrW(control, GWL_STYLE, ::GetWindowLongPtrW(control, GWL_STYLE) | SS_NOTIFY);

    HWND dialog = ::GetParent(control);
    HFONT base = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    if (!base)
        base = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTW font{};
    ::GetObjectW(base, sizeof(font), &font);
    font.lfUnderline = TRUE;
    font_.reset(::CreateFontIndirectW(&font));
    baseFont_ = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    ::SetWindowSubclass(control, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
    tooltip_ = ::CreateWindowExW(
        WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (tooltip_) {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = tip_.data();
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::InvalidateRect(control, nullptr, TRUE);
}

RECT LinkControl::TextRect() const {
    RECT client{};
    ::GetClientRect(control_, &client);
    RECT text{kTextIndent, 0, kTextIndent, 0};
    HDC dc = ::GetDC(control_);
    HGDIOBJ old = ::SelectObject(dc, font_.get());
    ::DrawTextW(dc, label_.c_str(), -1, &text, kTextFormat | DT_CALCRECT);
    ::SelectObject(dc, old);
    ::ReleaseDC(control_, dc);
    text.right = std::min(text.right, client.right - kTextIndent);
    text.bottom = std::min(text.bottom, client.bottom);
    return text;
}

bool LinkControl::OverText(LPARAM clientPoint) const {
    const POINT point{static_cast<short>(LOWORD(clientPoint)), static_cast<short>(HIWORD(clientPoint))};
    const RECT text = TextRect();
    return ::PtInRect(&text, point) != FALSE;
}

bool LinkControl::Open() {
    if (!win::CurrentPrompts().ShellOpen(nullptr, target_, ""))
        return false;
    visited_ = true;
    ::InvalidateRect(control_, nullptr, TRUE);
    return true;
}

void LinkControl::Paint(HDC dc) const {
    RECT client;
    ::GetClientRect(control_, &client);
    // The dialog's own background, as a plain static control would have it.
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(control_), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc),
                                                         reinterpret_cast<LPARAM>(control_)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ old = ::SelectObject(dc, font_.get());
    ::SetTextColor(dc, Colour());
    ::SetBkMode(dc, TRANSPARENT);
    RECT text = TextRect();
    ::DrawTextW(dc, label_.c_str(), -1, &text, kTextFormat);
    if (::GetFocus() == control_) {
        RECT focus = text;
        focus.left -= kTextIndent;
        focus.right = std::min(focus.right + kTextIndent, client.right);
        ::DrawFocusRect(dc, &focus);
    }
    ::SelectObject(dc, old);
}

LRESULT CALLBACK LinkControl::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self) {
    auto* link = reinterpret_cast<LinkControl*>(self);
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, Procedure, kSubclassId);
        LRESULT result = ::DefSubclassProc(hwnd, message, wParam, lParam);
        link->Detach();
        return result;
    }
    try {
        return link->OnMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may escape into the system.
        return 0;
    }
}

LRESULT LinkControl::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = ::BeginPaint(control_, &paint);
            Paint(dc);
            ::EndPaint(control_, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return TRUE;  // painted whole in WM_PAINT
        case WM_SETCURSOR: {
            POINT point;
            ::GetCursorPos(&point);
            ::ScreenToClient(control_, &point);
            const RECT text = TextRect();
            if (::PtInRect(&text, point)) {
                ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
                return TRUE;
            }
            break;
        }
        case WM_LBUTTONDOWN:
            if (OverText(lParam)) {
                // The link is no tab stop: a click is how it gets the focus.
                ::SetFocus(control_);
                ::SetCapture(control_);
                pressed_ = true;
            }
            return 0;
        case WM_LBUTTONUP:
            if (pressed_) {
                pressed_ = false;
                ::ReleaseCapture();
                if (OverText(lParam))
                    Open();
            }
            return 0;
        case WM_CAPTURECHANGED:
            pressed_ = false;
            break;
        case WM_GETDLGCODE:
            // Enter and Space reach the link instead of the dialog's default button.
            if (const MSG* msg = reinterpret_cast<const MSG*>(lParam);
                msg && (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
                (msg->wParam == VK_RETURN || msg->wParam == VK_SPACE))
                return DLGC_WANTMESSAGE;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                Open();
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == VK_RETURN || wParam == VK_SPACE)
                return 0;
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            ::InvalidateRect(control_, nullptr, TRUE);
            break;
        case WM_SETTEXT: {
            // Read back rather than from lParam: the subclass may hear the message in either form.
            LRESULT result = ::DefSubclassProc(control_, message, wParam, lParam);
            label_ = TextOf(control_);
            ::InvalidateRect(control_, nullptr, TRUE);
            return result;
        }
    }
    return ::DefSubclassProc(control_, message, wParam, lParam);
}
