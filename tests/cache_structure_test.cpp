// Caches recognised by their structure, scanned as a scan does (RunScan with cache roots): each
// engine's layout taken with only its own files, what lies beside it kept, a folder named like a
// cache without the layout passed over, the protected places and the user's kept applications
// obeyed.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "core/LanguageTable.h"
#include "scan/CacheStructures.h"
#include "scan/ScanWorker.h"
#include "session/ProgramRules.h"
#include "support/TestFiles.h"

namespace {

const char* const kHex1 = "0123456789abcdef";
const char* const kHex2 = "fedcba9876543210";
const char* const kSha1 = "0A1B2C3D4E5F60718293A4B5C6D7E8F901234567";

void MakeBlockFileCache(const std::string& folder) {
    for (const char* name : {"index", "data_0", "data_1", "data_2", "data_3", "f_000001", "f_00000a"})
        test::WriteFile(folder + "\\" + name);
}

void MakeSimpleCache(const std::string& folder) {
    test::WriteFile(folder + "\\index");
    test::WriteFile(folder + "\\index-dir\\the-real-index");
    test::WriteFile(folder + "\\" + kHex1 + "_0");
    test::WriteFile(folder + "\\" + kHex1 + "_1");
    test::WriteFile(folder + "\\" + kHex2 + "_s");
}

class CacheStructureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(dir_ / "test.language",
                        "[String]\n_StructureWebCache=%s: web cache\n_StructureCodeCache=%s: script cache\n"
                        "_StructureGpuCache=%s: graphics cache\n_StructureStartupCache=%s: startup cache\n"
                        "_StructureTemporaryFiles=%s: temporary files\n");
        LanguageTable::Instance().SetPath(dir_ / "test.language");
    }
    void TearDown() override { LanguageTable::Instance().SetPath(""); }

    // Every file the scan lists below the test's folder, with its reason, by its path below it.
    std::map<std::string, std::string> Scan(const std::vector<std::string>& roots,
                                            std::vector<std::string> kept = {},
                                            std::vector<SearchExclusion> ruleFolders = {}) {
        ScanJob job;
        job.cacheExclusions = std::move(ruleFolders);
        job.protectedPlaces = places_;
        job.cacheRoots = roots;
        job.keptCacheApplications = std::move(kept);
        job.workers = 2;
        std::atomic<bool> never{false};
        RunScan(job, win::StopToken(&never));
        std::map<std::string, std::string> found;
        for (const auto& [path, reason] : job.results)
            found[std::string(path.substr(dir_.Path().size() + 1))] = reason;
        return found;
    }

    std::vector<std::string> AppDataRoots() const {
        return {dir_ / "Local", dir_ / "Roaming", dir_ / "LocalLow"};
    }

    test::TempFolder dir_;
    ProtectedPlaces places_;
};

}  // namespace

