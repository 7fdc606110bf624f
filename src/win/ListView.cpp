#include "win/ListView.h"

#include <vector>

namespace win {

void ListView::AddColumn(int index, const std::string& title, int width, LPARAM data) const {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.iSubItem = index;
    column.pszText = const_cast<char*>(title.c_str());
    const int inserted =
        static_cast<int>(::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
    if (inserted < 0)
        return;
    HDITEMA header{};
    header.mask = HDI_LPARAM;
    header.lParam = data;
    ::SendMessageA(ListView_GetHeader(hwnd_), HDM_SETITEMA, inserted, reinterpret_cast<LPARAM>(&header));
}

LPARAM ListView::ColumnData(int column) const {
    HDITEMA header{};
    header.mask = HDI_LPARAM;
    if (!::SendMessageA(ListView_GetHeader(hwnd_), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&header)))
        return 0;
    return header.lParam;
}

int ListView::Append(const std::string& text, LPARAM data) const {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = Count();
    item.pszText = const_cast<char*>(text.c_str());
    item.lParam = data;
    return static_cast<int>(::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetText(int row, int column, const std::string& text) const {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(hwnd_, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

std::string ListView::Text(int row, int column) const {
    // The control copies at most the buffer's size: grow until the text fits.
    for (size_t size = 512;; size *= 2) {
        std::vector<char> buffer(size);
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        LRESULT n = ::SendMessageA(hwnd_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        if (static_cast<size_t>(n) < size - 1 || size >= (1u << 20))
            return std::string(buffer.data(), static_cast<size_t>(n));
    }
}

LPARAM ListView::Data(int row) const {
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
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

}  // namespace win
