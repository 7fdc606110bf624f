#include "pages/ReportPage.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include <windowsx.h>

#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "pages/FileDetailsDialog.h"
#include "resources/ResourceIds.h"
#include "scan/ReportColumns.h"
#include "scan/ReportSummary.h"
#include "scan/ResultsCsv.h"
#include "win/CharStep.h"
#include "win/Dpi.h"
#include "win/Fold.h"
#include "win/MiddleEllipsis.h"
#include "win/Prompts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kExportCommand = 1;

// The kinds' list's columns: kind, files, size, and the share drawn as a bar.
constexpr int kKindColumnFiles = 1;
constexpr int kKindColumnSize = 2;
constexpr int kKindColumnShare = 3;

// The direction of the next header-click sort, shared by every column and every fill for the
// whole run: the first click sorts descending, the next one ascending, and so on.
bool g_sortDescending = true;

// The small window that shows how far the fill has come (dialog 225): owned by the page, always
// on top, centred over the page's top-level window or the work area.
class FillStatusWindow : public win::Dialog {
  public:
    void Open(HWND owner, int count) {
        if (!Create(IDD_REPORT_STATUS, owner))
            return;
        progress_ = Item(IDC_REPORT_STATUS_PROGRESS);
        count_ = count;
        SetItemText(IDC_REPORT_STATUS_TEXT, Translate("_ReportPageProgressState"));
        // The 32-bit range: a 16-bit one would wrap above 65,535 rows.
        ::SendMessageW(progress_, PBM_SETRANGE32, 0, count);
        win::CentreWindow(Handle());
        // Shown without taking the activation from the frame: it only reports.
        ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        ::RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        lastStep_ = ::GetTickCount();
    }
    // Row n of the fill: moves the bar to n and lets the window handle at most one waiting message
    // of its own (or of its controls), so that it repaints while the fill keeps the main loop
    // waiting. The bar only shows a new position when it repaints, and a repaint per row would
    // cost far more than the row itself (each one a trip to the display), so both happen 25
    // times a second, and on the last row.
    void Step(int n) {
        if (!Handle())
            return;
        const DWORD now = ::GetTickCount();
        if (n != count_ && now - lastStep_ < kStepMs)
            return;
        lastStep_ = now;
        ::SendMessageW(progress_, PBM_SETPOS, n, 0);
        MSG msg;
        if (::PeekMessageW(&msg, Handle(), 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    void Close() {
        if (Handle())
            End(0);
    }

  private:
    static constexpr DWORD kStepMs = 40;
    HWND progress_ = nullptr;
    int count_ = 0;
    DWORD lastStep_ = 0;
};

// Ticks by mouse and keyboard, as a list with check boxes takes them, for a list whose ticks the
// page keeps: a click on a row's tick or Space on the focused row calls toggle with the row, and
// Space's character is no search text. True when the message was taken.
template <typename Toggle>
bool HandleTickInput(HWND list, UINT message, WPARAM wParam, LPARAM lParam, Toggle toggle) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            LVHITTESTINFO hit{};
            hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            if (ListView_SubItemHitTest(list, &hit) < 0 || !(hit.flags & LVHT_ONITEMSTATEICON) ||
                hit.iSubItem != 0)
                return false;
            ::SetFocus(list);
            toggle(hit.iItem);
            return true;
        }
        case WM_KEYDOWN:
            if (wParam != VK_SPACE)
                return false;
            toggle(ListView_GetNextItem(list, -1, LVNI_FOCUSED));
            return true;
        case WM_CHAR:
            return wParam == ' ';
    }
    return false;
}

}  // namespace

ReportPage::ReportPage() : WizardPage(IDD_PAGE_REPORT, IDB_SIDE_REPORT) {}

