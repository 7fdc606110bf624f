// Measures the report page on 100,000 found files of the benchmark tree: the fill (one row per
// file with its size read from disk, while the status window stays alive), and sorting all rows
// by a click on the size and the file name headers. A bare loop that reads the same sizes into a
// plain list gives the floor, and the cost of finding rows by their data shows what sorting by
// looking rows up in every comparison would cost.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "BenchTree.h"
#include "pages/ReportPage.h"
#include "resources/ResourceIds.h"
#include "win/ComPtr.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kResults = 100'000;
constexpr int kRuns = 3;

void CollectFiles(const std::string& folder, std::vector<std::string>& files) {
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA((folder + "\\*").c_str(), &record));
    if (!listing)
        return;
    do {
        const std::string name = record.cFileName;
        if (name == "." || name == "..")
            continue;
        if (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFiles(folder + "\\" + name, files);
        else if (name.find(".marker") == std::string::npos)
            files.push_back(folder + "\\" + name);
    } while (::FindNextFileA(listing.get(), &record));
}

// The floor: the same sizes read into a plain list of three columns, redraw off, no status window.
double BareFill(HWND host, const ScanResults& results) {
    HWND list = ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 600, 400, host, nullptr,
                                  nullptr, nullptr);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    for (int i = 0; i < 3; ++i)
        ::SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    const double ms = MedianMs(1, [&] {
        ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        int index = 0;
        for (const auto& [file, reason] : results) {
            const std::string path(file);
            LVITEMA item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = index;
            item.pszText = const_cast<char*>(path.c_str());
            item.lParam = index++;
            const int row =
                static_cast<int>(::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
            WIN32_FILE_ATTRIBUTE_DATA data;
            char size[32] = "0.00";
            if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
                std::snprintf(size, sizeof(size), "%.2lf", data.nFileSizeLow / 1024.0);
            LVITEMA cell{};
            cell.iSubItem = 1;
            cell.pszText = size;
            ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
            cell.iSubItem = 2;
            cell.pszText = const_cast<char*>(reason.c_str());
            ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&cell));
            ListView_SetItemState(list, row, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
        }
        ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    });
    ::DestroyWindow(list);
    return ms;
}

void ClickHeader(ReportPage& page, int column) {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = page.List().Handle();
    click.hdr.idFrom = IDC_REPORT_LIST;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    ::SendMessageA(page.Handle(), WM_NOTIFY, IDC_REPORT_LIST, reinterpret_cast<LPARAM>(&click));
}

bool SortedBySize(const win::ListView& list, bool descending) {
    double previous = descending ? HUGE_VAL : -HUGE_VAL;
    for (int row = 0; row < list.Count(); ++row) {
        const double size = std::atof(list.Text(row, 1).c_str());
        if (descending ? size > previous : size < previous)
            return false;
        previous = size;
    }
    return true;
}

}  // namespace

int main() {
    win::ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    BenchTree tree = MakeBenchTree(std::string(temp) + "quillmoor-bench-tree", kResults);
    std::vector<std::string> files;
    CollectFiles(tree.root, files);
    const char* const reasons[] = {"Temporary file", "Backup copy", "Crash dump", "Zero-length file",
                                   "Old copy"};
    ScanResults results;
    for (size_t i = 0; i < files.size() && results.Count() < static_cast<size_t>(kResults); ++i)
        results.AddOrReplace(files[i], reasons[i % 5]);

    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 560, nullptr,
                                  nullptr, nullptr, nullptr);

    std::vector<double> bare, fill, refill, sortSize, sortName;
    bool sorted = true;
    double findMs = 0;
    const int finds = 200;
    int clicks = 0;  // the sort direction alternates over the whole run, from descending
    for (int run = 0; run < kRuns; ++run) {
        bare.push_back(BareFill(host, results));
        ReportPage page;
        ::ShowWindow(page.CreateIn(host), SW_SHOW);
        ::SetWindowPos(page.Handle(), nullptr, 0, 0, 860, 480, SWP_NOZORDER);
        fill.push_back(MedianMs(1, [&] { page.Fill(&results); }));
        // Over rows in the order of the fill: the order that the list control empties slowest.
        refill.push_back(MedianMs(1, [&] { page.Fill(&results); }));
        for (int click = 0; click < 2; ++click) {
            sortSize.push_back(MedianMs(1, [&] { ClickHeader(page, 1); }));
            sorted = sorted && SortedBySize(page.List(), clicks++ % 2 == 0);
        }
        sortName.push_back(MedianMs(1, [&] { ClickHeader(page, 0); }));
        ++clicks;
        if (run + 1 < kRuns)
            continue;
        // Finding rows by their data, as a sort that looks both rows up in every comparison would.
        findMs = MedianMs(1,
                          [&] {
                              for (int i = 0; i < finds; ++i) {
                                  LVFINDINFOA find{};
                                  find.flags = LVFI_PARAM;
                                  find.lParam = (i * 7919) % kResults;
                                  ::SendMessageA(page.List().Handle(), LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                 reinterpret_cast<LPARAM>(&find));
                              }
                          }) /
                 finds;
    }

    const double comparisons = kResults * std::log2(static_cast<double>(kResults));

    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double b = median(bare), f = median(fill);
    std::printf("# Report page benchmark\n\n");
    std::printf("%zu found files of the benchmark tree, median of %d interleaved runs.\n\n", results.Count(),
                kRuns);
    std::printf("| run | time (ms) | ratio | goal |\n|---|---:|---:|---|\n");
    std::printf("| bare: sizes read into a plain list, redraw off | %.1f | 1.00 | |\n", b);
    std::printf("| report fill with its status window | %.1f | %.2f x bare | at most 2000 ms |\n", f, f / b);
    std::printf("| refill over the previous 100,000 rows | %.1f | %.2f x bare | |\n", median(refill),
                median(refill) / b);
    std::printf("| sort by size (header click) | %.1f | | at most 2000 ms |\n", median(sortSize));
    std::printf("| sort by file name (header click) | %.1f | | |\n", median(sortName));
    std::printf("| one row found by its data (LVM_FINDITEM) | %.3f | | |\n", findMs);
    std::printf(
        "\nSize order checked after every sort: %s. Looking both rows up by their data in each of the\n"
        "about %.0f comparisons of one sort would take about %.0f minutes.\n",
        sorted ? "yes" : "NO", comparisons, 2 * comparisons * findMs / 60000.0);
    ::DestroyWindow(host);
    return 0;
}