TEST_F(CacheStructureTest, EachEnginesLayoutIsTakenWithItsOwnFilesOnlyAndItsNeighboursStay) {
    // An Electron application with its HTTP, script and GPU caches beside its cookies, storage and
    // settings.
    const std::string discord = dir_ / "Roaming\\discord";
    MakeBlockFileCache(discord + "\\Cache\\Cache_Data");
    test::WriteFile(discord + "\\Cache\\Cache_Data\\notes.txt");  // no file of the engine's
    MakeSimpleCache(discord + "\\Code Cache\\js");
    MakeSimpleCache(discord + "\\Code Cache\\wasm");
    MakeBlockFileCache(discord + "\\GPUCache");
    for (const char* kept : {"Cookies", "Network\\Cookies", "Local Storage\\leveldb\\000003.log",
                             "IndexedDB\\https_app_0.indexeddb.leveldb\\000005.ldb",
                             "Session Storage\\000003.log", "Login Data", "settings.json", "Preferences"})
        test::WriteFile(discord + "\\" + kept);
    // A publisher's folder: the application is the step below it.
    MakeSimpleCache(dir_ / "Local\\Microsoft\\Teams\\DawnCache");
    // Gecko's network and startup caches beside the profile's own files.
    const std::string firefox = dir_ / "Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release";
    test::WriteFile(firefox + "\\cache2\\index");
    test::WriteFile(firefox + "\\cache2\\entries\\" + kSha1);
    test::WriteFile(firefox + "\\cache2\\entries\\keep-me.txt");
    test::WriteFile(firefox + "\\cache2\\doomed\\1234");
    test::WriteFile(firefox + "\\startupCache\\startupCache.8.little");
    test::WriteFile(firefox + "\\startupCache\\scriptCache.bin");
    test::WriteFile(firefox + "\\startupCache\\urlCache.bin");
    test::WriteFile(firefox + "\\startupCache\\user.js");
    test::WriteFile(firefox + "\\cookies.sqlite");
    test::WriteFile(firefox + "\\places.sqlite");
    // A Store app's three folders, and those it keeps its data in.
    const std::string store = dir_ / "Local\\Packages\\Microsoft.WindowsStore_8wekyb3d8bbwe";
    test::WriteFile(store + "\\AC\\INetCache\\ABCD1234\\page[1].htm");
    test::WriteFile(store + "\\AC\\Temp\\upload.tmp");
    test::WriteFile(store + "\\TempState\\thumb.png");
    for (const char* kept : {"LocalState\\store.db", "Settings\\settings.dat", "RoamingState\\sync.dat",
                             "LocalCache\\catalog.dat", "AC\\INetCookies\\ESE\\container.dat"})
        test::WriteFile(store + "\\" + kept);
    // A game's saves beside a cache of its launcher's web view, in LocalLow.
    MakeBlockFileCache(dir_ / "LocalLow\\Studio\\Game\\Cache");
    test::WriteFile(dir_ / "LocalLow\\Studio\\Game\\saves\\slot1.sav");

    const std::string discordWeb = "Discord: web cache", discordCode = "Discord: script cache";
    const std::map<std::string, std::string> expected = {
        {"Roaming\\discord\\Cache\\Cache_Data\\index", discordWeb},
        {"Roaming\\discord\\Cache\\Cache_Data\\data_0", discordWeb},
        {"Roaming\\discord\\Cache\\Cache_Data\\data_1", discordWeb},
        {"Roaming\\discord\\Cache\\Cache_Data\\data_2", discordWeb},
        {"Roaming\\discord\\Cache\\Cache_Data\\data_3", discordWeb},
        {"Roaming\\discord\\Cache\\Cache_Data\\f_000001", discordWeb},
        {"Roaming\\discord\\Cache\\Cache_Data\\f_00000a", discordWeb},
        {"Roaming\\discord\\Code Cache\\js\\index", discordCode},
        {"Roaming\\discord\\Code Cache\\js\\index-dir\\the-real-index", discordCode},
        {"Roaming\\discord\\Code Cache\\js\\0123456789abcdef_0", discordCode},
        {"Roaming\\discord\\Code Cache\\js\\0123456789abcdef_1", discordCode},
        {"Roaming\\discord\\Code Cache\\js\\fedcba9876543210_s", discordCode},
        {"Roaming\\discord\\Code Cache\\wasm\\index", discordCode},
        {"Roaming\\discord\\Code Cache\\wasm\\index-dir\\the-real-index", discordCode},
        {"Roaming\\discord\\Code Cache\\wasm\\0123456789abcdef_0", discordCode},
        {"Roaming\\discord\\Code Cache\\wasm\\0123456789abcdef_1", discordCode},
        {"Roaming\\discord\\Code Cache\\wasm\\fedcba9876543210_s", discordCode},
        {"Roaming\\discord\\GPUCache\\index", "Discord: graphics cache"},
        {"Roaming\\discord\\GPUCache\\data_0", "Discord: graphics cache"},
        {"Roaming\\discord\\GPUCache\\data_1", "Discord: graphics cache"},
        {"Roaming\\discord\\GPUCache\\data_2", "Discord: graphics cache"},
        {"Roaming\\discord\\GPUCache\\data_3", "Discord: graphics cache"},
        {"Roaming\\discord\\GPUCache\\f_000001", "Discord: graphics cache"},
        {"Roaming\\discord\\GPUCache\\f_00000a", "Discord: graphics cache"},
        {"Local\\Microsoft\\Teams\\DawnCache\\index", "Teams: graphics cache"},
        {"Local\\Microsoft\\Teams\\DawnCache\\index-dir\\the-real-index", "Teams: graphics cache"},
        {"Local\\Microsoft\\Teams\\DawnCache\\0123456789abcdef_0", "Teams: graphics cache"},
        {"Local\\Microsoft\\Teams\\DawnCache\\0123456789abcdef_1", "Teams: graphics cache"},
        {"Local\\Microsoft\\Teams\\DawnCache\\fedcba9876543210_s", "Teams: graphics cache"},
        {"Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\cache2\\index", "Firefox: web cache"},
        {"Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\cache2\\entries\\" + std::string(kSha1),
         "Firefox: web cache"},
        {"Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\cache2\\doomed\\1234",
         "Firefox: web cache"},
        {"Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\startupCache\\startupCache.8.little",
         "Firefox: startup cache"},
        {"Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\startupCache\\scriptCache.bin",
         "Firefox: startup cache"},
        {"Local\\Mozilla\\Firefox\\Profiles\\ab12.default-release\\startupCache\\urlCache.bin",
         "Firefox: startup cache"},
        {"Local\\Packages\\Microsoft.WindowsStore_8wekyb3d8bbwe\\AC\\INetCache\\ABCD1234\\page[1].htm",
         "Microsoft.WindowsStore: web cache"},
        {"Local\\Packages\\Microsoft.WindowsStore_8wekyb3d8bbwe\\AC\\Temp\\upload.tmp",
         "Microsoft.WindowsStore: temporary files"},
        {"Local\\Packages\\Microsoft.WindowsStore_8wekyb3d8bbwe\\TempState\\thumb.png",
         "Microsoft.WindowsStore: temporary files"},
        {"LocalLow\\Studio\\Game\\Cache\\index", "Studio: web cache"},
        {"LocalLow\\Studio\\Game\\Cache\\data_0", "Studio: web cache"},
        {"LocalLow\\Studio\\Game\\Cache\\data_1", "Studio: web cache"},
        {"LocalLow\\Studio\\Game\\Cache\\data_2", "Studio: web cache"},
        {"LocalLow\\Studio\\Game\\Cache\\data_3", "Studio: web cache"},
        {"LocalLow\\Studio\\Game\\Cache\\f_000001", "Studio: web cache"},
        {"LocalLow\\Studio\\Game\\Cache\\f_00000a", "Studio: web cache"},
    };
    EXPECT_EQ(Scan(AppDataRoots()), expected);
}