void ReportPage::InitPage() {
    list_ = win::ListView(Item(IDC_REPORT_LIST));
    const UINT dpi = win::WindowDpi(Handle());
    int index = 0;
    for (const ReportColumn* column : ListedReportColumns()) {
        list_.AddColumn(index++, Translate(column->titleKey), win::ScaleToDpi(column->width, dpi), 0,
                        column->alignment == ColumnAlignment::kRight ? LVCFMT_RIGHT : LVCFMT_LEFT);
    }
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    // The rows live in the results: the list asks for their check boxes as for their texts, and
    // every change of a check box, from the mouse, the keyboard or a state request, goes to them.
    ListView_SetCallbackMask(list_.Handle(), LVIS_STATEIMAGEMASK);
    ::SetWindowSubclass(list_.Handle(), ListProc, 0, reinterpret_cast<DWORD_PTR>(this));

    kinds_ = win::ListView(Item(IDC_REPORT_KINDS));
    kinds_.AddColumn(0, Translate("_ReportSummaryColumnKind"), win::ScaleToDpi(190, dpi));
    kinds_.AddColumn(kKindColumnFiles, Translate("_ReportSummaryColumnFiles"), win::ScaleToDpi(70, dpi), 0,
                     LVCFMT_RIGHT);
    kinds_.AddColumn(kKindColumnSize, Translate("_ReportSummaryColumnSize"), win::ScaleToDpi(80, dpi), 0,
                     LVCFMT_RIGHT);
    kinds_.AddColumn(kKindColumnShare, Translate("_ReportSummaryColumnShare"), win::ScaleToDpi(150, dpi));
    // Check boxes make the rows announce a tick; the images are the page's own, for the grey one.
    kinds_.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    checkImages_ = win::MakeCheckStateImages(kinds_.Handle());
    ListView_SetImageList(kinds_.Handle(), checkImages_.get(), LVSIL_STATE);
    ::SetWindowSubclass(kinds_.Handle(), KindsProc, 0, reinterpret_cast<DWORD_PTR>(this));
    ::EnableWindow(Item(IDC_REPORT_SHOWALL), FALSE);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_REPORT_KINDS, win::Anchor::GrowWidth},
                              {IDC_REPORT_LIST, win::Anchor::GrowBoth},
                              {IDC_REPORT_TICKED, win::Anchor::MoveDownGrowWidth},
                              {IDC_REPORT_SHOWALL, win::Anchor::MoveDown},
                              {IDC_REPORT_SELECTALL, win::Anchor::MoveDown},
                              {IDC_REPORT_REMOVEALL, win::Anchor::MoveDown},
                              {IDC_REPORT_MOREINFO, win::Anchor::MoveBottomRight},
                              {IDC_REPORT_SUMMARY, win::Anchor::MoveDownGrowWidth}});
}

