// Measures the cleaning rules in one run under Wine:
// - reading and checking a generated rule file of the community database's shape (4,000 entries
//   of some 400 vendors, 14,000 file rules, about 2 MB, none for a program that is installed), its time
//   (the best of five) and the growth of the process's peak private memory;
// - the scan of 40 detected entries over a generated profile (40 programs with a cache of 500
//   files in 10 folders each) against a bare listing of the same folders by one thread.
// The rule text is made here; it copies no real database.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BareListing.h"
#include "config/RuleFile.h"
#include "scan/RuleCatalogue.h"
#include "scan/ScanWorker.h"
#include "scan/SearchFolder.h"
#include "session/ProgramRules.h"
#include "win/ApiPath.h"
#include "win/ComPtr.h"
#include "win/FolderListing.h"
#include "win/PathCalls.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kEntries = 4'000;
constexpr int kDetected = 40;
constexpr int kFoldersPerCache = 10;
constexpr int kFilesPerFolder = 50;

std::string TempFolder() {
    return win::FetchSystemText([](wchar_t* b, UINT n) { return static_cast<UINT>(::GetTempPathW(n, b)); });
}

void WriteText(const std::string& path, const std::string& text) {
    win::UniqueFile file = win::OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// An entry as the community's entries look: a group, a detection or two, three or four file rules
// with several masks, now and then an exclusion and registry values.
std::string GeneratedEntry(int i) {
    const std::string app = "Bench Application " + std::to_string(i);
    std::string text = "[" + app + " *]\r\nLangSecRef=" + std::to_string(3021 + i % 12) + "\r\n";
    // Some 400 vendors, none of them installed, each with about ten applications.
    text += "Detect=HKCU\\Software\\Quillmoor Bench Vendor " + std::to_string(i % 400) + "\\" + app + "\r\n";
    if (i % 2 == 0)
        text +=
            "DetectFile=%LocalAppData%\\Quillmoor Bench Not Installed " + std::to_string(i) + "\\*.exe\r\n";
    const int files = 3 + (i % 2);
    for (int k = 1; k <= files; ++k)
        text += "FileKey" + std::to_string(k) + "=%LocalAppData%\\Bench Vendor " + std::to_string(i % 97) +
                "\\" + app + "\\Cache " + std::to_string(k) +
                "|*.tmp;*.log;*.dmp;data_*;f_??????|RECURSE\r\n";
    if (i % 5 == 0)
        text += "ExcludeKey1=FILE|%LocalAppData%\\Bench Vendor " + std::to_string(i % 97) + "\\" + app +
                "\\Cache 1|index;settings.json\r\n";
    if (i % 3 == 0)
        text += "RegKey1=HKCU\\Software\\Bench Vendor\\" + app + "\\Recent Files\r\n";
    return text + "\r\n";
}

double Milliseconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The process's private memory now and at its peak so far.
PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters;
}

void MakeProfile(const std::string& profile) {
    (void)win::MakeFolder(profile);
    for (int app = 0; app < kDetected; ++app) {
        const std::string cache = profile + "\\App " + std::to_string(app);
        (void)win::MakeFolder(cache);
        (void)win::MakeFolder(cache + "\\Cache");
        for (int folder = 0; folder < kFoldersPerCache; ++folder) {
            const std::string dir = cache + "\\Cache\\" + std::to_string(folder);
            (void)win::MakeFolder(dir);
            for (int file = 0; file < kFilesPerFolder; ++file)
                WriteText(dir + "\\f_" + std::to_string(file), "cached");
        }
    }
}

}  // namespace