TEST_F(CacheStructureTest, AFolderNamedLikeACacheWithoutTheEnginesLayoutIsNotTaken) {
    struct Case {
        const char* folder;
        std::vector<const char*> files;
    };
    const Case cases[] = {
        {"Roaming\\a\\Cache", {"index"}},                                             // an index alone
        {"Roaming\\b\\Cache", {"data_0", "data_1", "data_2", "data_3", "f_000001"}},  // no index
        {"Roaming\\c\\Cache", {"index", "data_0", "data_1", "data_3"}},               // a block file missing
        {"Roaming\\d\\GPUCache", {"index", "index-dir\\other", "0123456789abcdef_0"}},  // no real index
        {"Roaming\\e\\Scripts\\js",
         {"index", "index-dir\\the-real-index", "0123456789abcdef_0"}},  // not Code Cache
        {"Roaming\\f\\Caches",
         {"index", "data_0", "data_1", "data_2", "data_3"}},              // not a name the engine gives
        {"Local\\g\\cache2", {"index", "entry"}},                         // no entries folder
        {"Local\\h\\startupCache", {"cache.bin", "notes.txt"}},           // no startup cache file
        {"Local\\Packages\\App_x\\LocalCache", {"data.bin"}},             // the package's own
        {"Local\\Packages\\App_y\\LocalState\\TempState", {"data.bin"}},  // not where Windows puts it
        {"Local\\Packages\\App_z\\Settings", {"settings.dat"}},
        // The layout below a folder named as what users keep, and such a name in a Store cache.
        {"Roaming\\History\\Cache", {"index", "data_0", "data_1", "data_2", "data_3"}},
        {"Local\\Packages\\App_w\\AC\\INetCache", {"Cookies\\site.txt", "Login Data"}},
    };
    for (const Case& c : cases)
        for (const char* file : c.files)
            test::WriteFile(dir_ / c.folder + "\\" + file);
    EXPECT_EQ(Scan(AppDataRoots()), (std::map<std::string, std::string>{}));
}

TEST_F(CacheStructureTest, ACacheInAProtectedPlaceIsNotTaken) {
    // The walk reaches the documents (as a profile whose folders were redirected below its
    // application data would): a cache there is the user's, while the same layout beside it goes.
    MakeBlockFileCache(dir_ / "Local\\Documents\\Site\\Cache");
    MakeBlockFileCache(dir_ / "Local\\App\\Cache");
    places_.wholeTree = {dir_ / "Local\\Documents"};
    const std::map<std::string, std::string> found = Scan({dir_ / "Local"});
    EXPECT_EQ(found.size(), 7u);
    for (const auto& [path, reason] : found)
        EXPECT_EQ(path.rfind("Local\\App\\Cache\\", 0), 0u) << path;
}

TEST_F(CacheStructureTest, AKeptApplicationsCachesAreFoundButNotTaken) {
    MakeBlockFileCache(dir_ / "Roaming\\discord\\Cache");
    MakeSimpleCache(dir_ / "Roaming\\Slack\\Code Cache\\js");
    MakeBlockFileCache(dir_ / "Documents\\Cache");
    places_.wholeTree = {dir_ / "Documents"};
    const std::map<std::string, std::string> found = Scan(AppDataRoots(), {"DISCORD"});
    ASSERT_EQ(found.size(), 5u);
    for (const auto& [path, reason] : found)
        EXPECT_EQ(reason, "Slack: script cache") << path;
    // The Applications list offers every application found, the kept one too, and nothing found
    // in a protected place.
    EXPECT_EQ(FindCacheApplications({dir_ / "Roaming", dir_ / "Documents"}, places_),
              (std::vector<std::string>{"Discord", "Slack"}));
}