void ReportPage::Fill(ScanResults* results) {
    results_ = results;
    const int count = results ? static_cast<int>(results->Count()) : 0;
    FillStatusWindow status;
    if (results)
        status.Open(Handle(), count);
    // Putting the rows in path order is the long part: it happens on the first look at a row.
    if (count > 0)
        results->Path(0);
    status.Step(count / 2);
    view_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        view_[static_cast<size_t>(i)] = static_cast<uint32_t>(i);
    if (results)
        results->SetAllTicked(true);
    shownReason_ = SIZE_MAX;
    ::EnableWindow(Item(IDC_REPORT_SHOWALL), FALSE);
    FillKinds();
    FitColumnsToTexts();
    list_.ShowSortArrow(-1, false);
    ListView_SetItemCountEx(list_.Handle(), count, 0);
    ListView_SetItemState(list_.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ::InvalidateRect(list_.Handle(), nullptr, TRUE);
    status.Step(count);

    SetItemText(IDC_REPORT_SUMMARY,
                FormatText(Translate("_ReportPageStateTotalSize"),
                           {CountText(count), SizeText(results ? results->TotalSize() : 0)}));
    status.Close();
}

// A column with few distinct texts (the reasons) widens to its longest one, so that none is cut short.
void ReportPage::FitColumnsToTexts() {
    const UINT dpi = win::WindowDpi(Handle());
    const std::vector<const ReportColumn*>& columns = ListedReportColumns();
    for (size_t index = 0; index < columns.size(); ++index) {
        if (!columns[index]->widestTexts)
            continue;
        int width = win::ScaleToDpi(columns[index]->width, dpi);
        if (results_) {
            for (const std::string& text : columns[index]->widestTexts(*results_)) {
                width = std::max(width, ListView_GetStringWidth(list_.Handle(), win::Wide(text).c_str()) +
                                            win::ScaleToDpi(16, dpi));
            }
        }
        ListView_SetColumnWidth(list_.Handle(), static_cast<int>(index), width);
    }
    // Where the columns together are wider than the list (Japanese reasons are), the path gives way:
    // it is drawn cut in its middle, so its file name still shows, where a reason pushed beyond the
    // list's edge would not show at all.
    RECT client{};
    ::GetClientRect(list_.Handle(), &client);
    int others = 0, path = -1;
    for (size_t index = 0; index < columns.size(); ++index) {
        if (columns[index]->isPath)
            path = static_cast<int>(index);
        else
            others += ListView_GetColumnWidth(list_.Handle(), static_cast<int>(index));
    }
    const int room = client.right - others - ::GetSystemMetrics(SM_CXVSCROLL);
    if (path >= 0 && ListView_GetColumnWidth(list_.Handle(), path) > room)
        ListView_SetColumnWidth(list_.Handle(), path, std::max(room, win::ScaleToDpi(150, dpi)));
}

bool ReportPage::HasRow(int row) const {
    return results_ && row >= 0 && static_cast<size_t>(row) < view_.size() &&
           view_[static_cast<size_t>(row)] < results_->Count();
}

size_t ReportPage::ModelRow(int row) const {
    return view_[static_cast<size_t>(row)];
}

void ReportPage::SetTicked(int row, bool ticked) {
    if (row == -1) {
        if (results_)
            results_->SetAllTicked(ticked);
        ::InvalidateRect(list_.Handle(), nullptr, FALSE);
    } else if (HasRow(row)) {
        results_->SetTicked(ModelRow(row), ticked);
        ListView_RedrawItems(list_.Handle(), row, row);
    }
    ShowKindTicks();
}

void ReportPage::FillKinds() {
    kindRows_ = results_ ? SummarizeReport(*results_) : std::vector<ReportKind>();
    kinds_.DeleteAll();
    for (const ReportKind& kind : kindRows_) {
        const int row = kinds_.Append(results_->Reasons()[kind.reason], static_cast<LPARAM>(kind.reason));
        kinds_.SetText(row, kKindColumnFiles, CountText(kind.count));
        kinds_.SetText(row, kKindColumnSize, SizeText(kind.bytes));
    }
    // The bars take whatever width the other columns leave.
    ListView_SetColumnWidth(kinds_.Handle(), kKindColumnShare, LVSCW_AUTOSIZE_USEHEADER);
    ShowKindTicks();
}

void ReportPage::ShowKindTicks() {
    if (results_) {
        // The sizes do not change once the list is filled, so the rows keep their order.
        const std::vector<ReportKind> now = SummarizeReport(*results_);
        for (size_t row = 0; row < kindRows_.size(); ++row) {
            for (const ReportKind& kind : now)
                if (kind.reason == kindRows_[row].reason)
                    kindRows_[row] = kind;
            const int image = kindRows_[row].tick == KindTick::kAll    ? 2
                              : kindRows_[row].tick == KindTick::kSome ? 3
                                                                       : 1;
            ListView_SetItemState(kinds_.Handle(), static_cast<int>(row), INDEXTOSTATEIMAGEMASK(image),
                                  LVIS_STATEIMAGEMASK);
        }
    }
    SetItemText(IDC_REPORT_TICKED, results_ ? TickedTotalText(*results_) : std::string());
}

// A kind's tick ticks all its files, or unticks them when all were ticked.
void ReportPage::ToggleKind(int kindRow) {
    if (!results_ || kindRow < 0 || static_cast<size_t>(kindRow) >= kindRows_.size())
        return;
    const ReportKind& kind = kindRows_[static_cast<size_t>(kindRow)];
    results_->SetReasonTicked(kind.reason, kind.tick != KindTick::kAll);
    ::InvalidateRect(list_.Handle(), nullptr, FALSE);
    ShowKindTicks();
}

void ReportPage::ShowReason(size_t reason) {
    if (!results_)
        return;
    shownReason_ = reason;
    if (reason == SIZE_MAX) {
        view_.resize(results_->Count());
        for (size_t i = 0; i < view_.size(); ++i)
            view_[i] = static_cast<uint32_t>(i);
        ListView_SetItemState(kinds_.Handle(), -1, 0, LVIS_SELECTED);
    } else {
        view_ = RowsOfReason(*results_, reason);
    }
    ::EnableWindow(Item(IDC_REPORT_SHOWALL), reason != SIZE_MAX);
    list_.ShowSortArrow(-1, false);
    ListView_SetItemState(list_.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemCountEx(list_.Handle(), static_cast<int>(view_.size()), 0);
    ::InvalidateRect(list_.Handle(), nullptr, TRUE);
}

// The share column is a bar as long as the kind's part of the largest kind, drawn in the system's
// highlight colour on the window's, so that it follows high contrast, framed in the text colour.
bool ReportPage::DrawKindBar(NMLVCUSTOMDRAW& draw, LRESULT& result) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        case CDDS_ITEMPREPAINT:
            result = CDRF_NOTIFYSUBITEMDRAW;
            return true;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const size_t row = draw.nmcd.dwItemSpec;
            if (draw.iSubItem != kKindColumnShare || row >= kindRows_.size() || kindRows_.empty()) {
                result = CDRF_DODEFAULT;
                return true;
            }
            RECT cell{};
            ListView_GetSubItemRect(kinds_.Handle(), static_cast<int>(row), kKindColumnShare, LVIR_BOUNDS,
                                    &cell);
            ::FillRect(draw.nmcd.hdc, &cell, ::GetSysColorBrush(COLOR_WINDOW));
            const int inset = win::ScaleToDpi(3, win::WindowDpi(kinds_.Handle()));
            RECT bar{cell.left + inset, cell.top + inset, cell.right - inset, cell.bottom - inset};
            const uint64_t largest = std::max<uint64_t>(kindRows_.front().bytes, 1);
            const int room = std::max(0, static_cast<int>(bar.right - bar.left));
            bar.right = bar.left + std::max(1, static_cast<int>(static_cast<double>(room) *
                                                                static_cast<double>(kindRows_[row].bytes) /
                                                                static_cast<double>(largest)));
            ::FillRect(draw.nmcd.hdc, &bar, ::GetSysColorBrush(COLOR_HIGHLIGHT));
            ::FrameRect(draw.nmcd.hdc, &bar, ::GetSysColorBrush(COLOR_WINDOWTEXT));
            result = CDRF_SKIPDEFAULT;
            return true;
        }
    }
    result = CDRF_DODEFAULT;
    return true;
}

