#pragma once
// A plain top-level window for the window tests to put a page in, as the frame's page pane would.

#include <windows.h>

namespace test {

class PageHost {
  public:
    PageHost();
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;
    HWND Handle() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

}  // namespace test
