#pragma once
// A thin typed view of a report-style list view control: no logic of its own.

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win/UniqueHandle.h"

namespace win {

class ListView {
  public:
    explicit ListView(HWND control = nullptr) : hwnd_(control) {}
    HWND Handle() const { return hwnd_; }

    void SetExtendedStyle(DWORD style) const { ListView_SetExtendedListViewStyle(hwnd_, style); }
    // A column, left-aligned unless format says otherwise (LVCFMT_RIGHT); data goes into its header
    // item (for example the column's sort kind). The column is wider than width where its title
    // needs more room.
    void AddColumn(int index, const std::string& title, int width, LPARAM data = 0,
                   int format = LVCFMT_LEFT) const;
    // Shows the sort arrow on one column's header (up for ascending), none on the others.
    void ShowSortArrow(int column, bool descending) const;
    LPARAM ColumnData(int column) const;
    int Count() const { return ListView_GetItemCount(hwnd_); }
    // Appends a row with its first column; returns its index.
    int Append(const std::string& text, LPARAM data = 0) const;
    void SetText(int row, int column, const std::string& text) const;
    std::string Text(int row, int column) const;  // the whole text, however long
    LPARAM Data(int row) const;
    void DeleteAll() const { ListView_DeleteAllItems(hwnd_); }
    // Makes room for that many rows at once, ahead of a long run of appends.
    void Reserve(int rows) const { ::SendMessageW(hwnd_, LVM_SETITEMCOUNT, rows, 0); }
    void Delete(int row) const { ListView_DeleteItem(hwnd_, row); }
    // Check boxes are state images: 1 unticked, 2 ticked; anything but 1 counts as ticked.
    // SetTicked(-1, ...) sets every row at once.
    bool IsTicked(int row) const;
    void SetTicked(int row, bool ticked) const;
    int Selected() const { return ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); }
    void Select(int row) const;  // selects, focuses and scrolls into view
    void SetRedraw(bool redraw) const { ::SendMessageW(hwnd_, WM_SETREDRAW, redraw, 0); }

  private:
    HWND hwnd_;
};

// Check box state images for a list whose rows may be partly ticked, drawn by the system at the
// list's DPI in its current colours: 1 unticked, 2 ticked, 3 greyed (some ticked). Given to a list
// with ListView_SetImageList(..., LVSIL_STATE); the caller keeps it while the list lives.
UniqueImageList MakeCheckStateImages(HWND list);

}  // namespace win