// Where an offered rule entry names a folder, ticked or not, its own tick decides: the structures
// neither take nor offer a cache there.
TEST_F(CacheStructureTest, TheFoldersOfTheOfferedRulesAreLeftToTheirEntries) {
    MakeBlockFileCache(dir_ / "Roaming\\discord\\Cache");
    MakeBlockFileCache(dir_ / "Roaming\\Chat\\User Data\\Default\\GPUCache");
    MakeBlockFileCache(dir_ / "Roaming\\Other\\Cache");
    RuleItem ticked, unticked, notHere;
    ticked.ticked = true;
    ticked.entry.files = {{"%AppData%\\discord\\Cache", {"*"}, true}};
    // An entry's masks in a folder above the caches leave the caches to the structures.
    unticked.entry.files = {{"%AppData%\\Chat\\User Data\\*\\GPUCache", {"*"}, true},
                            {"%AppData%", {"*.log"}, false},
                            {"%AppData%\\Other", {"*.tmp"}, true}};
    notHere.state = RuleState::NotDetected;
    notHere.entry.files = {{"%AppData%\\Other", {"*"}, true}};
    RuleVariables variables;
    variables.Set("AppData", {dir_ / "Roaming"});
    const std::vector<SearchExclusion> ruleFolders =
        OfferedRuleFolders({ticked, unticked, notHere}, variables);
    ASSERT_EQ(ruleFolders.size(), 4u);
    const std::map<std::string, std::string> found = Scan({dir_ / "Roaming"}, {}, ruleFolders);
    EXPECT_EQ(found.size(), 7u);
    // An entry's masks inside a cache leave those files to it, and the rest of the cache goes.
    const std::map<std::string, std::string> masked =
        Scan({dir_ / "Roaming"}, {}, {{dir_ / "Roaming\\Other\\Cache", {"f_*"}, false}});
    EXPECT_EQ(masked.count("Roaming\\Other\\Cache\\index"), 1u);
    EXPECT_EQ(masked.count("Roaming\\Other\\Cache\\f_000001"), 0u);
    EXPECT_EQ(masked.size(), 7u + 7u + 5u);
    for (const auto& [path, reason] : found)
        EXPECT_EQ(reason, "Other: web cache") << path;
    EXPECT_EQ(FindCacheApplications({dir_ / "Roaming"}, places_, ruleFolders),
              std::vector<std::string>{"Other"});
}

TEST(CacheApplicationName, IsTheApplicationsFolderOrTheOneBelowAPublishersFolder) {
    const std::pair<std::vector<std::string_view>, std::string> cases[] = {
        {{"discord", "Cache", "Cache_Data"}, "Discord"},
        {{"Code", "GPUCache"}, "Code"},
        {{"obs-studio", "GPUCache"}, "Obs-studio"},
        {{"Microsoft", "Teams", "Cache"}, "Teams"},
        {{"Google", "Chrome", "User Data", "Default", "Cache", "Cache_Data"}, "Chrome"},
        {{"Packages", "Microsoft.WindowsStore_8wekyb3d8bbwe", "AC", "INetCache"}, "Microsoft.WindowsStore"},
        {{"Microsoft", "GPUCache"}, "Microsoft"},  // nothing below the publisher but the cache
        {{"JetBrains", "Toolbox", "cache", "GPUCache"}, "Toolbox"},
    };
    for (const auto& [steps, name] : cases)
        EXPECT_EQ(CacheApplicationName(steps), name);
}

TEST(CacheApplicationItems, AreTickedUnlessTheUserUntickedThemAndStoreOnlyAnUntick) {
    const std::vector<RuleChoice> stored = {{kCacheChoiceFile, "Slack", false},
                                            {"Quillmoor.rules", "Discord", false}};
    const std::vector<RuleItem> items = CacheApplicationItems({"Discord", "Slack"}, stored, "Found");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].ticked);
    EXPECT_FALSE(items[1].ticked);
    EXPECT_EQ(items[0].entry.group, "Found");
    EXPECT_EQ(KeptCacheApplications(stored), std::vector<std::string>{"Slack"});
    EXPECT_EQ(KeptCacheApplications({{kCacheChoiceFile, "Slack", true}}), std::vector<std::string>{});
}
