#pragma once
// The frame's page pane: the static control that holds the ten page windows and shows one at a time.

#include <windows.h>

#include <vector>

class PagePane {
  public:
    void Attach(HWND pane);
    HWND Handle() const { return pane_; }
    int Add(HWND page);
    int Current() const { return current_; }
    int Count() const { return static_cast<int>(pages_.size()); }
    void Show(int index);
    bool Next();
    bool Previous();
    // Moves the current page over the pane's whole client area.
    void Fit() const;

  private:
    void Cover(HWND page, bool repaint) const;

    HWND pane_ = nullptr;
    std::vector<HWND> pages_;
    int current_ = -1;
};
