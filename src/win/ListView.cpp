#include "win/ListView.h"

#include <algorithm>
#include <vector>

#include "win/Dpi.h"
#include "win/Text.h"

namespace win {

namespace {

// A header item's text margins (three edges on each side) and its sort arrow, at 96 DPI.
constexpr int kHeaderTextRoom = 12 + 16;

}  // namespace

void ListView::AddColumn(int index, const std::string& title, int width, LPARAM data, int format) const {
    std::wstring text = Wide(title);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = format;
    // A title longer than the width asked for widens its column: a translated header is never cut.
    // The header keeps a margin on each side of its text and room for the sort arrow.
    const int titleWidth = static_cast<int>(
        ::SendMessageW(hwnd_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
    column.cx = std::max(width, titleWidth + ScaleToDpi(kHeaderTextRoom, WindowDpi(hwnd_)));
    column.iSubItem = index;
    column.pszText = text.data();
    const int inserted =
        static_cast<int>(::SendMessageW(hwnd_, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
    if (inserted < 0)
        return;
    HDITEMW header{};
    header.mask = HDI_LPARAM;
    header.lParam = data;
    ::SendMessageW(ListView_GetHeader(hwnd_), HDM_SETITEMW, inserted, reinterpret_cast<LPARAM>(&header));
}

void ListView::ShowSortArrow(int column, bool descending) const {
    HWND header = ListView_GetHeader(hwnd_);
    const int count = Header_GetItemCount(header);
    for (int i = 0; i < count; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item)))
            continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column)
            item.fmt |= descending ? HDF_SORTDOWN : HDF_SORTUP;
        ::SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
}

LPARAM ListView::ColumnData(int column) const {
    HDITEMW header{};
    header.mask = HDI_LPARAM;
    if (!::SendMessageW(ListView_GetHeader(hwnd_), HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&header)))
        return 0;
    return header.lParam;
}

int ListView::Append(const std::string& text, LPARAM data) const {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = Count();
    item.pszText = wide.data();
    item.lParam = data;
    return static_cast<int>(::SendMessageW(hwnd_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetText(int row, int column, const std::string& text) const {
    std::wstring wide = Wide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    ::SendMessageW(hwnd_, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string ListView::Text(int row, int column) const {
    // The control copies at most the buffer's size: grow until the text fits.
    for (size_t size = 512;; size *= 2) {
        std::vector<wchar_t> buffer(size);
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        LRESULT n = ::SendMessageW(hwnd_, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        if (static_cast<size_t>(n) < size - 1 || size >= (1u << 20))
            return Narrow(std::wstring_view(buffer.data(), static_cast<size_t>(n)));
    }
}

LPARAM ListView::Data(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageW(hwnd_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return item.lParam;
}

bool ListView::IsTicked(int row) const {
    UINT state = ListView_GetItemState(hwnd_, row, LVIS_STATEIMAGEMASK);
    return (state >> 12) != 1;
}

void ListView::SetTicked(int row, bool ticked) const {
    ListView_SetItemState(hwnd_, row, INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

void ListView::Select(int row) const {
    if (row < 0)
        return;
    ListView_SetItemState(hwnd_, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(hwnd_, row, FALSE);
}

UniqueImageList MakeCheckStateImages(HWND list) {
    const int side = ScaleToDpi(16, WindowDpi(list));
    UniqueImageList images(::ImageList_Create(side, side, ILC_COLOR32 | ILC_MASK, 3, 0));
    HDC screen = ::GetDC(list);
    HDC dc = ::CreateCompatibleDC(screen);
    const UINT states[] = {DFCS_BUTTONCHECK | DFCS_FLAT, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED,
                           DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE};
    // The box is drawn a little smaller than the image, centred, on a colour that the mask makes
    // transparent, so the row's own background (selected or not) shows around it.
    constexpr COLORREF kTransparent = RGB(255, 0, 255);
    const int margin = ScaleToDpi(2, WindowDpi(list));
    for (UINT state : states) {
        UniqueGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen, side, side));
        HGDIOBJ old = ::SelectObject(dc, bitmap.get());
        RECT all{0, 0, side, side};
        HBRUSH back = ::CreateSolidBrush(kTransparent);
        ::FillRect(dc, &all, back);
        ::DeleteObject(back);
        RECT box{margin, margin, side - margin, side - margin};
        ::DrawFrameControl(dc, &box, DFC_BUTTON, state);
        ::SelectObject(dc, old);
        ::ImageList_AddMasked(images.get(), bitmap.get(), kTransparent);
    }
    ::DeleteDC(dc);
    ::ReleaseDC(list, screen);
    return images;
}

}  // namespace win
