// The folder walk: masks, filters, skip folders, the three tests, links and stopping.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <map>
#include <set>
#include <vector>

#include "scan/SearchFolder.h"
#include "scan/TimeSpan.h"
#include "scan/Wildcard.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/FolderListing.h"
#include "win/PathCalls.h"

namespace {

struct Collected : SearchVisitor {
    std::map<std::string, std::string> found;  // path -> description
    std::vector<std::string> folders;          // folders entered, in call order
    std::set<std::string> unreadable;

    void FileFound(const std::string& path, std::string_view reason, const FoundRecord&) override {
        found[path] = std::string(reason);
    }
    void FolderEntered(const std::string& path, const FoundRecord&) override { folders.push_back(path); }
    void FolderUnreadable(const std::string& path, DWORD) override { unreadable.insert(path); }
};

Collected Search(const std::string& root, const TextMap& masks, const SearchOptions& options = {},
                 const std::vector<std::string>& skip = {}) {
    Collected c;
    SearchFolder(root, SearchRequest{masks, skip, true, options, nullptr, {}}, c);
    return c;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

class SearchFolderTest : public ::testing::Test {
  protected:
    win::ComApartment com_;
    test::TempFolder dir_;
};

}  // namespace

TEST(MatchWildcard, FollowsTheMaskRules) {
    EXPECT_TRUE(MatchWildcard(L"*.tmp", L"a.tmp"));
    EXPECT_TRUE(MatchWildcard(L"*.tmp", L".tmp"));
    EXPECT_FALSE(MatchWildcard(L"*.tmp", L"a.tmp.bak"));
    EXPECT_TRUE(MatchWildcard(L"*.*", L"a.b"));
    EXPECT_FALSE(MatchWildcard(L"*.*", L"ab"));
    EXPECT_TRUE(MatchWildcard(L"~*", L"~x.doc"));
    EXPECT_FALSE(MatchWildcard(L"~*", L"x~"));
    EXPECT_TRUE(MatchWildcard(L"?", L"a"));
    EXPECT_FALSE(MatchWildcard(L"?", L"ab"));
    EXPECT_FALSE(MatchWildcard(L"?", L""));
    EXPECT_TRUE(MatchWildcard(L"*", L""));
    EXPECT_TRUE(MatchWildcard(L"a*b*c", L"axxbyybzc"));  // needs backtracking past a false start
    EXPECT_TRUE(MatchWildcard(L"*ab", L"aab"));
    EXPECT_TRUE(MatchWildcard(L"thumbs.db", L"thumbs.db"));
    EXPECT_FALSE(MatchWildcard(L"thumbs.db", L"thumbs.dbx"));
    EXPECT_TRUE(MatchWildcard(L"***", L"abc"));
}

TEST(TimeSpanBetween, SplitsTheDistanceIntoDaysHoursMinutes) {
    const uint64_t minute = 600'000'000ULL, hour = 60 * minute, day = 24 * hour;
    TimeSpan span = TimeSpanBetween(1000 * day + 3 * day + 5 * hour + 7 * minute + 59, 1000 * day);
    EXPECT_EQ(span.days, 3u);
    EXPECT_EQ(span.hours, 5u);
    EXPECT_EQ(span.minutes, 7u);
    TimeSpan reversed = TimeSpanBetween(1000 * day, 1000 * day + 3 * day + 5 * hour + 7 * minute);
    EXPECT_EQ(reversed.days, 3u);
    EXPECT_EQ(reversed.hours, 5u);

    SYSTEMTIME a{2025, 3, 0, 1, 0, 0, 0, 0}, b{2025, 1, 0, 31, 23, 30, 0, 0};
    TimeSpan calendar = TimeSpanBetween(a, b);
    EXPECT_EQ(calendar.days, 28u);
    EXPECT_EQ(calendar.hours, 0u);
    EXPECT_EQ(calendar.minutes, 30u);
}

TEST_F(SearchFolderTest, MasksAreTriedInByteOrderAndIgnoreCaseInEveryScript) {
    test::WriteFile(dir_ / "~a.tmp");
    test::WriteFile(dir_ / "A.TMP");
    test::WriteFile(dir_ / "sub\\b.Tmp");
    test::WriteFile(dir_ / "keep.txt");
    test::WriteFile(dir_ / "\xC3\x89T\xC3\x89.DAT");                 // "ETE" with acute accents
    test::WriteFile(dir_ / "\xCE\xA9\xCE\x9C\xCE\x95.LOG");          // Greek capitals
    test::WriteFile(dir_ / "\xF0\x9F\x98\x80.emo");                  // one emoji: two UTF-16 units
    test::WriteFile(dir_ / "\xF0\x9F\x98\x80\xF0\x9F\x98\x80.emo");  // two emoji
    Collected c = Search(dir_.Path(), {{"~*", "tilde"},
                                       {"*.TMP", "temporary"},
                                       {"\xC3\xA9t\xC3\xA9.dat", "accented"},
                                       {"\xCF\x89\xCE\xBC\xCE\xB5.*", "greek"},
                                       {"?.emo", "one character"}});
    // '*' sorts before '~', so the temporary-file mask wins for ~a.tmp.
    EXPECT_EQ(c.found,
              (std::map<std::string, std::string>{{dir_ / "~a.tmp", "temporary"},
                                                  {dir_ / "A.TMP", "temporary"},
                                                  {dir_ / "sub\\b.Tmp", "temporary"},
                                                  {dir_ / "\xC3\x89T\xC3\x89.DAT", "accented"},
                                                  {dir_ / "\xCE\xA9\xCE\x9C\xCE\x95.LOG", "greek"},
                                                  {dir_ / "\xF0\x9F\x98\x80.emo", "one character"}}));
}

TEST_F(SearchFolderTest, AMaskMatchWinsOverTheTests) {
    test::WriteFile(dir_ / "empty.tmp", "");
    test::WriteFile(dir_ / "empty.txt", "");
    test::WriteFile(dir_ / "full.txt", "data");
    SearchOptions options;
    options.findZeroLength = true;
    Collected c = Search(dir_.Path(), {{"*.tmp", "temporary"}}, options);
    EXPECT_EQ(c.found, (std::map<std::string, std::string>{{dir_ / "empty.tmp", "temporary"},
                                                           {dir_ / "empty.txt", "_ZeroLengthFile"}}));
}

TEST_F(SearchFolderTest, FolderCallbackComesBeforeFiltersAndSkippedFoldersAreNotEntered) {
    test::WriteFile(dir_ / "hidden\\in.tmp");
    test::WriteFile(dir_ / "visible\\in.tmp");
    ::SetFileAttributesA((dir_ / "hidden").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
    SearchOptions options;
    options.skipHidden = true;
    Collected c = Search(dir_.Path() + "\\", {{"*", "any"}}, options);
    EXPECT_EQ(c.found, (std::map<std::string, std::string>{{dir_ / "visible\\in.tmp", "any"}}));
    EXPECT_TRUE(Contains(c.folders, dir_ / "hidden"));
    EXPECT_TRUE(Contains(c.folders, dir_ / "."));
    EXPECT_TRUE(Contains(c.folders, dir_ / ".."));
    EXPECT_TRUE(Contains(c.folders, dir_ / "visible\\."));
    EXPECT_FALSE(Contains(c.folders, dir_ / "hidden\\."));
}

TEST_F(SearchFolderTest, AttributeFiltersLeaveOutFilesAndFolders) {
    test::WriteFile(dir_ / "ro.tmp");
    test::WriteFile(dir_ / "sys.tmp");
    test::WriteFile(dir_ / "plain.tmp");
    test::WriteFile(dir_ / "sysfolder\\inside.tmp");
    ::SetFileAttributesA((dir_ / "ro.tmp").c_str(), FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesA((dir_ / "sys.tmp").c_str(), FILE_ATTRIBUTE_SYSTEM);
    ::SetFileAttributesA((dir_ / "sysfolder").c_str(), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY);
    SearchOptions options;
    options.skipReadOnly = true;
    options.skipSystem = true;
    Collected c = Search(dir_.Path(), {{"*.tmp", "t"}}, options);
    EXPECT_EQ(c.found, (std::map<std::string, std::string>{{dir_ / "plain.tmp", "t"}}));
    ::SetFileAttributesA((dir_ / "ro.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesA((dir_ / "sys.tmp").c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesA((dir_ / "sysfolder").c_str(), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(Search(dir_.Path(), {{"*.tmp", "t"}}).found.size(), 4u);
}

// A skip folder leaves out the folder it names and what lies below it, in any case, matched by
// whole steps: never a sibling whose name begins the same, nor a file that holds its text.
TEST_F(SearchFolderTest, SkipFoldersMatchWholeStepsInAnyCase) {
    for (const char* file : {"Windows\\Temp\\x.tmp", "WindowsUpdate\\y.tmp", "Other\\z.tmp",
                             "Other\\windows.tmp", "a\\node_modules\\m.tmp", "a\\node_modules_old\\n.tmp",
                             "b\\c\\node_modules\\d\\o.tmp", "skipme\\p.tmp", "skipme2\\q.tmp"})
        test::WriteFile(dir_ / file);
    std::string lower = dir_ / "windows";
    for (char& ch : lower)
        ch = static_cast<char>(tolower(static_cast<unsigned char>(ch)));
    auto left = [&](const std::vector<std::string>& skip) {
        std::set<std::string> found;
        for (const auto& [path, reason] : Search(dir_.Path(), {{"*.tmp", "t"}}, {}, skip).found)
            found.insert(path.substr(dir_.Path().size() + 1));
        return found;
    };
    const std::set<std::string> all = left({});
    ASSERT_EQ(all.size(), 9u);
    auto without = [&](std::initializer_list<const char*> gone) {
        std::set<std::string> rest = all;
        for (const char* g : gone)
            rest.erase(g);
        return rest;
    };
    const std::pair<std::vector<std::string>, std::set<std::string>> cases[] = {
        {{lower}, without({"Windows\\Temp\\x.tmp"})},
        {{lower + "\\"}, without({"Windows\\Temp\\x.tmp"})},
        {{"node_modules"}, without({"a\\node_modules\\m.tmp", "b\\c\\node_modules\\d\\o.tmp"})},
        {{"NODE_MODULES\\"}, without({"a\\node_modules\\m.tmp", "b\\c\\node_modules\\d\\o.tmp"})},
        {{"c\\node_modules"}, without({"b\\c\\node_modules\\d\\o.tmp"})},
        {{dir_ / "skipme"}, without({"skipme\\p.tmp"})},
        {{"other\\z"}, all},  // a file is no folder, and "z" is not "z.tmp"
        {{"windows.tmp"}, all},
        {{""}, all},  // an empty text names no folder: it leaves out nothing
        {{"\\"}, all},
        {{dir_.Path()}, {}},
    };
    for (const auto& [skip, expected] : cases)
        EXPECT_EQ(left(skip), expected) << skip[0];
    // A skip folder above the root leaves out everything below it.
    EXPECT_TRUE(Search(dir_ / "Other", {{"*.tmp", "t"}}, {}, {dir_.Path()}).found.empty());
}

TEST_F(SearchFolderTest, ZeroLengthOnlyForEmptyFiles) {
    test::WriteFile(dir_ / "empty.dat", "");
    test::WriteFile(dir_ / "one.dat", "1");
    test::MakeSizedFile(dir_ / "four-gib.dat", 4ULL << 30);  // low half of the size is 0
    SearchOptions options;
    options.findZeroLength = true;
    Collected c = Search(dir_.Path(), {}, options);
    EXPECT_EQ(c.found, (std::map<std::string, std::string>{{dir_ / "empty.dat", "_ZeroLengthFile"}}));
}

// Only a shortcut whose target is reported missing, or that names no target at all, is junk; it is
// reported by its own name.
TEST_F(SearchFolderTest, OnlyShortcutsToMissingTargetsAreReported) {
    const std::string polish = dir_ / "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87.docx";  // outside code page 1252
    test::WriteFile(polish);
    test::WriteFile(dir_ / "Gone.txt");
    test::MakeFolders(dir_ / "TargetFolder");
    test::MakeShortcut(dir_ / "Links\\Old.LNK", dir_ / "Gone.txt");
    test::MakeShortcut(dir_ / "Links\\document.lnk", polish);
    test::MakeShortcut(dir_ / "Links\\folder.lnk", dir_ / "TargetFolder");
    ::DeleteFileA((dir_ / "Gone.txt").c_str());
    test::WriteFile(dir_ / "Links\\notalink.lnk", "garbage");     // cannot be read
    test::MakeShortcutWithoutPath(dir_ / "Links\\Computer.lnk");  // a virtual folder: nothing to check
    test::MakeShortcut(dir_ / "Links\\Empty.lnk", "");
    SearchOptions options;
    options.findInvalidShortcuts = true;
    Collected c = Search(dir_.Path(), {}, options);
    EXPECT_EQ(c.found, (std::map<std::string, std::string>{{dir_ / "Links\\Empty.lnk", "_InvalidShortcut"},
                                                           {dir_ / "Links\\Old.LNK", "_InvalidShortcut"}}));
}

TEST_F(SearchFolderTest, NotAccessedUsesWholeMonthsOfThirtyOneDays) {
    test::WriteFile(dir_ / "d30.txt");
    test::WriteFile(dir_ / "d31.txt");
    test::WriteFile(dir_ / "d123.txt");
    test::WriteFile(dir_ / "d124.txt");
    test::SetAccessedAgo(dir_ / "d30.txt", 30.5);
    test::SetAccessedAgo(dir_ / "d31.txt", 31.5);
    test::SetAccessedAgo(dir_ / "d123.txt", 123.5);
    test::SetAccessedAgo(dir_ / "d124.txt", 124.5);
    SearchOptions options;
    options.findNotAccessed = true;
    options.months = 3;
    EXPECT_EQ(Search(dir_.Path(), {}, options).found,
              (std::map<std::string, std::string>{{dir_ / "d124.txt", "_HaveNotAccessed"}}));
    options.months = 0;
    EXPECT_EQ(Search(dir_.Path(), {}, options).found.size(), 3u);  // 31 days and more
    options.months = -1;                                           // compared as unsigned: never reports
    EXPECT_TRUE(Search(dir_.Path(), {}, options).found.empty());
    // A last access still to come says nothing of age, however far ahead it lies.
    test::SetAccessedAgo(dir_ / "d30.txt", -40);
    test::SetAccessedAgo(dir_ / "d31.txt", -400);
    options.months = 0;
    EXPECT_EQ(Search(dir_.Path(), {}, options).found,
              (std::map<std::string, std::string>{{dir_ / "d123.txt", "_HaveNotAccessed"},
                                                  {dir_ / "d124.txt", "_HaveNotAccessed"}}));
}

TEST_F(SearchFolderTest, TestsRunInOrderAndTheFirstThatFiresWins) {
    test::WriteFile(dir_ / "old-and-empty.txt", "");
    test::SetAccessedAgo(dir_ / "old-and-empty.txt", 400);
    SearchOptions options;
    options.findZeroLength = options.findNotAccessed = true;
    options.months = 1;
    EXPECT_EQ(Search(dir_.Path(), {}, options).found.at(dir_ / "old-and-empty.txt"), "_ZeroLengthFile");
}

TEST_F(SearchFolderTest, RootWithTrailingBackslashAndMissingRoot) {
    test::WriteFile(dir_ / "a.tmp");
    Collected c = Search(dir_.Path() + "\\", {{"*.tmp", "t"}});
    EXPECT_EQ(c.found.begin()->first, dir_ / "a.tmp");
    EXPECT_TRUE(Search(dir_ / "missing", {{"*", "t"}}).found.empty());
    EXPECT_TRUE(Search(dir_ / "missing", {{"*", "t"}}).folders.empty());
}

TEST_F(SearchFolderTest, WithoutRecursionOnlyTheRootIsListed) {
    test::WriteFile(dir_ / "a.tmp");
    test::WriteFile(dir_ / "sub\\b.tmp");
    Collected c;
    SearchFolder(dir_.Path(), SearchRequest{{{"*", "t"}}, {}, false, {}, nullptr, {}}, c);
    EXPECT_EQ(c.found.size(), 1u);
}

TEST_F(SearchFolderTest, AStopRequestEndsTheWalkBetweenEntries) {
    for (int i = 0; i < 50; ++i)
        test::WriteFile(dir_.Path() + "\\f" + std::to_string(i) + ".tmp");
    struct StopAfter : SearchVisitor {
        std::atomic<bool> stop{false};
        int found = 0;
        void FileFound(const std::string&, std::string_view, const FoundRecord&) override {
            if (++found == 10)
                stop = true;
        }
    } state;
    SearchFolder(dir_.Path(), SearchRequest{{{"*", "t"}}, {}, true, {}, &state.stop, {}}, state);
    EXPECT_EQ(state.found, 10);
}

// Folder links made on the host (Wine shows symbolic links as reparse points): a loop back into
// the tree and a link out of it. Neither may be followed.
TEST(SearchFolderLinks, FolderLinksAreReportedButNeverFollowed) {
    const char* fixture = std::getenv("QM_LINK_FIXTURE");
    if (!fixture)
        GTEST_SKIP() << "run through ctest, which makes the link fixture";
    std::string root = std::string(fixture) + "\\root";
    ASSERT_NE(::GetFileAttributesA((root + "\\loop").c_str()), INVALID_FILE_ATTRIBUTES) << "fixture missing";
    ASSERT_TRUE(::GetFileAttributesA((root + "\\loop").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    Collected c = Search(root, {{"*.tmp", "t"}});
    EXPECT_EQ(c.found,
              (std::map<std::string, std::string>{{root + "\\a.tmp", "t"}, {root + "\\sub\\b.tmp", "t"}}));
    EXPECT_TRUE(Contains(c.folders, root + "\\loop"));
    EXPECT_TRUE(Contains(c.folders, root + "\\out"));
    EXPECT_TRUE(Contains(c.folders, root + "\\sub\\up"));
}

// Listing workers share out the folders; what they find is what one walk alone finds.
TEST_F(SearchFolderTest, ParallelListingFindsWhatASerialWalkFinds) {
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b) {
            const std::string folder = dir_ / ("tree\\a" + std::to_string(a) + "\\b" + std::to_string(b) +
                                               (b == 2 ? "\\skipme" : "") + "\\c");
            for (int f = 0; f < 6; ++f) {
                const std::string name = folder + "\\f" + std::to_string(f);
                test::WriteFile(name + ".tmp", f == 5 ? "" : "x");
                test::WriteFile(name + ".bak", "x");
                test::WriteFile(name + ".txt", f % 2 ? "" : "x");
            }
            ::SetFileAttributesA((folder + "\\f0.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
        }
    SearchRequest request;
    request.masks = {{"*.tmp", "temporary"}, {"*.BAK", "backup"}};
    request.skipFolders = {"SKIPME"};
    request.options.skipHidden = request.options.findZeroLength = true;
    std::vector<std::string> roots = {dir_ / "tree", dir_ / "missing"};
    if (const char* links = std::getenv("QM_LINK_FIXTURE"))
        roots.push_back(std::string(links) + "\\root");
    Collected serial, parallel;
    for (const std::string& root : roots) {
        request.workers = 1;
        SearchFolder(root, request, serial);
        request.workers = 4;
        SearchFolder(root, request, parallel);
    }
    EXPECT_GT(serial.found.size(), 100u);
    EXPECT_EQ(parallel.found, serial.found);
    EXPECT_EQ(parallel.unreadable, serial.unreadable);
    EXPECT_EQ(serial.unreadable, std::set<std::string>{dir_ / "missing"});
}
namespace {

// The lowest stack address the walk has reached when it enters a folder.
struct StackDepth : SearchVisitor {
    uintptr_t lowest = UINTPTR_MAX;
    void FolderEntered(const std::string&, const FoundRecord&) override {
        const char here = 0;
        lowest = std::min(lowest, reinterpret_cast<uintptr_t>(&here));
    }
};

uintptr_t LowestStackWalking(const std::string& root) {
    StackDepth depth;
    SearchFolder(root, SearchRequest{{{"*.tmp", "junk"}}, {}, true, {}, nullptr, {}}, depth);
    return depth.lowest;
}

}  // namespace

// The walk takes no stack per folder level, so no tree is too deep for it: walking a tree 200
// levels deep reaches no deeper into the stack than walking one of 2 levels. (A recursive walk
// took some 660 bytes a level, and a tree thousands of levels deep overflowed it; such a tree
// cannot be made here: the host limits a path to 4,096 bytes, and Wine looks up every level of a
// path anew, so even this one takes a second.)
TEST_F(SearchFolderTest, TheWalkUsesNoStackPerFolderLevel) {
    constexpr int kLevels = 200;
    std::string deepest = dir_ / "deep";
    ASSERT_TRUE(win::MakeFolder(deepest));
    for (int level = 0; level < kLevels; ++level) {
        deepest += "\\d";
        ASSERT_TRUE(win::MakeFolder(deepest)) << level;
    }
    test::WriteFile(dir_ / "shallow\\d\\d\\x.tmp");
    const uintptr_t shallow = LowestStackWalking(dir_ / "shallow");
    const uintptr_t deep = LowestStackWalking(dir_ / "deep");
    EXPECT_LT(shallow - std::min(shallow, deep), 16u * 1024) << "stack used per level";
    // Taken down level by level: the fixture's own removal goes one call per level.
    for (int level = 0; level <= kLevels; ++level, deepest.resize(deepest.size() - 2))
        (void)win::RemoveFolder(deepest);
}

namespace {

// Stores what a walk finds as the scan does.
struct Stored : SearchVisitor {
    ScanResults results;
    void FileFound(const std::string& path, std::string_view reason, const FoundRecord& record) override {
        results.AddOrReplace(path, reason, record.stamp);
    }
};

std::vector<std::tuple<std::string, std::string, uint64_t, uint64_t, uint64_t>> RowsOf(
    const ScanResults& results) {
    std::vector<std::tuple<std::string, std::string, uint64_t, uint64_t, uint64_t>> rows;
    for (size_t i = 0; i < results.Count(); ++i) {
        const FileStamp stamp = results.Stamp(i);
        rows.emplace_back(std::string(results.Path(i)), results.Reason(i), stamp.size, stamp.fileId,
                          (uint64_t{stamp.lastWrite.dwHighDateTime} << 32) | stamp.lastWrite.dwLowDateTime);
    }
    return rows;
}

void MakeNumberedFiles(const std::string& folder, int count) {
    test::MakeFolders(folder);
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "f%04d.%s", i, i % 4 ? "tmp" : "txt");
        test::WriteFile(folder + "\\" + name, i % 5 ? "x" : "");
    }
}

}  // namespace

// The listing workers hand their reports over in batches, which the calling thread stores: the
// rows, in their order, with their reasons and stamps, are what a walk on one thread stores, for
// folders of no file, one, a batch's and a listing block's worth, and many.
TEST_F(SearchFolderTest, ReportsHandedOverStoreTheRowsOneThreadStores) {
    const int counts[] = {0, 1, 510, 512, 1500};
    for (int a = 0; a < 3; ++a)
        for (int count : counts) {
            char folder[32];
            std::snprintf(folder, sizeof(folder), "a%d\\n%d", a, count);
            MakeNumberedFiles(dir_ / folder, count);
        }
    SearchRequest request;
    request.masks = {{"*.tmp", "temporary"}};
    request.options.findZeroLength = true;
    Stored serial, handedOver;
    request.workers = 1;
    SearchFolder(dir_.Path(), request, serial);
    request.workers = 2;
    SearchFolder(dir_.Path(), request, handedOver);
    // Per tree: the ".tmp" files (three in four) and the empty ".txt" files (one in twenty).
    EXPECT_EQ(serial.results.Count(), 3u * ((0 + 382 + 384 + 1125) + (1 + 26 + 26 + 75)));
    EXPECT_EQ(RowsOf(handedOver.results), RowsOf(serial.results));
}

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_reads{0};
std::atomic<size_t> g_filesBeforeStop{0};

// Sets the stop flag on the third block read and counts the records of the blocks before it: the
// worker never lists an entry of that block, so the files of those before are exactly what it saw.
BOOL WINAPI StopOnThirdRead(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD bytes) {
    if (++g_reads == 3)
        g_stop = true;
    const BOOL done = ::GetFileInformationByHandleEx(file, kind, buffer, bytes);
    if (done && !g_stop) {
        const auto* at = static_cast<const unsigned char*>(buffer);
        for (;;) {
            const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            if (!(record->FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ++g_filesBeforeStop;
            if (record->NextEntryOffset == 0)
                break;
            at += record->NextEntryOffset;
        }
    }
    return done;
}

}  // namespace

// A stop in the middle of a folder ends the workers, and every file they listed before it is
// stored: the batches handed over and the last, partly filled one alike.
TEST_F(SearchFolderTest, AStopDuringTheHandOverLosesNoStoredRow) {
    MakeNumberedFiles(dir_ / "many", 1500);
    SearchRequest request;
    request.masks = {{"*", "any"}};
    request.stop = &g_stop;
    request.workers = 2;
    g_stop = false;
    g_reads = 0;
    g_filesBeforeStop = 0;
    Stored stored;
    win::SetFolderReadFunction(StopOnThirdRead);
    SearchFolder(dir_ / "many", request, stored);
    win::SetFolderReadFunction(nullptr);
    ASSERT_TRUE(g_stop);
    EXPECT_GT(g_filesBeforeStop.load(), 512u);
    EXPECT_EQ(stored.results.Count(), g_filesBeforeStop.load());
}
