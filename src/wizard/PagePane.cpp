#include "wizard/PagePane.h"

void PagePane::Attach(HWND pane) {
    pane_ = pane;
    // Pages are child dialogs inside it: Tab must reach their controls, and the pane must not
    // paint over them.
    ::SetWindowLongPtrW(pane, GWL_EXSTYLE, ::GetWindowLongPtrW(pane, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    ::SetWindowLongPtrW(pane, GWL_STYLE, ::GetWindowLongPtrW(pane, GWL_STYLE) | WS_CLIPCHILDREN);
}

int PagePane::Add(HWND page) {
    pages_.push_back(page);
    return static_cast<int>(pages_.size()) - 1;
}

void PagePane::Cover(HWND page, bool repaint) const {
    RECT client;
    ::GetClientRect(pane_, &client);
    ::MoveWindow(page, 0, 0, client.right, client.bottom, repaint);
}

void PagePane::Show(int index) {
    if (index == current_ || index < 0 || index >= Count())
        return;
    if (current_ >= 0)
        ::ShowWindow(pages_[static_cast<size_t>(current_)], SW_HIDE);
    HWND page = pages_[static_cast<size_t>(index)];
    Cover(page, false);
    ::ShowWindow(page, SW_SHOW);
    current_ = index;
}

bool PagePane::Next() {
    if (current_ + 1 >= Count())
        return false;
    Show(current_ + 1);
    return true;
}

bool PagePane::Previous() {
    if (current_ - 1 < 0)
        return false;
    Show(current_ - 1);
    return true;
}

void PagePane::Fit() const {
    if (current_ >= 0)
        Cover(pages_[static_cast<size_t>(current_)], true);
}
