#pragma once
// Keeps a dialog's controls in place as it is resized: each control follows the right edge, the
// bottom edge or both, declared per dialog as a short table.

#include <windows.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace win {

enum class Anchor {
    GrowWidth,          // stretches with the right edge
    GrowBoth,           // stretches with the right and bottom edges
    MoveDown,           // moves with the bottom edge
    MoveDownGrowWidth,  // moves with the bottom edge and stretches with the right edge
    MoveBottomRight,    // moves with the bottom-right corner
};

class ResizeLayout {
  public:
    // Records the controls' places against the dialog's client area as it is now.
    void Attach(HWND dialog, std::initializer_list<std::pair<int, Anchor>> controls);
    // Places the controls for a client area of the given size.
    void Apply(int width, int height) const;

  private:
    struct Entry {
        HWND control;
        Anchor anchor;
        RECT rect;
    };
    HWND dialog_ = nullptr;
    SIZE initial_{};
    std::vector<Entry> entries_;
};

}  // namespace win
