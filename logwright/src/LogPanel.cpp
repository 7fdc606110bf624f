#include "LogPanel.h"

#include <commctrl.h>

#include <algorithm>

#include <Logwright.h>

#include "DialogTemplate.h"
#include "LogStore.h"

namespace logwright {

namespace {

constexpr int kGap = 6;

enum Column { kTime, kCategory, kSubcategory, kSource };

// Line breaks as the edit control wants them: a lone LF or CR becomes CR LF.
std::wstring ForDisplay(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'\r') {
            out += L"\r\n";
            if (i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else if (c == L'\n') {
            out += L"\r\n";
        } else {
            // An embedded NUL would cut the text short in the edit control.
            out += c ? c : L' ';
        }
    }
    return out;
}

void AddColumn(HWND list, int index, const wchar_t* title, int width) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = width;
    column.iSubItem = index;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

bool LogPanel::Create(HWND parent, const RECT& rect, const std::wstring& dataPath, const ViewerTexts& texts) {
    if (hwnd_)
        return false;
    texts_ = texts;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    pendingPath_ = dataPath;
    std::vector<WORD> tmpl =
        MakeDialogTemplate(WS_CHILD | WS_CLIPCHILDREN | DS_CONTROL, WS_EX_CONTROLPARENT, 100, 100, L"");
    HWND hwnd = ::CreateDialogIndirectParamW(ThisModule(), reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()),
                                             parent, Proc, reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return false;
    ::SetWindowLongPtrW(hwnd, GWLP_ID, logwright_viewer::kPageId);
    ::MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    return true;
}

void LogPanel::Destroy() {
    if (hwnd_)
        ::DestroyWindow(hwnd_);
    hwnd_ = list_ = text_ = nullptr;
    entries_.clear();
}

INT_PTR CALLBACK LogPanel::Proc(HWND hwnd, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
    LogPanel* self = reinterpret_cast<LogPanel*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    try {
        switch (message) {
            case WM_INITDIALOG:
                self = reinterpret_cast<LogPanel*>(lParam);
                ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
                self->hwnd_ = hwnd;
                self->OnInit();
                return FALSE;
            case WM_SIZE:
                if (self)
                    self->Layout(LOWORD(lParam), HIWORD(lParam));
                return TRUE;
            case WM_NOTIFY: {
                auto* header = reinterpret_cast<NMHDR*>(lParam);
                if (!self || header->hwndFrom != self->list_)
                    break;
                if (header->code == LVN_GETDISPINFOW) {
                    self->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
                    return TRUE;
                }
                if (header->code == LVN_ITEMCHANGED || header->code == LVN_ODSTATECHANGED) {
                    self->ShowSelectedText();
                    return TRUE;
                }
                break;
            }
            case WM_DESTROY:
                if (self)
                    self->hwnd_ = self->list_ = self->text_ = nullptr;
                ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
                break;
            default:
                break;
        }
    } catch (...) {
        // Nothing may escape into the window system; a failed step leaves the panel as it is.
    }
    return FALSE;
}

void LogPanel::OnInit() {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    HINSTANCE module = ThisModule();
    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                                  LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                              0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(logwright_viewer::kListId), module,
                              nullptr);
    text_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                  ES_AUTOVSCROLL | ES_NOHIDESEL,
                              0, 0, 10, 10, hwnd_, reinterpret_cast<HMENU>(logwright_viewer::kTextId), module,
                              nullptr);
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A cleaning of many files writes a long text; lift the edit control's default 32K limit.
    ::SendMessageW(text_, EM_SETLIMITTEXT, 0, 0);
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    AddColumn(list_, kTime, texts_.Get(logwright_viewer::kTimeColumn).c_str(), 130);
    AddColumn(list_, kCategory, texts_.Get(logwright_viewer::kCategoryColumn).c_str(), 110);
    AddColumn(list_, kSubcategory, texts_.Get(logwright_viewer::kSubcategoryColumn).c_str(), 150);
    AddColumn(list_, kSource, texts_.Get(logwright_viewer::kSourceColumn).c_str(), 110);
    Load(pendingPath_);
    pendingPath_.clear();
}

void LogPanel::Load(const std::wstring& dataPath) {
    if (!list_)
        return;
    entries_ = dataPath.empty() ? std::vector<LogEntry>{} : LogStore(dataPath).ReadAll();
    shownIndex_ = -2;
    ::SendMessageW(list_, LVM_SETITEMCOUNT, entries_.size(), 0);
    if (!entries_.empty()) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
        ::SendMessageW(list_, LVM_ENSUREVISIBLE, 0, FALSE);
    }
    ShowSelectedText();
    ::InvalidateRect(list_, nullptr, TRUE);
}

void LogPanel::Layout(int width, int height) {
    if (!list_)
        return;
    int listHeight = (height - kGap) * 3 / 5;
    ::MoveWindow(list_, 0, 0, width, listHeight, TRUE);
    ::MoveWindow(text_, 0, listHeight + kGap, width, height - listHeight - kGap, TRUE);
}

void LogPanel::OnGetDispInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= entries_.size()) {
        item.pszText[0] = L'\0';
        return;
    }
    const LogEntry& entry = entries_[static_cast<size_t>(item.iItem)];
    std::wstring time;
    const std::wstring* cell = &time;
    switch (item.iSubItem) {
        case kTime:
            time = DisplayTime(entry.time, texts_.Get(logwright_viewer::kLocaleName));
            break;
        case kCategory:
            cell = &entry.category;
            break;
        case kSubcategory:
            cell = &entry.subcategory;
            break;
        case kSource:
            cell = &entry.source;
            break;
        default:
            break;
    }
    size_t n = std::min(cell->size(), static_cast<size_t>(item.cchTextMax - 1));
    cell->copy(item.pszText, n);
    item.pszText[n] = L'\0';
}

void LogPanel::ShowSelectedText() {
    if (!list_)
        return;
    int index =
        static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (index == shownIndex_)
        return;
    shownIndex_ = index;
    std::wstring text;
    if (index >= 0 && static_cast<size_t>(index) < entries_.size())
        text = ForDisplay(entries_[index].text);
    ::SetWindowTextW(text_, text.c_str());
}

}  // namespace logwright
