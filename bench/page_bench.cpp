// Measures a scan through the scanning page, with its live status line, found count and root rows
// updated across threads, against the same scan reporting to nothing, on the benchmark tree.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchTree.h"
#include "pages/ScanningPage.h"
#include "session/Session.h"
#include "win/ComPtr.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kFiles = 100'000;
constexpr int kRuns = 5;

class SilentProgress : public ScanProgress {
  public:
    void SetStatusText(const std::string&) override {}
    void SetFoundCountText(const std::string&) override {}
    int RootRowCount() override { return 1; }
    std::string RootStateText(int) override { return {}; }
    void SetRootStateText(int, const std::string&) override {}
    void ShowRunning(bool) override {}
};

// The same inputs as settings, as the wizard hands them to its session.
WizardSettings BenchSettings() {
    WizardSettings settings;
    for (const auto& [mask, description] : BenchMasks())
        settings.patterns.push_back({mask, description, true});
    settings.scanOptions.checked[kFindZeroLengthFiles] = settings.scanOptions.checked[kFindInvalidShortcuts] =
        settings.scanOptions.checked[kFindFilesHaveNotAccessed] = true;
    settings.scanOptions.months = std::to_string(6);
    return settings;
}

void Configure(ScanJob& job, const std::string& root, std::atomic<bool>& done) {
    job.roots = {root};
    job.masks = BenchMasks();
    job.options.findZeroLength = job.options.findInvalidShortcuts = job.options.findNotAccessed = true;
    job.options.months = 6;
    job.completed = [&done] { done.store(true); };
}

// Waits for done while this (the interface) thread keeps dispatching messages, as the program does.
void PumpUntil(std::atomic<bool>& done) {
    while (!done.load()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

}  // namespace

int main() {
    win::ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    BenchTree tree = MakeBenchTree(std::string(temp) + "quillmoor-bench-tree", kFiles);

    HWND host = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 500, nullptr,
                                  nullptr, nullptr, nullptr);
    Session session(std::string(temp) + "quillmoor-bench-program");
    ScanningPage page(session);
    ::ShowWindow(page.CreateIn(host), SW_SHOW);

    std::vector<double> bare, withPage;
    size_t foundBare = 0, foundPage = 0;
    for (int run = 0; run < kRuns; ++run) {
        bare.push_back(MedianMs(1, [&] {
            ScanJob job;
            SilentProgress silent;
            std::atomic<bool> done{false};
            Configure(job, tree.root, done);
            job.progress = &silent;
            job.Start();
            PumpUntil(done);
            foundBare = job.results.Count();
        }));
        withPage.push_back(MedianMs(1, [&] {
            std::atomic<bool> done{false};
            session.PrepareScan(BenchSettings(), {tree.root});
            page.ResetRootRows();
            session.StartScan(&page, [&done] { done.store(true); });
            PumpUntil(done);
            foundPage = session.Results().Count();
        }));
    }
    const double b = Median(bare), p = Median(withPage);
    std::printf("# Scanning page benchmark\n\n");
    std::printf(
        "The same scan of the benchmark tree (%d files), median of %d interleaved runs, the interface\n"
        "thread dispatching messages throughout.\n\n",
        tree.files, kRuns);
    std::printf("| run | time (ms) | found | ratio | goal |\n|---|---:|---:|---:|---|\n");
    std::printf("| scan reporting to nothing | %.1f | %zu | 1.00 | |\n", b, foundBare);
    std::printf("| scan through the scanning page | %.1f | %zu | %.2f | at most 1.20 |\n", p, foundPage,
                p / b);
    ::DestroyWindow(host);
    return 0;
}