// The kinds' list ticks through the page: a click on a check box or Space ticks or unticks all of
// that kind's files, and a grey box ticks them all. The list's own toggling knows only two images.
LRESULT CALLBACK ReportPage::KindsProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
    auto* page = reinterpret_cast<ReportPage*>(self);
    if (HandleTickInput(list, message, wParam, lParam, [page](int row) { page->ToggleKind(row); }))
        return 0;
    return ::DefSubclassProc(list, message, wParam, lParam);
}

void ReportPage::OnDestroy() {
    ::RemoveWindowSubclass(list_.Handle(), ListProc, 0);
    ::RemoveWindowSubclass(kinds_.Handle(), KindsProc, 0);
}

// An owner-data list keeps no check boxes: neither the list of Windows nor Wine's changes a tick
// that the parent keeps, whether asked by a click, by Space or by a state request. The list's own
// procedure is bypassed for those, and the tick goes to the results.
LRESULT CALLBACK ReportPage::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
    auto* page = reinterpret_cast<ReportPage*>(self);
    if (message == LVM_SETITEMSTATE || message == LVM_SETITEMA || message == LVM_SETITEMW) {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);  // the state fields lie alike in both forms
        const bool stateRequest = message == LVM_SETITEMSTATE || (item && (item->mask & LVIF_STATE));
        if (item && stateRequest && (item->stateMask & LVIS_STATEIMAGEMASK)) {
            const int row = message == LVM_SETITEMSTATE ? static_cast<int>(wParam) : item->iItem;
            if ((item->state & LVIS_STATEIMAGEMASK) != 0)
                page->SetTicked(row, (item->state & LVIS_STATEIMAGEMASK) != INDEXTOSTATEIMAGEMASK(1));
            // Whatever else was asked (selection, focus) the list does as usual.
            LVITEMW rest = *item;
            rest.stateMask &= ~LVIS_STATEIMAGEMASK;
            if (rest.stateMask == 0 && (message == LVM_SETITEMSTATE || rest.mask == LVIF_STATE))
                return TRUE;
            return ::DefSubclassProc(list, message, wParam, reinterpret_cast<LPARAM>(&rest));
        }
    }
    if (HandleTickInput(list, message, wParam, lParam, [page](int row) { page->ToggleTick(row); }))
        return 0;
    return ::DefSubclassProc(list, message, wParam, lParam);
}

