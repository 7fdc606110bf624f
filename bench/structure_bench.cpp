// Measures the search for caches recognised by their structure in one run under Wine: the scan of
// a generated application data tree of about 200,000 files (Local, Roaming, LocalLow: Electron
// applications with their disk, script and graphics caches beside their storage, publishers'
// folders of plain files, Store packages, Gecko profiles, games' saves) with the shipped rules and
// the structures, as a factory scan searches them, against a bare listing of the same folders.
// The tree is made once in C:\qm-structure-bench and kept for later runs.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BareListing.h"
#include "config/RuleVariables.h"
#include "scan/CacheStructures.h"
#include "scan/RuleCatalogue.h"
#include "scan/ScanWorker.h"
#include "session/ProgramRules.h"
#include "win/ApiPath.h"
#include "win/FolderListing.h"
#include "win/PathCalls.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

const std::string kBase = "C:\\qm-structure-bench";

size_t made = 0;

void File(const std::string& path) {
    win::UniqueFile file = win::OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (file)
        ++made;
}

void Folders(const std::string& path) {
    for (size_t at = kBase.size() + 1; at != std::string::npos; at = path.find('\\', at + 1))
        (void)win::MakeFolder(path.substr(0, at));
    (void)win::MakeFolder(path);
}

std::string Hex(unsigned value, int digits) {
    char text[20];
    std::snprintf(text, sizeof(text), "%0*x", digits, value);
    return text;
}

void BlockFileCache(const std::string& folder, int files) {
    Folders(folder);
    for (const char* name : {"index", "data_0", "data_1", "data_2", "data_3"})
        File(folder + "\\" + name);
    for (int i = 1; i <= files; ++i)
        File(folder + "\\f_" + Hex(static_cast<unsigned>(i), 6));
}

void SimpleCache(const std::string& folder, int files) {
    Folders(folder + "\\index-dir");
    File(folder + "\\index");
    File(folder + "\\index-dir\\the-real-index");
    for (int i = 0; i < files; ++i)
        File(folder + "\\" + Hex(static_cast<unsigned>(i) * 2654435761u, 8) +
             Hex(static_cast<unsigned>(i), 8) + "_0");
}

void PlainFiles(const std::string& folder, int files, const char* extension) {
    Folders(folder);
    for (int i = 0; i < files; ++i)
        File(folder + "\\file" + std::to_string(i) + extension);
}

void MakeTree() {
    const std::string roaming = kBase + "\\Roaming", local = kBase + "\\Local", low = kBase + "\\LocalLow";
    for (int app = 0; app < 100; ++app) {
        const std::string base = roaming + "\\electron-app-" + std::to_string(app);
        BlockFileCache(base + "\\Cache\\Cache_Data", 195);
        SimpleCache(base + "\\Code Cache\\js", 198);
        BlockFileCache(base + "\\GPUCache", 0);
        PlainFiles(base + "\\Local Storage\\leveldb", 20, ".ldb");
        PlainFiles(base + "\\IndexedDB\\https_app_0.indexeddb.leveldb", 20, ".ldb");
        PlainFiles(base, 5, ".json");
    }
    for (int vendor = 0; vendor < 40; ++vendor)
        for (int app = 0; app < 5; ++app)
            for (int folder = 0; folder < 10; ++folder)
                PlainFiles(local + "\\Vendor " + std::to_string(vendor) + "\\App " + std::to_string(app) +
                               "\\data\\" + std::to_string(folder),
                           44, ".dat");
    for (int package = 0; package < 100; ++package) {
        const std::string base = local + "\\Packages\\Bench.App" + std::to_string(package) + "_8wekyb3d8bbwe";
        PlainFiles(base + "\\AC\\INetCache\\ABCD" + std::to_string(package), 100, ".htm");
        PlainFiles(base + "\\TempState", 20, ".tmp");
        PlainFiles(base + "\\LocalState", 80, ".db");
    }
    for (int profile = 0; profile < 4; ++profile) {
        const std::string base = local + "\\Mozilla\\Firefox\\Profiles\\p" + std::to_string(profile);
        Folders(base + "\\cache2\\entries");
        File(base + "\\cache2\\index");
        for (int i = 0; i < 2500; ++i)
            File(base + "\\cache2\\entries\\" + Hex(static_cast<unsigned>(i), 8) +
                 "0123456789ABCDEF0123456789ABCDEF");
        PlainFiles(base + "\\startupCache", 0, "");
        File(base + "\\startupCache\\startupCache.8.little");
        File(base + "\\startupCache\\scriptCache.bin");
    }
    for (int game = 0; game < 100; ++game)
        PlainFiles(low + "\\Studio " + std::to_string(game) + "\\Game\\saves", 300, ".sav");
    for (int launcher = 0; launcher < 20; ++launcher)
        SimpleCache(low + "\\Launcher " + std::to_string(launcher) + "\\BrowserCache\\Cache_Data", 298);
}

double Milliseconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const std::string marker = kBase + "\\complete";
    if (!win::FileAttributes(marker)) {
        std::fprintf(stderr, "Making the tree in %s...\n", kBase.c_str());
        MakeTree();
        File(marker);
    }
    const std::vector<std::string> roots = {kBase + "\\Local", kBase + "\\Roaming", kBase + "\\LocalLow"};

    // The shipped rules, read as on a machine whose user's folders are the tree's.
    RuleMachine machine = RuleMachine::Current(ProtectedPlaces::Current({}));
    machine.variables = RuleVariables();
    machine.variables.Set("LocalAppData", {roots[0]});
    machine.variables.Set("AppData", {roots[1]});
    machine.variables.Set("LocalLowAppData", {roots[2]});
    machine.variables.Set("UserProfile", {kBase});
    const std::string rules = argc > 1 ? argv[1] : "Quillmoor.rules";
    const std::vector<RuleItem> items = LoadRuleCatalogue({rules}, {}, machine);
    const std::vector<ScanPlace> rulePlaces = RulePlaces(items, machine.variables);

    auto scan = [&](bool structures, unsigned workers, size_t& found) {
        ScanJob job;
        job.protectedPlaces = machine.places;
        job.rulePlaces = rulePlaces;
        if (structures)
            job.cacheRoots = roots;
        job.workers = workers;
        std::atomic<bool> never{false};
        const double time = Milliseconds([&] { RunScan(job, win::StopToken(&never)); });
        found = job.results.Count();
        return time;
    };

    size_t listed = 0, found = 0, foundOne = 0, foundRules = 0;
    for (const std::string& root : roots)
        BareListing(root);  // warms the caches once for every measurement
    std::vector<double> bare, factory, factoryOne, rulesOnly, walkOnly;
    // The runs take turns, so a busy moment of the machine falls on all of them alike.
    for (int round = 0; round < 5; ++round) {
        bare.push_back(Milliseconds([&] {
            listed = 0;
            for (const std::string& root : roots)
                listed += BareListing(root);
        }));
        factory.push_back(scan(true, 0, found));
        factoryOne.push_back(scan(true, 1, foundOne));
        rulesOnly.push_back(scan(false, 0, foundRules));
        walkOnly.push_back(Milliseconds([&] {
            CacheFinder finder(machine.places, {}, {});
            std::vector<SearchWalk> walks;
            for (const std::string& root : roots) {
                SearchRequest request;
                request.caches = &finder;
                walks.push_back({root, request});
            }
            SearchVisitor nothing;
            SearchFolders(walks, nothing);
        }));
    }
    auto best = [](const std::vector<double>& times) {
        return *std::min_element(times.begin(), times.end());
    };
    const double bareBest = best(bare);
    std::printf("# Caches found by their structure\n\n");
    std::printf(
        "Application data of %zu files (Local, Roaming, LocalLow), %zu of them in caches the structures "
        "recognise; the shipped rules (%zu entries) read with the tree as the user's folders. Best of 5, "
        "runs taking turns.\n\n",
        listed, found, items.size());
    std::printf("| run | time | x bare listing | files listed |\n| --- | ---: | ---: | ---: |\n");
    std::printf("| bare listing, one thread | %.0f ms | 1.00 | - |\n", bareBest);
    std::printf("| factory scan (rules and structures), %u listing workers | %.0f ms | %.2f | %zu |\n",
                ListingWorkers(), best(factory), best(factory) / bareBest, found);
    std::printf("| factory scan, one listing worker | %.0f ms | %.2f | %zu |\n", best(factoryOne),
                best(factoryOne) / bareBest, foundOne);
    std::printf("| the rules alone, %u listing workers (before the structures) | %.0f ms | %.2f | %zu |\n",
                ListingWorkers(), best(rulesOnly), best(rulesOnly) / bareBest, foundRules);
    std::printf("| the structures' walk alone (one thread, nothing kept) | %.0f ms | %.2f | - |\n",
                best(walkOnly), best(walkOnly) / bareBest);
    return found == foundOne ? 0 : 1;
}
