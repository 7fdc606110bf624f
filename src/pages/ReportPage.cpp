#include "pages/ReportPage.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "pages/FileDetailsDialog.h"
#include "resources/ResourceIds.h"
#include "win/Prompts.h"

namespace {

// The direction of the next header-click sort, shared by every column and every fill for the
// whole run: the first click sorts descending, the next one ascending, and so on.
bool g_sortDescending = true;

// Sorting compares at most this many characters of a cell.
constexpr size_t kSortTextLimit = 259;

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string Kilobytes(double kilobytes) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.2lf", kilobytes);
    return text;
}

// The decimal number a text begins with (after leading blanks), or 0 when it begins with none.
// Only the decimal form is read: no hexadecimal, infinity or NaN spellings.
double LeadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j])))
                ++j;
            i = j;
        }
    }
    return std::strtod(text.substr(start, i - start).c_str(), nullptr);
}

// What one sort compares: the column's cell of every row, read once per header click and indexed
// by the row's item data (its index at the fill).
//
// The comparison is defined on the rows' current texts: find each row by its item data, read the
// column's text (at most 259 characters) and compare. Finding a row by its data (LVM_FINDITEM) is
// a walk over the whole list, so doing it inside every comparison makes a sort of 100,000 rows
// take hours; and the list forbids sending it messages other than LVM_GETITEM while it sorts.
// The texts do not change during a sort, so reading them all up front gives the very same order.
struct SortKeys {
    int kind = ReportPage::kSortText;
    bool descending = true;
    std::vector<std::string> texts;
    std::vector<double> numbers;
};

int CompareKeys(LPARAM first, LPARAM second, const SortKeys& keys) {
    const size_t a = static_cast<size_t>(first), b = static_cast<size_t>(second);
    switch (keys.kind) {
        case ReportPage::kSortText:
            if (a >= keys.texts.size() || b >= keys.texts.size())
                return 0;
            // char_traits<char> compares the bytes as unsigned values.
            return keys.texts[a].compare(keys.texts[b]);
        case ReportPage::kSortNumber:
            if (a >= keys.numbers.size() || b >= keys.numbers.size())
                return 0;
            return keys.numbers[a] < keys.numbers[b] ? -1 : keys.numbers[a] > keys.numbers[b] ? 1 : 0;
        default:
            return 0;
    }
}

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM context) {
    const SortKeys& keys = *reinterpret_cast<const SortKeys*>(context);
    return keys.descending ? CompareKeys(second, first, keys) : CompareKeys(first, second, keys);
}

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
        ::SendMessageA(progress_, PBM_SETRANGE32, 0, count);
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
        ::SendMessageA(progress_, PBM_SETPOS, n, 0);
        MSG msg;
        if (::PeekMessageA(&msg, Handle(), 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
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

}  // namespace

ReportPage::ReportPage() : WizardPage(IDD_PAGE_REPORT) {}

void ReportPage::InitPage() {
    list_ = win::ListView(Item(IDC_REPORT_LIST));
    list_.AddColumn(0, Translate("_ReportPageListColumnFileName"), 350, kSortText);
    list_.AddColumn(1, Translate("_ReportPageListColumnFileSize"), 100, kSortNumber);
    list_.AddColumn(2, Translate("_ReportPageStateDescription"), 100, kSortText);
    list_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_REPORT_LIST, win::Anchor::GrowBoth},
                              {IDC_REPORT_SELECTALL, win::Anchor::MoveDown},
                              {IDC_REPORT_REMOVEALL, win::Anchor::MoveDown},
                              {IDC_REPORT_MOREINFO, win::Anchor::MoveBottomRight},
                              {IDC_REPORT_SUMMARY, win::Anchor::MoveDownGrowWidth}});
}

void ReportPage::Fill(const ScanResults& results) {
    results_ = results;
    const int count = static_cast<int>(results_.Count());
    FillStatusWindow status;
    status.Open(Handle(), count);

    // The list draws nothing until the fill is over: repainting per row would cost more than the
    // rows themselves.
    list_.SetRedraw(false);
    list_.DeleteAll();
    list_.Reserve(count);
    uint64_t totalBytes = 0;
    int n = 0;
    for (const auto& [path, reason] : results_) {
        status.Step(++n);
        const int row = list_.Append(path, n - 1);
        const uint64_t bytes = FileSize(path);
        totalBytes += bytes;
        list_.SetText(row, 1, Kilobytes(BytesToKilobytes(bytes)));
        list_.SetText(row, 2, reason);
    }
    // A list with check boxes gives every new row the clear box, whatever the insertion asks for;
    // the ticks are set afterwards, all rows in one request.
    list_.SetTicked(-1, true);
    list_.SetRedraw(true);
    ::InvalidateRect(list_.Handle(), nullptr, TRUE);

    const double totalKilobytes = BytesToKilobytes(totalBytes);
    SetItemText(IDC_REPORT_SUMMARY, FormatText(Translate("_ReportPageStateTotalSize"),
                                               {static_cast<long long>(count), totalKilobytes,
                                                KilobytesToMegabytes(totalKilobytes)}));
    status.Close();
}

bool ReportPage::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_REPORT_SELECTALL:
        case IDC_REPORT_REMOVEALL:
            list_.SetTicked(-1, id == IDC_REPORT_SELECTALL);
            return true;
        case IDC_REPORT_MOREINFO:
            ShowDetails(true);
            return true;
    }
    return false;
}

bool ReportPage::OnNotify(NMHDR* header, LRESULT& result) {
    if (header->idFrom != IDC_REPORT_LIST)
        return false;
    switch (header->code) {
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
        case LVN_DELETEALLITEMS:
            // Nothing is kept per row outside the list: no need for a notification per deleted row.
            result = TRUE;
            return true;
    }
    return false;
}

void ReportPage::ShowDetails(bool askWhenNone) {
    const int row = list_.Selected();
    if (row < 0) {
        if (askWhenNone)
            win::AskUser(Handle(), "_YouMustSelectAnItem", MB_OK | MB_ICONINFORMATION);
        return;
    }
    FileDetailsDialog dialog(list_.Text(row, 0));
    win::CurrentPrompts().RunModal(dialog, IDD_FILEDETAILS, ::GetActiveWindow());
}

void ReportPage::SortByColumn(int column) {
    SortKeys keys;
    keys.kind = static_cast<int>(list_.ColumnData(column));
    keys.descending = g_sortDescending;
    const int count = list_.Count();
    if (keys.kind == kSortText || keys.kind == kSortNumber) {
        std::vector<std::string> texts(static_cast<size_t>(count));
        std::vector<char> buffer(kSortTextLimit + 1);
        for (int row = 0; row < count; ++row) {
            // One request per row brings both the row's data and its (shortened) text.
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row;
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            buffer[0] = '\0';
            if (!::SendMessageA(list_.Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
                continue;
            const size_t data = static_cast<size_t>(item.lParam);
            if (data >= texts.size())
                texts.resize(data + 1);
            // The control may hand back its own buffer instead of filling ours.
            const char* text = item.pszText ? item.pszText : "";
            texts[data].assign(text, strnlen(text, kSortTextLimit));
        }
        if (keys.kind == kSortNumber) {
            keys.numbers.reserve(texts.size());
            for (const std::string& text : texts)
                keys.numbers.push_back(LeadingNumber(text));
        } else {
            keys.texts = std::move(texts);
        }
    }
    ::SendMessageA(list_.Handle(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&keys),
                   reinterpret_cast<LPARAM>(&CompareRows));
    g_sortDescending = !g_sortDescending;
}