void ReportPage::ToggleTick(int row) {
    if (HasRow(row))
        SetTicked(row, !results_->IsTicked(ModelRow(row)));
}

bool ReportPage::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_REPORT_SELECTALL:
        case IDC_REPORT_REMOVEALL:
            SetTicked(-1, id == IDC_REPORT_SELECTALL);
            return true;
        case IDC_REPORT_MOREINFO:
            ShowDetails(true);
            return true;
        case IDC_REPORT_SHOWALL:
            ShowReason(SIZE_MAX);
            return true;
    }
    return false;
}

// A path wider than its cell is drawn again over the list's own drawing, cut in its middle: the
// list would cut its end, and with it the file's name. The list's texts stay whole for whoever
// reads them (a screen reader, type-to-find, a copy).
bool ReportPage::DrawShortenedPath(NMLVCUSTOMDRAW& draw, LRESULT& result) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            result = CDRF_NOTIFYITEMDRAW;
            return true;
        case CDDS_ITEMPREPAINT:
            result = CDRF_NOTIFYPOSTPAINT;
            return true;
        case CDDS_ITEMPOSTPAINT:
            break;
        default:
            return false;
    }
    result = CDRF_DODEFAULT;
    const int item = static_cast<int>(draw.nmcd.dwItemSpec);
    const std::vector<const ReportColumn*>& columns = ListedReportColumns();
    int subItem = 0;
    while (static_cast<size_t>(subItem) < columns.size() && !columns[static_cast<size_t>(subItem)]->isPath)
        ++subItem;
    if (!HasRow(item) || static_cast<size_t>(subItem) >= columns.size())
        return true;
    HWND list = list_.Handle();
    RECT label{};
    if (!ListView_GetSubItemRect(list, item, subItem, LVIR_LABEL, &label))
        return true;
    // The list leaves a margin each side of a cell's text.
    const int margin = ::MulDiv(6, static_cast<int>(win::WindowDpi(list)), 96);
    RECT text = label;
    text.left += margin;
    text.right -= margin;
    const std::wstring path =
        win::Wide(columns[static_cast<size_t>(subItem)]->text(*results_, ModelRow(item)));
    HDC dc = draw.nmcd.hdc;
    HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    const std::wstring shown =
        win::MiddleEllipsisPath(dc, path, std::max(0, static_cast<int>(text.right - text.left)));
    if (shown != path) {
        const bool selected = ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED;
        const bool focused = ::GetFocus() == list;
        COLORREF back = ListView_GetTextBkColor(list), fore = ListView_GetTextColor(list);
        if (back == CLR_NONE || back == CLR_DEFAULT)
            back = ::GetSysColor(COLOR_WINDOW);
        if (fore == CLR_DEFAULT)
            fore = ::GetSysColor(COLOR_WINDOWTEXT);
        if (selected) {
            back = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
            fore = ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
        }
        // The grid line below the row stays.
        RECT fill = label;
        fill.bottom -= 1;
        const COLORREF oldBack = ::SetBkColor(dc, back);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &fill, nullptr, 0, nullptr);
        const COLORREF oldFore = ::SetTextColor(dc, fore);
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
        ::SetBkMode(dc, oldMode);
        ::SetTextColor(dc, oldFore);
        ::SetBkColor(dc, oldBack);
    }
    ::SelectObject(dc, oldFont);
    return true;
}

