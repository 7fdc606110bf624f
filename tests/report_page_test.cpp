// The report page on the real resources: the fill with its status window, ticks and totals,
// sorting by a click on a column header, and opening the file details of the selected row.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/LanguageTable.h"
#include "pages/ReportPage.h"
#include "resources/ResourceIds.h"
#include "scan/ResultsCsv.h"
#include "support/PageHost.h"
#include "support/WindowTest.h"
#include "win/ListView.h"
#include "win/Text.h"

namespace {

// What the fill's status window showed just before it went away.
struct StatusSeen {
    int windows = 0;
    bool visible = false, topmost = false;
    HWND owner = nullptr;
    std::string text;
    int rangeHigh = -1, position = -1;
};
StatusSeen* g_seen = nullptr;

LRESULT CALLBACK WatchStatusWindow(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_DESTROYWND && g_seen) {
        HWND window = reinterpret_cast<HWND>(wParam);
        HWND progress = ::GetDlgItem(window, IDC_REPORT_STATUS_PROGRESS);
        char className[32] = {};
        ::GetClassNameA(window, className, sizeof(className));
        if (progress && std::string(className) == "#32770") {
            ++g_seen->windows;
            g_seen->visible = ::IsWindowVisible(window);
            g_seen->topmost = (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            g_seen->owner = ::GetWindow(window, GW_OWNER);
            g_seen->text = test::WindowText(::GetDlgItem(window, IDC_REPORT_STATUS_TEXT));
            g_seen->rangeHigh = static_cast<int>(::SendMessageA(progress, PBM_GETRANGE, FALSE, 0));
            g_seen->position = static_cast<int>(::SendMessageA(progress, PBM_GETPOS, 0, 0));
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class ReportPageTest : public ::testing::Test {
  protected:
    // One host for the whole program: destroying a shown top-level window costs seconds under
    // Wine without a window manager.
    static void SetUpTestSuite() { host_ = new test::PageHost; }
    static void TearDownTestSuite() {
        delete host_;
        host_ = nullptr;
    }

    void SetUp() override {
        test::WriteFile(dir_ / "a.dat", std::string(10240, 'a'));  // 10.00 KB
        test::WriteFile(dir_ / "b.dat", std::string(9728, 'b'));   // 9.50 KB
        test::MakeSizedFile(dir_ / "big.dat", 5ULL << 30);         // 5 GiB, sparse
        // Sizes as the scan took them from the listing.
        results_.AddOrReplace(dir_ / "b.dat", "Reason A", 9728);
        results_.AddOrReplace(dir_ / "a.dat", "Reason Z", 10240);
        results_.AddOrReplace(dir_ / "big.dat", "Big", 5ULL << 30);
        results_.AddOrReplace(dir_ / "gone.dat", "Gone");
        results_.AddOrReplace(dir_ / "\xC3\xA9t\xC3\xA9.dat", "Accent");  // a letter beyond ASCII
        results_.AddOrReplace(dir_ / "Z.dat", "Upper");
        ASSERT_TRUE(page_.CreateIn(host_->Handle()));
        ::SetWindowPos(page_.Handle(), nullptr, 0, 0, 860, 480, SWP_NOZORDER | SWP_SHOWWINDOW);
        list_ = page_.List();
    }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < list_.Count(); ++row)
            texts.push_back(list_.Text(row, column));
        return texts;
    }
    std::string Summary() const { return test::WindowText(::GetDlgItem(page_.Handle(), IDC_REPORT_SUMMARY)); }
    // Clicks a column's header as the user would: the header tells the list, the list the page.
    void ClickHeader(int column) {
        HWND header = ListView_GetHeader(list_.Handle());
        RECT rect{};
        ASSERT_TRUE(Header_GetItemRect(header, column, &rect));
        const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageA(header, WM_LBUTTONUP, 0, point);
    }
    // Each column header's sort arrow: 1 up, -1 down, 0 none.
    std::vector<int> SortArrows() const {
        HWND header = ListView_GetHeader(list_.Handle());
        std::vector<int> arrows;
        for (int column = 0; column < Header_GetItemCount(header); ++column) {
            HDITEMA item{};
            item.mask = HDI_FORMAT;
            ::SendMessageA(header, HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
            arrows.push_back((item.fmt & HDF_SORTUP) ? 1 : (item.fmt & HDF_SORTDOWN) ? -1 : 0);
        }
        return arrows;
    }
    // Clicks a row's check box with the mouse.
    void ClickCheckBox(int row) {
        RECT bounds{};
        ASSERT_TRUE(ListView_GetItemRect(list_.Handle(), row, &bounds, LVIR_BOUNDS));
        LVHITTESTINFO hit{};
        hit.pt.y = (bounds.top + bounds.bottom) / 2;
        for (hit.pt.x = bounds.left; hit.pt.x < bounds.left + 40; ++hit.pt.x) {
            ListView_HitTest(list_.Handle(), &hit);
            if (hit.flags & LVHT_ONITEMSTATEICON)
                break;
        }
        ASSERT_TRUE(hit.flags & LVHT_ONITEMSTATEICON);
        const LPARAM point = MAKELPARAM(hit.pt.x, hit.pt.y);
        ::SendMessageA(list_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
        ::SendMessageA(list_.Handle(), WM_LBUTTONUP, 0, point);
    }
    // The list's notification of a double-click, as it sends it to the page.
    void DoubleClickList() {
        NMITEMACTIVATE activate{};
        activate.hdr.hwndFrom = list_.Handle();
        activate.hdr.idFrom = IDC_REPORT_LIST;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = -1;
        ::SendMessageA(page_.Handle(), WM_NOTIFY, IDC_REPORT_LIST, reinterpret_cast<LPARAM>(&activate));
    }

    test::ProgramFolder program_;
    test::TempFolder dir_;
    test::RecordingPrompts prompts_;
    static test::PageHost* host_;
    ReportPage page_;
    win::ListView list_;
    ScanResults results_;
};
test::PageHost* ReportPageTest::host_ = nullptr;

}  // namespace

TEST_F(ReportPageTest, FillListsTheResultsInPathOrderTickedWithSizesAndTotals) {
    StatusSeen seen;
    g_seen = &seen;
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, WatchStatusWindow, nullptr, ::GetCurrentThreadId());
    page_.Fill(&results_);
    ::UnhookWindowsHookEx(hook);
    g_seen = nullptr;

    // Ascending unsigned byte order of the paths: upper case first, the accented name last.
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{dir_ / "Z.dat", dir_ / "a.dat", dir_ / "b.dat", dir_ / "big.dat",
                                        dir_ / "gone.dat", dir_ / "\xC3\xA9t\xC3\xA9.dat"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"0.00", "10.00", "9.50", "5,242,880.00", "0.00", "0.00"}));
    EXPECT_EQ(Column(2),
              (std::vector<std::string>{"Upper", "Reason Z", "Reason A", "Big", "Gone", "Accent"}));
    for (int row = 0; row < list_.Count(); ++row) {
        EXPECT_TRUE(list_.IsTicked(row)) << row;
        EXPECT_EQ(page_.ResultRow(row), static_cast<size_t>(row));
    }
    // "Files found: %d, %s in total." in the English language file.
    const std::string summary = "Files found: 6, 5.00 GB in total.";
    EXPECT_EQ(Summary(), summary);

