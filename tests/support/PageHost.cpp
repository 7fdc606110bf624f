#include "support/PageHost.h"

#include <commctrl.h>

namespace test {

PageHost::PageHost() {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    // A popup shown without activation: Wine then leaves it to itself rather than to a window
    // manager, and destroys it without waiting for one (there is none on the test display).
    hwnd_ = ::CreateWindowExA(0, "STATIC", "page host", WS_POPUP | WS_BORDER, 40, 40, 900, 560, nullptr,
                              nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

PageHost::~PageHost() {
    if (::IsWindow(hwnd_))
        ::DestroyWindow(hwnd_);
}

}  // namespace test