void ReportPage::GiveRow(LVITEMW& item) {
    if (!HasRow(item.iItem)) {
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            item.pszText[0] = L'\0';
        return;
    }
    const size_t row = ModelRow(item.iItem);
    if (item.mask & LVIF_TEXT && item.pszText && item.cchTextMax > 0) {
        const std::vector<const ReportColumn*>& columns = ListedReportColumns();
        std::wstring text;
        if (item.iSubItem >= 0 && static_cast<size_t>(item.iSubItem) < columns.size()) {
            const ReportColumn& column = *columns[static_cast<size_t>(item.iSubItem)];
            text = win::Wide(column.text(*results_, row));
        }
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::wmemcpy(item.pszText, text.data(), n);
        item.pszText[n] = L'\0';
    }
    if (item.mask & LVIF_STATE) {
        item.state =
            (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(results_->IsTicked(row) ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
    if (item.mask & LVIF_PARAM)
        item.lParam = static_cast<LPARAM>(row);
}

bool ReportPage::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom == IDC_REPORT_KINDS) {
        if (header->code == NM_CUSTOMDRAW)
            return DrawKindBar(*reinterpret_cast<NMLVCUSTOMDRAW*>(header), result);
        if (header->code == LVN_ITEMCHANGED) {
            // Choosing a kind, by the mouse or the arrows, lists its files.
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            if (change->iItem >= 0 && (change->uChanged & LVIF_STATE) &&
                (change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED) &&
                static_cast<size_t>(change->iItem) < kindRows_.size())
                ShowReason(kindRows_[static_cast<size_t>(change->iItem)].reason);
        }
        return false;
    }
    if (header->idFrom != IDC_REPORT_LIST)
        return false;
    switch (header->code) {
        case NM_CUSTOMDRAW:
            return DrawShortenedPath(*reinterpret_cast<NMLVCUSTOMDRAW*>(header), result);
        case LVN_GETDISPINFOW:
            GiveRow(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
            result = 0;
            return true;
        case LVN_COLUMNCLICK: {
            const auto* click = reinterpret_cast<const NMLISTVIEW*>(header);
            if (click->iItem != -1)
                return false;
            SortByColumn(click->iSubItem);
            result = 0;
            return true;
        }
        case NM_DBLCLK:
            ShowDetails(false);
            result = 0;
            return true;
        case LVN_ODFINDITEMW: {
            // The list asks its owner for the row a typed prefix leads to: it holds no texts itself.
            const auto* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
            const UINT flags = find->lvfi.flags;
            result = -1;
            if ((flags & (LVFI_STRING | LVFI_PARTIAL)) && find->lvfi.psz)
                result = FindRow(win::Narrow(find->lvfi.psz), find->iStart, (flags & LVFI_PARTIAL) != 0,
                                 (flags & LVFI_WRAP) != 0);
            return true;
        }
    }
    return false;
}

int ReportPage::FindRow(const std::string& prefix, int start, bool partial, bool wrap) const {
    const int count = static_cast<int>(view_.size());
    if (!results_ || count == 0)
        return -1;
    const std::wstring wanted = win::FoldedText(prefix);
    // The list looks for typed text in its first column, as a list of Windows does.
    const ReportColumn& firstColumn = *ListedReportColumns().front();
    if (start < 0 || start >= count)
        start = 0;
    for (int n = 0; n < (wrap ? count : count - start); ++n) {
        const int row = (start + n) % count;
        // For a prefix, only as much of the path as it could reach is folded: a UTF-16 unit is at
        // most three bytes.
        const std::string shown = firstColumn.text(*results_, ModelRow(row));
        const std::wstring text =
            win::FoldedText(partial ? win::CutAtCharBoundary(shown, 3 * wanted.size() + 4) : shown);
        if (partial ? text.compare(0, wanted.size(), wanted) == 0 && text.size() >= wanted.size()
                    : text == wanted)
            return row;
    }
    return -1;
}

void ReportPage::ShowDetails(bool askWhenNone) {
    const int row = list_.Selected();
    if (!HasRow(row)) {
        if (askWhenNone)
            AskUser(Handle(), "_YouMustSelectAnItem", MB_OK | MB_ICONINFORMATION);
        return;
    }
    FileDetailsDialog dialog(std::string(results_->Path(ModelRow(row))));
    win::CurrentPrompts().RunModal(dialog, IDD_FILEDETAILS, ::GetActiveWindow());
}

bool ReportPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (message != WM_CONTEXTMENU || reinterpret_cast<HWND>(wParam) != list_.Handle())
        return false;
    ShowListMenu(lParam);
    result = TRUE;
    return true;
}

void ReportPage::ShowListMenu(LPARAM screenPoint) {
    POINT point{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (screenPoint == -1) {
        // From the keyboard: at the selected row, or at the list's corner.
        RECT row{};
        const int selected = list_.Selected();
        if (selected < 0 || !ListView_GetItemRect(list_.Handle(), selected, &row, LVIR_LABEL))
            ::GetClientRect(list_.Handle(), &row);
        point = {row.left, row.bottom};
        ::ClientToScreen(list_.Handle(), &point);
    }
    win::UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return;
    const std::string text = Translate("_ReportPageExportList");
    ::AppendMenuW(menu.get(), MF_STRING | (view_.empty() ? MF_GRAYED : 0), kExportCommand,
                  win::Wide(text).c_str());
    if (win::CurrentPrompts().TrackMenu(Handle(), menu.get(), point) == kExportCommand)
        ExportList();
}

void ReportPage::ExportList() {
    if (!results_ || view_.empty())
        return;
    static const std::string kFilter(std::string("CSV (*.csv)") + '\0' + "*.csv" + '\0' + '\0');
    const std::string path = win::CurrentPrompts().SaveFileName(::GetAncestor(Handle(), GA_ROOT),
                                                                Translate("_CsvFileName"), kFilter, "csv");
    if (path.empty())
        return;
    const std::vector<size_t> rows(view_.begin(), view_.end());
    if (!WriteResultsCsv(path, *results_, rows, UserCsvForm()))
        AskUser(Handle(), "_ReportPageExportFailed", MB_OK | MB_ICONINFORMATION);
}

void ReportPage::SortByColumn(int column) {
    const bool descending = g_sortDescending;
    g_sortDescending = !g_sortDescending;
    if (!results_ || view_.empty())
        return;
    list_.ShowSortArrow(column, descending);
    // The selected row moves with its file.
    const int selected = list_.Selected();
    const uint32_t selectedRow = HasRow(selected) ? view_[static_cast<size_t>(selected)] : UINT32_MAX;

    if (column >= 0 && static_cast<size_t>(column) < ListedReportColumns().size())
        SortReportRows(*results_, *ListedReportColumns()[static_cast<size_t>(column)], descending, view_);
    if (selectedRow != UINT32_MAX) {
        const auto at = std::find(view_.begin(), view_.end(), selectedRow);
        ListView_SetItemState(list_.Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        list_.Select(static_cast<int>(at - view_.begin()));
    }
    ::InvalidateRect(list_.Handle(), nullptr, FALSE);
}
