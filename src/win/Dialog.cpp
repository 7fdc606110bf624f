#include "win/Dialog.h"

#include <string_view>
#include <vector>

#include "win/Text.h"

namespace win {

Dialog::~Dialog() {
    if (hwnd_ && !modal_) {
        HWND hwnd = hwnd_;
        ::DestroyWindow(hwnd);
    }
}

HWND Dialog::Create(int templateId, HWND parent) {
    modal_ = false;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, Procedure,
                                reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal(int templateId, HWND owner) {
    modal_ = true;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                             reinterpret_cast<LPARAM>(this));
}

void Dialog::End(INT_PTR result) {
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::DestroyWindow(hwnd_);
}

std::string Dialog::ItemText(int id) const {
    return WindowText(Item(id));
}

void Dialog::SetItemText(int id, const std::string& text) const {
    SetWindowTextOf(Item(id), text);
}

void Dialog::ShowStatusAsPaths(int id, bool paths) const {
    HWND control = Item(id);
    const LONG style = ::GetWindowLongW(control, GWL_STYLE);
    ::SetWindowLongW(control, GWL_STYLE, paths ? style | SS_PATHELLIPSIS : style & ~SS_ELLIPSISMASK);
    ::InvalidateRect(control, nullptr, TRUE);
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int n = ::GetWindowTextW(window, buffer.data(), length + 1);
    return Narrow(std::wstring_view(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0));
}

void SetWindowTextOf(HWND window, const std::string& text) {
    ::SetWindowTextW(window, Wide(text).c_str());
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self)
        return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing may escape into the system; the message counts as not handled.
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInit() ? TRUE : FALSE;
        case WM_COMMAND: {
            if (!lParam && LOWORD(wParam) == IDOK && PressFocusedButton())
                return TRUE;
            HWND owner = CommandOwner(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
            if (owner != hwnd_) {
                ::SendMessageW(owner, WM_COMMAND, wParam, lParam);
                return TRUE;
            }
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
        }
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (!OnNotify(reinterpret_cast<NMHDR*>(lParam), result))
                return FALSE;
            ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        case WM_SIZE:
            OnSize(LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_DESTROY:
            OnDestroy();
            return FALSE;
        default: {
            INT_PTR result = FALSE;
            return OnMessage(message, wParam, lParam, result) ? result : FALSE;
        }
    }
}

namespace {

bool IsDialogWindow(HWND window) {
    wchar_t name[16] = {};
    return ::GetClassNameW(window, name, 16) > 0 && std::wstring_view(name) == L"#32770";
}

}  // namespace

HWND Dialog::CommandOwner(int id, HWND control) const {
    if (!control && id == IDOK)
        control = ::GetFocus();
    if (!control || !::IsChild(hwnd_, control))
        return hwnd_;
    for (HWND window = ::GetParent(control); window && window != hwnd_; window = ::GetParent(window))
        if (IsDialogWindow(window))
            return window;
    return hwnd_;
}

bool Dialog::PressFocusedButton() const {
    HWND focus = ::GetFocus();
    wchar_t name[16] = {};
    if (!focus || !::IsChild(hwnd_, focus) || ::GetClassNameW(focus, name, 16) == 0 ||
        _wcsicmp(name, L"Button") != 0)
        return false;
    const LONG_PTR type = ::GetWindowLongPtrW(focus, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
        return false;
    ::SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
}

HWND FirstTabStop(HWND dialog) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
        if ((style & WS_TABSTOP) && ::IsWindowVisible(child) && ::IsWindowEnabled(child))
            return child;
    }
    return nullptr;
}

void CentreWindow(HWND window) {
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT area = work;
    HWND owner = ::GetWindow(window, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner))
        ::GetWindowRect(owner, &area);
    RECT rect;
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int x = (area.left + area.right) / 2 - width / 2;
    int y = (area.top + area.bottom) / 2 - height / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace win
