// Measures the results model and the report page on one generated tree (its folder is the first
// argument): a bare walk of the tree, a scan that finds every file, the report filled with every
// result, sorts by size and by name, the kinds above the report (two kinds of half the files each:
// choosing one, unticking and ticking it with the totals shown), and the process's peak memory.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <atomic>
#include <algorithm>
#include <cstddef>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "BenchTree.h"
#include "pages/ReportPage.h"
#include "resources/ResourceIds.h"
#include "scan/ReportSummary.h"
#include "scan/ResultsCsv.h"
#include "scan/ScanWorker.h"
#include "win/ComPtr.h"
#include "win/UniqueHandle.h"

namespace {

// Counts the files below folder, and the folders (itself included) in folders.
int CountFiles(const std::string& folder, int& folders) {
    ++folders;
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA((folder + "\\*.*").c_str(), &record));
    if (!listing)
        return 0;
    int files = 0;
    do {
        const char* name = record.cFileName;
        if (!(record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
        else if (std::string(name) != "." && std::string(name) != "..")
            files += CountFiles(folder + "\\" + name, folders);
    } while (::FindNextFileA(listing.get(), &record));
    return files;
}

// The files of one folder, its subfolders to subfolders: FindFirstFileA/FindNextFileA, which asks
// the file system once more after the last entry.
int ListTwice(const std::string& folder, std::vector<std::string>& subfolders) {
    int found = 0;
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA((folder + "\\*.*").c_str(), &record));
    if (listing) {
        do {
            const std::string name = record.cFileName;
            if (!(record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ++found;
            else if (name != "." && name != "..")
                subfolders.push_back(folder + "\\" + name);
        } while (::FindNextFileA(listing.get(), &record));
    }
    return found;
}

// The same through the folder's handle in blocks of 64 KB, stopping at a block with room for
// another record of the longest name: one read for a folder of a hundred files, the least any
// listing can do.
int ListOnce(const std::string& folder, std::vector<std::string>& subfolders) {
    win::UniqueFile handle(::CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return 0;
    constexpr size_t kBlock = 64 * 1024;
    constexpr size_t kLongest = offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + 255 * sizeof(wchar_t) + 8;
    static thread_local std::vector<uint64_t> block(kBlock / sizeof(uint64_t));
    int found = 0;
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;; kind = FileIdBothDirectoryInfo) {
        if (!::GetFileInformationByHandleEx(handle.get(), kind, block.data(), kBlock))
            break;
        const auto* at = reinterpret_cast<const unsigned char*>(block.data());
        size_t used = 0;
        for (size_t offset = 0;;) {
            const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at + offset);
            const std::wstring_view name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (!(record->FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ++found;
            else if (name != L"." && name != L"..")
                subfolders.push_back(folder + "\\" + std::string(name.begin(), name.end()));
            if (record->NextEntryOffset == 0) {
                used = offset + offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + record->FileNameLength;
                break;
            }
            offset += record->NextEntryOffset;
        }
        if (kBlock - used >= kLongest)
            break;
    }
    return found;
}

// The same bare walk by several threads that share a last-in-first-out queue of folders: what
// listing alone gains from more threads on this machine, the ceiling of the scan's workers.
int CountFilesShared(const std::string& root, unsigned threads,
                     int (*list)(const std::string&, std::vector<std::string>&) = ListTwice) {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> queue{root};
    unsigned busy = 0;
    std::atomic<int> files{0};
    auto work = [&] {
        for (;;) {
            std::string folder;
            {
                std::unique_lock guard(lock);
                changed.wait(guard, [&] { return !queue.empty() || busy == 0; });
                if (queue.empty())
                    return;
                folder = std::move(queue.back());
                queue.pop_back();
                ++busy;
            }
            std::vector<std::string> subfolders;
            files += list(folder, subfolders);
            {
                std::lock_guard guard(lock);
                for (std::string& subfolder : subfolders)
                    queue.push_back(std::move(subfolder));
                --busy;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < threads; ++i)
        workers.emplace_back(work);
    for (std::thread& worker : workers)
        worker.join();
    return files;
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

bool SortedBySize(const ScanResults& results, const ReportPage& page, bool descending) {
    const int count = page.List().Count();
    for (int row = 1; row < count; ++row) {
        // Hundredths of a kilobyte, as shown; rounding may tie neighbours that differ by one here.
        const uint64_t a = results.Size(page.ResultRow(row - 1)) * 25 / 256;
        const uint64_t b = results.Size(page.ResultRow(row)) * 25 / 256;
        if (descending ? a + 1 < b : a > b + 1)
            return false;
    }
    return true;
}

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: report_bench FOLDER\n");
        return 2;
    }
    win::ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    const std::string root = argv[1];

    int files = 0, folders = 0;
    // Walks and scans (one listing worker, then as many as the machine gives) take turns, three of
    // each, and the medians count: the file system's cache and the machine's other work weigh on
    // all alike.
    ScanJob job;
    job.roots = {root};
    job.masks = {{"*", "Junk file"}};
    std::atomic<bool> never{false};
    std::vector<double> walks, sharedWalks, floorWalks, serialScans, scans, orders, csvTexts, csvs;
    size_t serialFound = 0;
    int sharedFiles = 0, floorFiles = 0;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string csv = std::string(temp) + "quillmoor-report-bench.csv";
    for (int run = 0; run < 3; ++run) {
        walks.push_back(MedianMs(1, [&] {
            folders = 0;
            files = CountFiles(root, folders);
        }));
        sharedWalks.push_back(MedianMs(1, [&] { sharedFiles = CountFilesShared(root, ListingWorkers()); }));
        floorWalks.push_back(
            MedianMs(1, [&] { floorFiles = CountFilesShared(root, ListingWorkers(), ListOnce); }));
        job.results.Clear();
        job.workers = 1;
        serialScans.push_back(MedianMs(1, [&] { RunScan(job, win::StopToken(&never)); }));
        serialFound = job.results.Count();
        job.results.Clear();
        job.workers = 0;
        scans.push_back(MedianMs(1, [&] { RunScan(job, win::StopToken(&never)); }));
        // The rows are put in path order on the first look at one, once per scan; the report and
        // the CSV both start with it, so it is measured apart.
        orders.push_back(MedianMs(1, [&] { job.results.Path(0); }));
        // The CSV that "/report" writes, of every row in path order: its text alone, then the file.
        std::vector<size_t> rows(job.results.Count());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = i;
        std::string text, scratch;
        const CsvForm fixed;
        csvTexts.push_back(MedianMs(1, [&] {
            text.reserve(rows.size() * 128);
            for (size_t row : rows)
                AppendCsvLine(text, job.results, row, fixed, scratch);
        }));
        csvs.push_back(MedianMs(1, [&] { WriteResultsCsv(csv, job.results, rows); }));
        ::DeleteFileA(csv.c_str());
    }
    const double walk = Median(walks), sharedWalk = Median(sharedWalks), floorWalk = Median(floorWalks),
                 serialScan = Median(serialScans), scan = Median(scans), order = Median(orders),
                 csvText = Median(csvTexts), csvTime = Median(csvs);
    PROCESS_MEMORY_COUNTERS memory{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    const SIZE_T afterScan = memory.WorkingSetSize;

    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 560, nullptr,
                                  nullptr, nullptr, nullptr);
    ReportPage page;
    ::ShowWindow(page.CreateIn(host), SW_SHOW);
    ::SetWindowPos(page.Handle(), nullptr, 0, 0, 860, 480, SWP_NOZORDER);
    const double fill = MedianMs(1, [&] {
        page.Fill(&job.results);
        ::UpdateWindow(host);
    });
    // The direction alternates over the run, from descending.
    const double sizeDown = MedianMs(1, [&] { ClickHeader(page, 1); });
    const bool sorted = SortedBySize(job.results, page, true);
    const double sizeUp = MedianMs(1, [&] { ClickHeader(page, 1); });
    const bool sortedUp = SortedBySize(job.results, page, false);
    const double name = MedianMs(1, [&] { ClickHeader(page, 0); });

    // Every other file found again under a second reason, as a scan with two masks would find
    // them: two kinds of half the files each, then the report filled anew.
    for (size_t i = 0; i < job.results.Count(); i += 2)
        job.results.AddOrReplace(job.results.Path(i), "Second kind", job.results.Stamp(i));
    const double kindsFill = MedianMs(1, [&] {
        page.Fill(&job.results);
        ::UpdateWindow(host);
    });
    HWND kinds = page.Kinds().Handle();
    const size_t kindFiles = SummarizeReport(job.results)[0].count;
    const double choose = MedianMs(1, [&] {
        ListView_SetItemState(kinds, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        ::UpdateWindow(host);
    });
    const bool chosen = static_cast<size_t>(page.List().Count()) == SummarizeReport(job.results)[0].count;
    auto pressSpace = [&] {
        ::SendMessageA(kinds, WM_KEYDOWN, VK_SPACE, 0);
        ::SendMessageA(kinds, WM_KEYUP, VK_SPACE, 0);
        ::UpdateWindow(host);
    };
    const double untick = MedianMs(1, pressSpace);
    const bool unticked =
        job.results.TickedCount() == job.results.Count() - SummarizeReport(job.results)[0].count;
    const double tick = MedianMs(1, pressSpace);
    const bool ticked = job.results.TickedCount() == job.results.Count();
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));

    const size_t found = job.results.Count();
    std::printf("## %zu results in %d folders\n\n", found, folders);
    std::printf(
        "Tree: %d files in %d folders (generated, fixed sizes); walks and scans in turn, the median of three "
        "each.\n\n",
        files, folders);
    std::printf("| run | time (ms) | ratio | goal |\n|---|---:|---:|---|\n");
    std::printf("| bare FindFirstFileA/FindNextFileA walk | %.0f | 1.00 | |\n", walk);
    std::printf(
        "| the same walk, %u threads sharing a queue of folders (counted the same: %s) | %.0f | %.2f | |\n",
        ListingWorkers(), sharedFiles == files ? "yes" : "NO", sharedWalk, sharedWalk / walk);
    std::printf(
        "| the floor: %u threads sharing the queue, each folder read once through its handle (counted the "
        "same: %s) | %.0f | %.2f | |\n",
        ListingWorkers(), floorFiles == files ? "yes" : "NO", floorWalk, floorWalk / walk);
    std::printf(
        "| scan, mask `*`, every file found, one listing worker | %.0f | %.2f x walk | at most 1.10 |\n",
        serialScan, serialScan / walk);
    std::printf(
        "| the same, %u listing workers (found the same rows: %s) | %.0f | %.2f x walk, %.2f x shared walk, "
        "%.2f x floor | at most 0.60 x walk |\n",
        ListingWorkers(), serialFound == job.results.Count() ? "yes" : "NO", scan, scan / walk,
        scan / sharedWalk, scan / floorWalk);
    std::printf(
        "| the rows put in path order (once per scan, before the report or the CSV) | %.0f | %.2f x walk | "
        "|\n",
        order, order / walk);
    std::printf("| the CSV's text of every result, in memory | %.0f | %.2f x walk | |\n", csvText,
                csvText / walk);
    std::printf(
        "| CSV of every result (as `/report` writes it: the text, written, flushed and renamed) | %.0f | "
        "%.2f x "
        "walk | at most 0.05 |\n",
        csvTime, csvTime / walk);
    std::printf("| report filled with every result, kinds built | %.0f | %.2f x walk | at most 0.20 |\n",
                fill, fill / walk);
    std::printf("| sort by size, descending (header click) | %.0f | | under 500 ms |\n", sizeDown);
    std::printf("| sort by size, ascending | %.0f | | under 500 ms |\n", sizeUp);
    std::printf(
        "| sort by file name (by folder, then name, without regard to case) | %.0f | | under 500 ms |\n",
        name);
    std::printf("| report filled anew, two kinds of half the files | %.0f | %.2f x walk | at most 0.20 |\n",
                kindsFill, kindsFill / walk);
    std::printf("| choosing a kind of %zu files: its files alone in the list (right: %s) | %.0f | | |\n",
                kindFiles, chosen ? "yes" : "NO", choose);
    std::printf("| unticking that kind by Space, totals shown (right: %s) | %.0f | | under 100 ms |\n",
                unticked ? "yes" : "NO", untick);
    std::printf("| ticking it again (right: %s) | %.0f | | under 100 ms |\n", ticked ? "yes" : "NO", tick);
    std::printf("\n| memory | MB | goal |\n|---|---:|---|\n");
    std::printf("| working set after the scan | %.0f | |\n", Megabytes(afterScan));
    std::printf("| peak working set, report filled and sorted | %.0f | at most 150 |\n",
                Megabytes(memory.PeakWorkingSetSize));
    std::printf("| peak committed private memory | %.0f | |\n", Megabytes(memory.PeakPagefileUsage));
    std::printf("\nSize order checked after both size sorts: %s.\n", sorted && sortedUp ? "yes" : "NO");
    ::DestroyWindow(host);
    return 0;
}
