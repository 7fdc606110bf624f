#include "win/ResizeLayout.h"

namespace win {

void ResizeLayout::Attach(HWND dialog, std::initializer_list<std::pair<int, Anchor>> controls) {
    dialog_ = dialog;
    RECT client;
    ::GetClientRect(dialog, &client);
    initial_ = {client.right, client.bottom};
    entries_.clear();
    for (const auto& [id, anchor] : controls) {
        HWND control = ::GetDlgItem(dialog, id);
        if (!control)
            continue;
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        entries_.push_back({control, anchor, rect});
    }
}

void ResizeLayout::Apply(int width, int height) const {
    if (!dialog_ || entries_.empty())
        return;
    const int dx = width - initial_.cx, dy = height - initial_.cy;
    HDWP batch = ::BeginDeferWindowPos(static_cast<int>(entries_.size()));
    for (const Entry& e : entries_) {
        RECT r = e.rect;
        switch (e.anchor) {
            case Anchor::GrowWidth:
                r.right += dx;
                break;
            case Anchor::GrowBoth:
                r.right += dx;
                r.bottom += dy;
                break;
            case Anchor::MoveDown:
                r.top += dy;
                r.bottom += dy;
                break;
            case Anchor::MoveDownGrowWidth:
                r.top += dy;
                r.bottom += dy;
                r.right += dx;
                break;
            case Anchor::MoveBottomRight:
                r.left += dx;
                r.right += dx;
                r.top += dy;
                r.bottom += dy;
                break;
        }
        if (batch)
            batch = ::DeferWindowPos(batch, e.control, nullptr, r.left, r.top, r.right - r.left,
                                     r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (batch)
        ::EndDeferWindowPos(batch);
}

}  // namespace win
