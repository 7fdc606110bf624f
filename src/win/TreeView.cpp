#include "win/TreeView.h"

#include "win/Text.h"

namespace win {

void TreeView::SetImageLists(HIMAGELIST normal, HIMAGELIST states) const {
    TreeView_SetImageList(hwnd_, normal, TVSIL_NORMAL);
    TreeView_SetImageList(hwnd_, states, TVSIL_STATE);
}

HTREEITEM TreeView::Append(HTREEITEM parent, const std::string& text, int image, int selectedImage,
                           int stateImage, LPARAM data) const {
    std::wstring wide = Wide(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE | TVIF_PARAM;
    insert.item.pszText = wide.data();
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.stateMask = TVIS_STATEIMAGEMASK;
    insert.item.state = INDEXTOSTATEIMAGEMASK(stateImage);
    insert.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageW(hwnd_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

int TreeView::StateImage(HTREEITEM item) const {
    return static_cast<int>(
        (::SendMessageW(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12) &
        0xF);
}

void TreeView::SetStateImage(HTREEITEM item, int stateImage) const {
    TVITEMW tv{};
    tv.mask = TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.stateMask = TVIS_STATEIMAGEMASK;
    tv.state = INDEXTOSTATEIMAGEMASK(stateImage);
    ::SendMessageW(hwnd_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

std::string TreeView::Text(HTREEITEM item) const {
    // A folder's name is at most 255 characters.
    wchar_t buffer[MAX_PATH + 1] = {};
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = MAX_PATH + 1;
    ::SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return Narrow(buffer);
}

LPARAM TreeView::Data(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    ::SendMessageW(hwnd_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return tv.lParam;
}

void TreeView::DeleteChildren(HTREEITEM item) const {
    while (HTREEITEM child = Child(item))
        TreeView_DeleteItem(hwnd_, child);
}

HTREEITEM TreeView::StateImageAt(POINT screen) const {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ::ScreenToClient(hwnd_, &hit.pt);
    HTREEITEM item = TreeView_HitTest(hwnd_, &hit);
    return item && (hit.flags & TVHT_ONITEMSTATEICON) ? item : nullptr;
}

void TreeView::SetRedraw(bool redraw) const {
    ::SendMessageW(hwnd_, WM_SETREDRAW, redraw, 0);
    if (redraw)
        ::InvalidateRect(hwnd_, nullptr, TRUE);
}

}  // namespace win
