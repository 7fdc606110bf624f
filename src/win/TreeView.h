#pragma once
// A thin typed view of a tree view control with state images (check boxes): no logic of its own.

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace win {

class TreeView {
  public:
    explicit TreeView(HWND control = nullptr) : hwnd_(control) {}
    HWND Handle() const { return hwnd_; }

    void SetImageLists(HIMAGELIST normal, HIMAGELIST states) const;
    // Inserts an item at the end of parent's children (TVI_ROOT for the top level); stateImage 0
    // means no check box.
    HTREEITEM Append(HTREEITEM parent, const std::string& text, int image, int selectedImage, int stateImage,
                     LPARAM data) const;
    int StateImage(HTREEITEM item) const;
    void SetStateImage(HTREEITEM item, int stateImage) const;
    std::string Text(HTREEITEM item) const;
    LPARAM Data(HTREEITEM item) const;

    HTREEITEM Root() const { return TreeView_GetRoot(hwnd_); }
    HTREEITEM Child(HTREEITEM item) const { return TreeView_GetChild(hwnd_, item); }
    HTREEITEM Next(HTREEITEM item) const { return TreeView_GetNextSibling(hwnd_, item); }
    HTREEITEM Parent(HTREEITEM item) const { return TreeView_GetParent(hwnd_, item); }
    HTREEITEM Selection() const { return TreeView_GetSelection(hwnd_); }
    void DeleteChildren(HTREEITEM item) const;
    // The item whose state image (check box) lies under a point in screen coordinates, or null.
    HTREEITEM StateImageAt(POINT screen) const;
    void SetRedraw(bool redraw) const;

  private:
    HWND hwnd_;
};

}  // namespace win