    // The status window was shown on top, owned by the page's top-level window, counted every
    // row, and is gone.
    EXPECT_EQ(seen.windows, 1);
    EXPECT_TRUE(seen.visible);
    EXPECT_TRUE(seen.topmost);
    EXPECT_EQ(seen.owner, host_->Handle());
    EXPECT_EQ(seen.text, Translate("_ReportPageProgressState"));
    EXPECT_EQ(seen.rangeHigh, 6);
    EXPECT_EQ(seen.position, 6);

    // The rows' ticks live in the results: a state request, a click on a box and Space reach them.
    list_.SetTicked(1, false);
    EXPECT_FALSE(results_.IsTicked(1));
    EXPECT_FALSE(list_.IsTicked(1));
    ClickCheckBox(1);
    EXPECT_TRUE(results_.IsTicked(1));
    list_.Select(3);
    ::SendMessageA(list_.Handle(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(list_.Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(results_.IsTicked(3));
    EXPECT_FALSE(list_.IsTicked(3));
    EXPECT_EQ(results_.TickedCount(), 5u);

    // The buttons change the ticks only; the summary keeps the fill's figures.
    test::Click(page_.Handle(), IDC_REPORT_REMOVEALL);
    for (int row = 0; row < list_.Count(); ++row)
        EXPECT_FALSE(list_.IsTicked(row)) << row;
    EXPECT_EQ(Summary(), summary);
    list_.SetTicked(2, true);
    test::Click(page_.Handle(), IDC_REPORT_SELECTALL);
    for (int row = 0; row < list_.Count(); ++row)
        EXPECT_TRUE(list_.IsTicked(row)) << row;
    EXPECT_EQ(Summary(), summary);

    // A second fill starts afresh; more rows than a 16-bit progress range holds do not wrap.
    list_.SetTicked(0, false);
    ScanResults many;
    for (int i = 0; i < 70'000; ++i)
        many.AddOrReplace(dir_ / ("missing\\" + std::to_string(100'000 + i)), "Many");
    seen = {};
    g_seen = &seen;
    hook = ::SetWindowsHookExA(WH_CBT, WatchStatusWindow, nullptr, ::GetCurrentThreadId());
    page_.Fill(&many);
    ::UnhookWindowsHookEx(hook);
    g_seen = nullptr;
    EXPECT_EQ(seen.rangeHigh, 70'000);
    EXPECT_EQ(seen.position, 70'000);
    ASSERT_EQ(list_.Count(), 70'000);
    EXPECT_TRUE(list_.IsTicked(0));
    // A path wider than its column is cut in its middle: its start and its file name show.
    const std::string shown = list_.Text(69'999, 0), path = dir_ / "missing\\169999";
    const size_t cut = shown.find("...\\");
    if (cut == std::string::npos) {
        EXPECT_EQ(shown, path);
    } else {
        EXPECT_EQ(path.rfind(shown.substr(0, cut), 0), 0u) << shown;
        EXPECT_EQ(shown.substr(cut + 3), "\\169999") << shown;
    }
    EXPECT_EQ(Summary(), "Files found: 70,000, 0 bytes in total.");

    // Sizes stand right-aligned, and the reason column is as wide as its longest reason needs.
    LVCOLUMNA size{};
    size.mask = LVCF_FMT;
    ASSERT_TRUE(::SendMessageA(list_.Handle(), LVM_GETCOLUMNA, 1, reinterpret_cast<LPARAM>(&size)));
    EXPECT_EQ(size.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_RIGHT);
    const std::string longReason =
        "Browser cache of every user profile, with its offline web pages and media";
    many.AddOrReplace(dir_ / "missing\\long", longReason);
    page_.Fill(&many);
    EXPECT_GT(
        ListView_GetColumnWidth(list_.Handle(), 2),
        ::SendMessageA(list_.Handle(), LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(longReason.c_str())));
    // A reason too wide to sit beside the path at its width (as Japanese ones are) stays inside the
    // list: the path, drawn cut in its middle, gives way.
    RECT client{};
    ::GetClientRect(list_.Handle(), &client);
    const auto width = [&](const std::string& text) {
        return static_cast<int>(
            ::SendMessageA(list_.Handle(), LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
    };
    std::string wideReason = "W";
    while (width(wideReason + "W") < client.right - 100 - 150 - 60)
        wideReason += 'W';
    ScanResults wide;
    wide.AddOrReplace(dir_ / "wide.dat", wideReason);
    page_.Fill(&wide);
    int right = 0;
    for (int column = 0; column < 3; ++column)
        right += ListView_GetColumnWidth(list_.Handle(), column);
    EXPECT_LE(right, client.right) << ListView_GetColumnWidth(list_.Handle(), 0) << " "
                                   << ListView_GetColumnWidth(list_.Handle(), 1) << " "
                                   << ListView_GetColumnWidth(list_.Handle(), 2) << " " << width(wideReason);
    EXPECT_LT(ListView_GetColumnWidth(list_.Handle(), 0), 350);

    // The empty set leaves an empty list and a count of 0.
    ScanResults none;
    page_.Fill(&none);
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(Summary(), "Files found: 0, 0 bytes in total.");
}

// All header clicks of the run are in this one test: the direction flag belongs to the process,
// so the first click here is the first of the run.
TEST_F(ReportPageTest, HeaderClicksSortAlternatingDirectionAcrossColumns) {
    page_.Fill(&results_);
    list_.SetTicked(0, false);  // dir_\Z.dat: ticks travel with their rows

    EXPECT_EQ(SortArrows(), (std::vector<int>{0, 0, 0}));
    ClickHeader(1);  // the first click of the run: descending, as numbers
    EXPECT_EQ(SortArrows(), (std::vector<int>{0, -1, 0}));
    std::vector<std::string> sizes = Column(1);
    EXPECT_EQ(std::vector<std::string>(sizes.begin(), sizes.begin() + 3),
              (std::vector<std::string>{"5,242,880.00", "10.00", "9.50"}));
    EXPECT_EQ(std::vector<std::string>(sizes.begin() + 3, sizes.end()),
              (std::vector<std::string>{"0.00", "0.00", "0.00"}));

    ClickHeader(0);  // the next click, on another column: ascending, without regard to case
    EXPECT_EQ(SortArrows(), (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(Column(0),
              (std::vector<std::string>{dir_ / "a.dat", dir_ / "b.dat", dir_ / "big.dat", dir_ / "gone.dat",
                                        dir_ / "Z.dat", dir_ / "\xC3\xA9t\xC3\xA9.dat"}));
    for (int row = 0; row < list_.Count(); ++row)
        EXPECT_EQ(list_.IsTicked(row), row != 4) << row;

    ClickHeader(2);  // descending
    EXPECT_EQ(Column(2),
              (std::vector<std::string>{"Upper", "Reason Z", "Reason A", "Gone", "Big", "Accent"}));

    ClickHeader(1);  // ascending: 9.50 before 10.00, which text order would not give
    sizes = Column(1);
    EXPECT_EQ(std::vector<std::string>(sizes.begin() + 3, sizes.end()),
              (std::vector<std::string>{"9.50", "10.00", "5,242,880.00"}));
    // Each row still carries its own data, size and reason.
    for (int row = 0; row < list_.Count(); ++row) {
        EXPECT_EQ(list_.Text(row, 0), results_.Path(page_.ResultRow(row)));
        EXPECT_EQ(list_.Text(row, 2), results_.Reason(page_.ResultRow(row)));
    }

    // A refill drops the sorting, its arrow and the ticks; the flag stays where it was (descending next).
    page_.Fill(&results_);
    EXPECT_EQ(SortArrows(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(list_.Text(0, 0), dir_ / "Z.dat");
    EXPECT_TRUE(list_.IsTicked(0));
    ClickHeader(0);
    EXPECT_EQ(list_.Text(0, 0), dir_ / "\xC3\xA9t\xC3\xA9.dat");
    EXPECT_EQ(list_.Text(1, 0), dir_ / "Z.dat");
    EXPECT_EQ(list_.Text(5, 0), dir_ / "a.dat");
}

TEST_F(ReportPageTest, DetailsOpenForTheSelectedRowOnly) {
    page_.Fill(&results_);

    // Without a selection: "_MoreInfo" asks for one, a double-click does nothing.
    test::Click(page_.Handle(), IDC_REPORT_MOREINFO);
    ASSERT_EQ(prompts_.messages, (std::vector<std::string>{Translate("_YouMustSelectAnItem")}));
    EXPECT_EQ(prompts_.styles[0], static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    DoubleClickList();
    EXPECT_EQ(prompts_.messages.size(), 1u);
    EXPECT_TRUE(prompts_.dialogs.empty());

    // With one: the details dialog of that row, owned by the active window.
    std::vector<std::string> shownPaths;
    std::vector<HWND> owners;
    prompts_.onDialog = [&](HWND dialog, int) {
        shownPaths.push_back(test::WindowText(::GetDlgItem(dialog, IDC_DETAILS_PATH)));
        owners.push_back(::GetWindow(dialog, GW_OWNER));
        test::Click(dialog, IDOK);
    };
    ::SetActiveWindow(host_->Handle());
    const HWND active = ::GetActiveWindow();
    list_.Select(2);
    test::Click(page_.Handle(), IDC_REPORT_MOREINFO);
    list_.Select(3);
    ListView_SetItemState(list_.Handle(), 2, 0, LVIS_SELECTED);
    DoubleClickList();
    EXPECT_EQ(prompts_.dialogs, (std::vector<int>{IDD_FILEDETAILS, IDD_FILEDETAILS}));
    EXPECT_EQ(shownPaths, (std::vector<std::string>{dir_ / "b.dat", dir_ / "big.dat"}));
    EXPECT_EQ(owners, (std::vector<HWND>{active, active}));
    EXPECT_EQ(prompts_.messages.size(), 1u);
    // Nothing on the page changed.
    EXPECT_EQ(list_.Count(), 6);
    EXPECT_TRUE(list_.IsTicked(2));
}

TEST_F(ReportPageTest, TypingMovesToTheNextRowThatBeginsWithTheTypedLetterInAnyCase) {
    ScanResults drives;  // in path order: "C:\a", "D:\b", "E:\d", "d:\c"
    for (const char* path : {"C:\\a.tmp", "D:\\b.tmp", "d:\\c.tmp", "E:\\d.tmp"})
        drives.AddOrReplace(path, "Temporary file");
    page_.Fill(&drives);
    ::SetFocus(list_.Handle());
    auto type = [&](char letter) {
        ::Sleep(1100);  // each letter a search of its own, as after a pause
        ::SendMessageA(list_.Handle(), WM_CHAR, static_cast<unsigned char>(letter), 1);  // one key press
        return ListView_GetNextItem(list_.Handle(), -1, LVNI_FOCUSED);
    };
    EXPECT_EQ(type('e'), 2);
    EXPECT_EQ(type('D'), 3);
    EXPECT_EQ(type('c'), 0);  // from the top again
    EXPECT_EQ(type('q'), 0);  // nothing begins so: the focus stays
    page_.Fill(&results_);
}

// After the header clicks above, so that the first of them stays the first of the run.
TEST_F(ReportPageTest, TheListsShortcutMenuExportsTheRowsInTheirShownOrderWithTheirTicks) {
    page_.Fill(&results_);
    ClickHeader(1);
    list_.SetTicked(2, false);
    prompts_.menuChoices = {1};
    prompts_.saveNames = {dir_ / "export.csv"};
    ::SendMessageA(page_.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list_.Handle()),
                   MAKELPARAM(5, 5));
    EXPECT_EQ(prompts_.menuItems, std::vector<std::string>{Translate("_ReportPageExportList")});

    std::string expected = "\xEF\xBB\xBFPath,Size (bytes),Reason,Last access (UTC),Ticked\r\n";
    for (int row = 0; row < list_.Count(); ++row) {
        const size_t result = page_.ResultRow(row);
        expected += CsvField(list_.Text(row, 0)) + ',' + std::to_string(results_.Size(result)) + ',' +
                    CsvField(list_.Text(row, 2)) + ",," + (row == 2 ? "no" : "yes") + "\r\n";
    }
    EXPECT_EQ(test::ReadFile(dir_ / "export.csv"), expected);
}

// A column keeps the width it was given unless its title needs more: then it widens to the whole
// title, its margins and the sort arrow's room, so no translated header is cut.
TEST(ListViewColumns, WidenForTitlesLongerThanTheirWidth) {
    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 400, 200, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_TRUE(list);
    const win::ListView view(list);
    const std::string longTitle =
        "Gr\xC3\xB6\xC3\x9F"
        "e der Datei in Kilobyte (KB) \xE5\xA4\xA7\xE5\xB0\x8F";
    view.AddColumn(0, "Size", 100);
    view.AddColumn(1, longTitle, 40);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), 100);
    const int titleWidth = static_cast<int>(
        ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(win::Wide(longTitle).c_str())));
    EXPECT_GT(titleWidth, 100);
    EXPECT_GE(ListView_GetColumnWidth(list, 1), titleWidth + 28);
    ::DestroyWindow(list);
}

// The kinds above the list by keyboard alone: Tab reaches them, the arrows choose a kind and list
// only its files, Space ticks or unticks all of them (a grey box when only some are), the ticked
// total follows, a sort keeps to the kind's files, and "Show all" lists every file again.
TEST_F(ReportPageTest, TheKindsAreReachedChosenAndTickedByKeyboard) {
    results_.AddOrReplace(dir_ / "c.dat", "Reason A", 4096);
    page_.Fill(&results_);
    const win::ListView kinds = page_.Kinds();
    auto press = [](HWND window, WPARAM key) {
        ::SendMessageA(window, WM_KEYDOWN, key, 0);
        ::SendMessageA(window, WM_KEYUP, key, 0);
    };
    auto tickImage = [&](int row) {
        return ListView_GetItemState(kinds.Handle(), row, LVIS_STATEIMAGEMASK) >> 12;
    };
    auto ticked = [&] { return test::WindowText(::GetDlgItem(page_.Handle(), IDC_REPORT_TICKED)); };
    HWND showAll = ::GetDlgItem(page_.Handle(), IDC_REPORT_SHOWALL);

    // Largest first, each row its kind, count and size, all ticked.
    ASSERT_EQ(kinds.Count(), 6);
    EXPECT_EQ(kinds.Text(0, 0), "Big");
    EXPECT_EQ(kinds.Text(0, 2), "5.00 GB");
    EXPECT_EQ(kinds.Text(1, 0), "Reason A");
    EXPECT_EQ(kinds.Text(1, 1), "2");
    EXPECT_EQ(kinds.Text(1, 2), "13.5 KB");
    EXPECT_EQ(tickImage(1), 2u);
    EXPECT_EQ(ticked(), "Ticked files: 7, 5.00 GB of 5.00 GB");
    EXPECT_FALSE(::IsWindowEnabled(showAll));

    // Tab from the page's last control comes round to the kinds.
    ::SetFocus(::GetDlgItem(page_.Handle(), IDC_REPORT_MOREINFO));
    MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    ::IsDialogMessageW(page_.Handle(), &tab);
    ASSERT_EQ(::GetFocus(), kinds.Handle());

    press(kinds.Handle(), VK_HOME);
    ASSERT_EQ(Column(0), std::vector<std::string>{dir_ / "big.dat"});
    EXPECT_TRUE(::IsWindowEnabled(showAll));
    press(kinds.Handle(), VK_SPACE);
    EXPECT_FALSE(results_.IsTicked(page_.ResultRow(0)));
    EXPECT_EQ(tickImage(0), 1u);
    EXPECT_EQ(ticked(), "Ticked files: 6, 23.5 KB of 5.00 GB");

    press(kinds.Handle(), VK_DOWN);
    ASSERT_EQ(Column(0), (std::vector<std::string>{dir_ / "b.dat", dir_ / "c.dat"}));
    list_.SetTicked(1, false);  // one file of the kind: its box turns grey
    EXPECT_EQ(tickImage(1), 3u);
    EXPECT_EQ(ticked(), "Ticked files: 5, 19.5 KB of 5.00 GB");
    press(kinds.Handle(), VK_SPACE);  // a grey box ticks them all
    EXPECT_EQ(tickImage(1), 2u);
    EXPECT_TRUE(list_.IsTicked(0));
    EXPECT_TRUE(list_.IsTicked(1));
    press(kinds.Handle(), VK_SPACE);
    EXPECT_FALSE(list_.IsTicked(0));
    EXPECT_FALSE(list_.IsTicked(1));
    EXPECT_EQ(ticked(), "Ticked files: 4, 10.0 KB of 5.00 GB");

    // A sort orders the kind's files only.
    ClickHeader(1);
    EXPECT_EQ(list_.Count(), 2);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"Reason A", "Reason A"}));

    test::Click(page_.Handle(), IDC_REPORT_SHOWALL);
    EXPECT_EQ(list_.Count(), 7);
    EXPECT_EQ(kinds.Selected(), -1);
    EXPECT_FALSE(::IsWindowEnabled(showAll));
}