int main() {
    win::ComApartment com;
    const std::string base = TempFolder() + "qm-rules-bench";
    (void)win::MakeFolder(base);

    std::string rules;
    for (int i = 0; i < kEntries; ++i)
        rules += GeneratedEntry(i);
    const std::string file = base + "\\winapp2.ini";
    WriteText(file, rules);
    size_t fileRules = 0;
    for (size_t at = rules.find("FileKey"); at != std::string::npos; at = rules.find("FileKey", at + 1))
        ++fileRules;

    std::printf("# Cleaning rules benchmark\n\n");
    const RuleMachine machine = RuleMachine::Current(ProtectedPlaces::Current({}));
    // The generated text goes before the memory is measured: only the reading counts.
    const size_t textBytes = rules.size();
    std::string().swap(rules);
    const PROCESS_MEMORY_COUNTERS before = Memory();
    double best = 1e9;
    size_t offered = 0;
    SIZE_T held = 0, peak = 0;
    for (int round = 0; round < 5; ++round) {
        std::vector<RuleItem> items;
        best = std::min(best, Milliseconds([&] { items = LoadRuleCatalogue({file}, {}, machine); }));
        offered = static_cast<size_t>(std::count_if(
            items.begin(), items.end(), [](const RuleItem& item) { return item.state == RuleState::Ready; }));
        const PROCESS_MEMORY_COUNTERS now = Memory();
        held = std::max(held, now.PagefileUsage - std::min(now.PagefileUsage, before.PagefileUsage));
        peak = std::max(peak, now.PeakPagefileUsage - std::min(now.PeakPagefileUsage, before.PagefileUsage));
    }
    std::printf(
        "Reading and checking a generated rule file: %d entries, %zu file rules, %.2f MB, %zu detected: "
        "%.1f ms (best of 5); private memory %.1f MB more while the entries are held, %.1f MB more at "
        "its peak.\n\n",
        kEntries, fileRules, textBytes / 1048576.0, offered, best, held / 1048576.0, peak / 1048576.0);

    const std::string profile = base + "\\profile";
    MakeProfile(profile);
    ::SetEnvironmentVariableW(L"QM_BENCH_PROFILE", win::Wide(profile).c_str());
    std::string detected;
    for (int app = 0; app < kDetected; ++app)
        detected += "[Bench App " + std::to_string(app) + ": cache]\r\nDetectFile=%QM_BENCH_PROFILE%\\App " +
                    std::to_string(app) + "\r\nDefault=True\r\nFileKey1=%QM_BENCH_PROFILE%\\App " +
                    std::to_string(app) + "\\Cache|*|RECURSE\r\n\r\n";
    WriteText(base + "\\Quillmoor.rules", detected);
    const std::vector<RuleItem> items = LoadRuleCatalogue({base + "\\Quillmoor.rules"}, {}, machine);

    double bare = 1e9, scan = 1e9, walk = 1e9;
    size_t listed = 0, found = 0;
    for (int round = 0; round < 3; ++round) {
        bare = std::min(bare, Milliseconds([&] {
                            listed = 0;
                            for (int app = 0; app < kDetected; ++app)
                                listed += BareListing(profile + "\\App " + std::to_string(app) + "\\Cache");
                        }));
        walk = std::min(walk, Milliseconds([&] {
                            for (int app = 0; app < kDetected; ++app) {
                                SearchVisitor nothing;
                                SearchFolder(profile + "\\App " + std::to_string(app) + "\\Cache",
                                             SearchRequest{{{"*", "cache"}}, {}, true, {}, nullptr, {}, 1},
                                             nothing);
                            }
                        }));
        ScanJob job;
        job.rulePlaces = RulePlaces(items, machine.variables);
        std::atomic<bool> never{false};
        scan = std::min(scan, Milliseconds([&] { RunScan(job, win::StopToken(&never)); }));
        found = job.results.Count();
    }
    std::printf(
        "The scan of %d detected entries over a generated profile (%zu files in %d folders): %.0f ms "
        "with %u listing workers; a bare listing of the same folders by one thread (%zu files): %.0f ms; "
        "ratio %.2f. The walk alone (SearchFolder on one thread, nothing kept): %.0f ms, %.2f x bare.\n",
        kDetected, found, kDetected * (kFoldersPerCache + 1), scan, ListingWorkers(), listed, bare,
        scan / bare, walk, walk / bare);
    return found == listed ? 0 : 1;
}
