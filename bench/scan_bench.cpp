// Measures the folder walk and the scan worker on the same generated tree, in one run:
// a bare FindFirstFileA/FindNextFileA walk, SearchFolder with twenty masks and the three tests,
// and RunScan with a recording progress interface, with one listing worker and with the default
// number. Prints a Markdown report.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <vector>

#include "BenchTree.h"
#include "scan/ScanWorker.h"
#include "scan/SearchFolder.h"
#include "win/ComPtr.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kFiles = 100'000;
constexpr int kRuns = 5;

int BareWalk(const std::string& folder) {
    int files = 0;
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA((folder + "\\*.*").c_str(), &record));
    if (!listing)
        return 0;
    do {
        if (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (std::strcmp(record.cFileName, ".") && std::strcmp(record.cFileName, ".."))
                files += BareWalk(folder + "\\" + record.cFileName);
        } else {
            ++files;
        }
    } while (::FindNextFileA(listing.get(), &record));
    return files;
}

struct CountFound : SearchVisitor {
    int found = 0;
    void FileFound(const std::string&, std::string_view, const FoundRecord&) override { ++found; }
};

// Progress that only counts: the worker's own cost, without a window behind it.
class CountingProgress : public ScanProgress {
  public:
    void SetStatusText(const std::string&) override { ++updates; }
    void SetFoundCountText(const std::string&) override { ++updates; }
    int RootRowCount() override { return 1; }
    std::string RootStateText(int) override { return {}; }
    void SetRootStateText(int, const std::string&) override { ++updates; }
    void ShowRunning(bool) override {}
    int updates = 0;
};

SearchOptions BenchOptions() {
    SearchOptions options;
    options.findZeroLength = options.findInvalidShortcuts = options.findNotAccessed = true;
    options.months = 6;
    return options;
}

}  // namespace

int main() {
    win::ComApartment com;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    BenchTree tree = MakeBenchTree(std::string(temp) + "quillmoor-bench-tree", kFiles);
    const TextMap masks = BenchMasks();
    const SearchOptions options = BenchOptions();

    BareWalk(tree.root);  // warm the caches once for all three measurements
    // The runs take turns, so a busy moment of the machine falls on all of them alike.
    int bareFiles = 0, searchFound = 0;
    size_t scanFound = 0, parallelFound = 0;
    int updates = 0;
    std::vector<double> bareTimes, searchTimes, scanTimes, parallelTimes;
    // One scan of the tree with the given listing workers (0: the default), returning its rows.
    auto scanWith = [&](unsigned workers, int& progressUpdates) {
        ScanJob job;
        CountingProgress progress;
        win::UniqueHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        job.roots = {tree.root};
        job.workers = workers;
        job.masks = masks;
        job.options = options;
        job.skipFolders = {std::string(temp) + "quillmoor-bench-program-folder"};
        job.progress = &progress;
        job.completed = [&done] { ::SetEvent(done.get()); };
        job.Start();
        ::WaitForSingleObject(done.get(), INFINITE);
        progressUpdates = progress.updates;
        return job.results.Count();
    };
    for (int run = 0; run < kRuns; ++run) {
        bareTimes.push_back(MedianMs(1, [&] { bareFiles = BareWalk(tree.root); }));
        searchTimes.push_back(MedianMs(1, [&] {
            CountFound counter;
            SearchFolder(tree.root, SearchRequest{masks, {}, true, options, nullptr, {}}, counter);
            searchFound = counter.found;
        }));
        // The worker's own cost beside the same serial walk, then the default listing workers.
        scanTimes.push_back(MedianMs(1, [&] { scanFound = scanWith(1, updates); }));
        parallelTimes.push_back(MedianMs(1, [&] {
            int parallelUpdates;
            parallelFound = scanWith(0, parallelUpdates);
        }));
    }
    const double bare = Median(bareTimes), search = Median(searchTimes), scan = Median(scanTimes),
                 parallel = Median(parallelTimes);

    std::printf("# Scan benchmark\n\n");
    std::printf("Tree: %d files in %d folders (generated, fixed seed); median of %d runs under Wine.\n\n",
                bareFiles, tree.folders, kRuns);
    std::printf("| run | time (ms) | found | ratio | goal |\n|---|---:|---:|---:|---|\n");
    std::printf("| bare FindFirstFileA/FindNextFileA walk | %.1f | %d files | 1.00 | |\n", bare, bareFiles);
    std::printf("| SearchFolder, 20 masks, 3 tests | %.1f | %d | %.2f x bare | at most 1.10 |\n", search,
                searchFound, search / bare);
    std::printf(
        "| RunScan, one listing worker, recording interface (%d updates) | %.1f | %zu | %.2f x SearchFolder "
        "| at most 1.20 |\n",
        updates, scan, scanFound, scan / search);
    std::printf(
        "| RunScan, %u listing workers (the default here; found the same rows: %s) | %.1f | %zu | %.2f x "
        "bare "
        "| at most 0.60 |\n",
        ListingWorkers(), parallelFound == scanFound ? "yes" : "no", parallel, parallelFound,
        parallel / bare);
    return 0;
}
