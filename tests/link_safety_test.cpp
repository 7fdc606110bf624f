// What the program does where a folder has become a link: the cleaning, the restore and the
// removal of a restore point act only on what they checked, and never on what the link leads to.
// The links are made on the host side (tests/link_fixture.sh), since Wine makes none itself; a
// watcher there swaps a folder for a link while a restore or removal waits in its progress.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "clean/BackupStore.h"
#include "clean/CleaningEngine.h"
#include "clean/EmptyFolders.h"
#include "clean/RestoreFiles.h"
#include "scan/ResultsCsv.h"
#include "scan/RuleCatalogue.h"
#include "scan/ScanWorker.h"
#include "clean/RestorePointTree.h"
#include "core/LanguageTable.h"
#include "session/Session.h"
#include "support/ConfigText.h"
#include "support/LogEntries.h"
#include "support/NoProgress.h"
#include "support/LogwrightTest.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/FileSystem.h"
#include "win/LastAccessKept.h"
#include "win/ApiPath.h"

namespace {

class LinkSafetyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* fixture = std::getenv("QM_LINK_FIXTURE");
        if (!fixture)
            GTEST_SKIP() << "run through ctest, which makes the links";
        fixture_ = fixture;
        test::WriteFile(dir_ / "test.language",
                        "[String]\n_LogKeepFileLinked=LINKED %s\n_LogRestoreFileLinked=LINKED %s TO %s\n"
                        "_LogRemoveRestorePointFailed=NOT REMOVED %s\n");
        LanguageTable::Instance().SetPath(dir_ / "test.language");
        ASSERT_TRUE(SUCCEEDED(dll_.Register()));
    }
    void TearDown() override { LanguageTable::Instance().SetPath(""); }

    // Has the fixture's watcher on the host put a link to target in place of folder (both below
    // the fixture folder, written with "/"), the folder itself moved beside it; true once done.
    bool SwapForLink(const std::string& folder, const std::string& target) {
        static int requests = 0;
        const std::string request = fixture_ + "\\requests\\" + std::to_string(++requests);
        test::WriteFile(request + ".part", folder + " " + target + "\n");
        if (!::MoveFileA((request + ".part").c_str(), (request + ".swap").c_str()))
            return false;
        for (int i = 0; i < 1500 && !test::Exists(request + ".done"); ++i)
            ::Sleep(20);
        return test::Exists(request + ".done");
    }
    std::vector<std::string> Victims(const std::string& folder) {
        std::vector<std::string> contents;
        for (const std::string& file : test::FilesBelow(folder))
            contents.push_back(file + "=" + test::ReadFile(folder + "\\" + file));
        return contents;
    }

    std::string fixture_;
    win::ComApartment com_;
    test::TempFolder dir_;
    test::RegistrationLock registrationLock_;
    test::LogwrightDll dll_{dir_.Path()};
};

// A run's progress that has a folder swapped for a link once the run has listed its work.
class SwapAfterListing : public test::NoProgress {
  public:
    explicit SwapAfterListing(std::function<bool()> swap) : swap_(std::move(swap)) {}
    void SetProgressRange(int) override { swapped = swap_(); }
    bool swapped = false;

  private:
    std::function<bool()> swap_;
};

}  // namespace

// The scan listed swap\sub\c.tmp; then sub was moved away (to sub-moved) and a link to another
// folder took its name, where a c.tmp of the same size and time waits.
TEST_F(LinkSafetyTest, ACleaningNeverReachesThroughAFolderThatBecameALink) {
    const std::string listed = fixture_ + "\\swap\\sub\\c.tmp";
    CleaningJob job;
    job.cleaningSet.AddOrReplace(listed, "Temporary file",
                                 test::StampOf(fixture_ + "\\swap\\sub-moved\\c.tmp"));
    job.backup = true;
    job.backupFolder = dir_ / "Backup";
    job.logFolder = dir_ / "Log";
    std::atomic<bool> never{false};
    for (RemovalMode mode : {RemovalMode::Permanent, RemovalMode::RecycleBin}) {
        job.removal = mode;
        RunCleaning(job, win::StopToken(&never));
        EXPECT_FALSE(job.everyFileHandled);
        EXPECT_EQ(test::ReadFile(fixture_ + "\\swap\\other\\c.tmp"), "others");
        EXPECT_EQ(test::ReadFile(fixture_ + "\\swap\\sub-moved\\c.tmp"), "LISTED");
        EXPECT_TRUE(test::FilesBelow(job.backupFolder).empty());
        const auto entries = test::ReadLogEntries(job.logFolder);
        // Said once, in the backup's entry (the older of the run's two).
        ASSERT_GE(entries.size(), 2u);
        EXPECT_NE(entries[1].text.find("LINKED " + listed), std::string::npos) << entries[1].text;
        EXPECT_EQ(entries[0].text.find(listed), std::string::npos) << entries[0].text;
    }
}

// A restore point holds restore\sub\f.txt, and restore\sub has become a link to a folder that
// holds another f.txt; it also holds a file for mkthrough\T2\evil\newdir\deeper, where evil is a
// link and the two folders below it are missing.
TEST_F(LinkSafetyTest, ARestoreNeverWritesNorMakesFoldersThroughALink) {
    const std::string point = dir_ / "Backup\\2025-01-31_08-05-09";
    const std::string backup = point + "\\" + MirrorPath(fixture_ + "\\restore\\sub\\f.txt");
    test::WriteFile(backup, "backed up");
    const std::string deeper =
        point + "\\" + MirrorPath(fixture_ + "\\mkthrough\\T2\\evil\\newdir\\deeper\\g.txt");
    test::WriteFile(deeper, "deeper");
    test::NoProgress progress;
    const RestoreOutcome outcome = RestoreFiles(point, dir_ / "Log", progress);
    EXPECT_EQ(outcome.restored, 0);
    EXPECT_EQ(outcome.left, 2);
    EXPECT_EQ(test::ReadFile(fixture_ + "\\restore\\elsewhere\\f.txt"), "the other file");
    EXPECT_TRUE(test::NamesIn(fixture_ + "\\mkthrough\\victimdir").empty());
    EXPECT_EQ(test::ReadFile(backup), "backed up");
    EXPECT_EQ(test::ReadFile(deeper), "deeper");
    const auto entries = test::ReadLogEntries(dir_ / "Log");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].text.find("LINKED " + backup), std::string::npos) << entries[0].text;
    EXPECT_NE(entries[0].text.find("LINKED " + deeper), std::string::npos) << entries[0].text;
}

// The restore has listed its point; then the folder that holds its 20 backups becomes a link to a
// folder of 20 other files of the same names.
TEST_F(LinkSafetyTest, ARestoreTakesNothingThroughAFolderOfThePointThatBecameALink) {
    const std::string point = fixture_ + "\\rswap\\Backup\\2025-03-03_00-00-00";
    const std::string sub = "rswap/Backup/2025-03-03_00-00-00/C/qm-link-fixture/rswap/target/sub";
    const std::vector<std::string> others = Victims(fixture_ + "\\rswap\\others");
    ASSERT_EQ(others.size(), 20u);
    SwapAfterListing progress([&] { return SwapForLink(sub, "rswap/others"); });
    const RestoreOutcome outcome = RestoreFiles(point, dir_ / "Log", progress);
    ASSERT_TRUE(progress.swapped);
    EXPECT_EQ(outcome.restored, 0);
    EXPECT_EQ(outcome.failed, 20);
    EXPECT_FALSE(outcome.removed);
    EXPECT_EQ(Victims(fixture_ + "\\rswap\\others"), others);
    EXPECT_TRUE(test::FilesBelow(fixture_ + "\\rswap\\target").empty());
    EXPECT_EQ(test::FilesBelow(point + "\\C\\qm-link-fixture\\rswap\\target\\sub-moved").size(), 20u);
}

// A link in the point from the start, and a folder of the point that becomes a link to a folder
// of files of the same names once the removal has listed the point.
TEST_F(LinkSafetyTest, RemovingARestorePointLeavesWhatALinkInsideItLeadsTo) {
    const std::string point = fixture_ + "\\points\\2025-01-01_00-00-00";
    (void)RemoveRestorePoint(point);  // the link goes too where the system lets it go by itself
    EXPECT_EQ(test::ReadFile(fixture_ + "\\victims\\precious.txt"), "precious");
    EXPECT_FALSE(test::Exists(point + "\\C\\x.txt"));

    const std::string swapping = fixture_ + "\\unswap\\Backup\\2025-02-02_00-00-00";
    const std::vector<std::string> victims = Victims(fixture_ + "\\unswap\\victims");
    ASSERT_EQ(victims.size(), 20u);
    SwapAfterListing progress(
        [&] { return SwapForLink("unswap/Backup/2025-02-02_00-00-00/C/b", "unswap/victims"); });
    EXPECT_NE(RemoveRestorePoint(swapping, &progress).Error(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_TRUE(progress.swapped);
    EXPECT_EQ(Victims(fixture_ + "\\unswap\\victims"), victims);
    EXPECT_FALSE(test::Exists(swapping + "\\C\\a"));
    EXPECT_TRUE(test::Exists(swapping + "\\C\\b-moved"));
}

// The point itself is a link to a folder of someone else's files: it is no restore point.
TEST_F(LinkSafetyTest, ARestorePointThatIsALinkIsNeitherListedNorRemovedNorRestored) {
    const std::string backup = fixture_ + "\\pointlink\\Backup";
    const std::string point = backup + "\\2025-01-01_00-00-00";
    EXPECT_TRUE(FindRestorePoints(backup).empty());
    TextMap folders;
    ListRestorePoints(backup, folders, true, 0);
    EXPECT_TRUE(folders.empty());
    const std::vector<std::string> victims = {"docs\\important.txt=important", "notes.txt=notes"};
    ASSERT_EQ(Victims(fixture_ + "\\pointlink\\victims"), victims);
    EXPECT_EQ(RemoveRestorePoint(point).Error(), static_cast<DWORD>(ERROR_REPARSE_TAG_MISMATCH));
    test::NoProgress progress;
    const RestoreOutcome outcome = RestoreFiles(point, dir_ / "Log", progress);
    EXPECT_EQ(outcome.restored + outcome.failed + outcome.skipped, 0);
    EXPECT_FALSE(outcome.removed);
    EXPECT_EQ(Victims(fixture_ + "\\pointlink\\victims"), victims);
    EXPECT_TRUE(test::Exists(point));
}

// The same point, long expired, at the start of a cleaning that keeps points for a day: the
// expiry lists no link as a point, so nothing it leads to is touched, nor the link itself.
TEST_F(LinkSafetyTest, AnExpiredPointThatIsALinkIsNeverFollowed) {
    const std::string backup = fixture_ + "\\pointlink\\Backup";
    const std::vector<std::string> victims = {"docs\\important.txt=important", "notes.txt=notes"};
    ASSERT_EQ(Victims(fixture_ + "\\pointlink\\victims"), victims);
    CleaningJob job;
    job.backupFolder = backup;
    job.pointExpiryDays = 1;
    job.logFolder = dir_ / "Log";
    std::atomic<bool> never{false};
    RunCleaning(job, win::StopToken(&never));
    EXPECT_EQ(Victims(fixture_ + "\\pointlink\\victims"), victims);
    EXPECT_TRUE(test::Exists(backup + "\\2025-01-01_00-00-00\\notes.txt"));
    for (const auto& entry : test::ReadLogEntries(job.logFolder))
        EXPECT_EQ(entry.text.find("2025-01-01_00-00-00"), std::string::npos) << entry.text;
}

// report\report.csv is a link to report\elsewhere.txt: the report takes the link's place.
TEST_F(LinkSafetyTest, AReportWrittenOverALinkReplacesTheLinkNotWhatItLeadsTo) {
    const std::string report = fixture_ + "\\report\\report.csv";
    ScanResults results;
    results.AddOrReplace("C:\\x.tmp", "Temporary file", 1);
    ASSERT_TRUE(WriteResultsCsv(report, results, {0}));
    EXPECT_EQ(test::ReadFile(fixture_ + "\\report\\elsewhere.txt"), "not a report");
    EXPECT_EQ(test::ReadFile(report).substr(0, 7), "\xEF\xBB\xBFPath");
    EXPECT_FALSE(::GetFileAttributesW(win::FileApiPath(report).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

// root\out is a link to the folder outside: looking at it holds nothing and writes nothing; a file
// reached through it is the file it leads to, kept as any other.
TEST_F(LinkSafetyTest, KeepingALastAccessTimeNeverWritesToALink) {
    const std::string link = fixture_ + "\\root\\out", victim = fixture_ + "\\outside\\victim.tmp";
    const FileStamp before = test::StampOf(victim);
    {
        win::LastAccessKept kept(link);
        EXPECT_FALSE(kept.Held());
        EXPECT_FALSE(kept.Restore());
    }
    {
        win::LastAccessKept kept(link + "\\victim.tmp");
        ASSERT_TRUE(kept.Held());
        EXPECT_EQ(test::ReadFile(link + "\\victim.tmp"), "never\n");
        EXPECT_TRUE(kept.Restore());
    }
    const FileStamp after = test::StampOf(victim);
    EXPECT_EQ(after.size, before.size);
    EXPECT_EQ(::CompareFileTime(&after.lastAccess, &before.lastAccess), 0);
    EXPECT_EQ(::CompareFileTime(&after.lastWrite, &before.lastWrite), 0);
    EXPECT_TRUE(::GetFileAttributesW(win::FileApiPath(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The root is a link to another folder (as a redirected profile folder may be): the scan walks
// where it leads, so the cleaning finds every listed file at its path.
TEST_F(LinkSafetyTest, ARootThatIsALinkIsCleanedWhereItLeads) {
    test::ConfigParts parts;
    parts.patterns = {test::PatternRow("1", "Temporary file", "*.tmp")};
    parts.backup = test::Backup("1", "1", dir_ / "Backup", dir_ / "Backup");
    test::WriteFile(dir_ / "program\\config.xml", test::ConfigText(parts));
    const std::string linked = fixture_ + "\\linked";
    ASSERT_TRUE(::GetFileAttributesA((fixture_ + "\\rootlink").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    EXPECT_EQ(Session(dir_ / "program").RunUnattended({UnattendedKind::Clean, {fixture_ + "\\rootlink"}, {}}),
              UnattendedEnd::Done);
    EXPECT_FALSE(test::Exists(linked + "\\junk.tmp"));
    EXPECT_FALSE(test::Exists(linked + "\\deeper\\more.tmp"));
    const std::vector<RestorePoint> points = FindRestorePoints(dir_ / "Backup");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(test::ReadFile(points[0].path + "\\" + MirrorPath(linked + "\\junk.tmp")), "junk\n");
}

// A cleaning removed a file from emptied\real and one reached through emptied\link (a link to an
// empty folder outside): the real folder goes once empty, the link and what it leads to stay.
TEST_F(LinkSafetyTest, FoldersACleaningEmptiedGoButNeverThroughALink) {
    const std::string emptied = fixture_ + "\\emptied";
    EXPECT_EQ(RemoveEmptiedFolders(emptied, {emptied + "\\real\\gone.tmp", emptied + "\\link\\gone.tmp"}), 1);
    EXPECT_FALSE(test::Exists(emptied + "\\real"));
    EXPECT_TRUE(test::Exists(emptied + "\\link"));
    EXPECT_TRUE(test::Exists(fixture_ + "\\emptytarget"));
    EXPECT_TRUE(test::Exists(emptied));  // the link is still in it
}

// ruleslog\rules.log is a link to ruleslog\notes.txt: the log takes the link's place.
TEST_F(LinkSafetyTest, TheRulesLogWrittenOverALinkReplacesTheLinkNotWhatItLeadsTo) {
    const std::string log = fixture_ + "\\ruleslog\\rules.log";
    RuleItem item;
    item.file = "winapp2.ini";
    item.entry.name = "Broken";
    item.state = RuleState::LeftOut;
    item.reason = "line 3 does not parse";
    WriteRulesLog(log, {item});
    EXPECT_EQ(test::ReadFile(fixture_ + "\\ruleslog\\notes.txt"), "my note");
    EXPECT_EQ(test::ReadFile(log), "winapp2.ini\tBroken\tline 3 does not parse\r\n");
    EXPECT_FALSE(::GetFileAttributesW(win::FileApiPath(log).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST_F(LinkSafetyTest, ACacheFoundByItsStructureIsNeverReachedThroughALink) {
    // A cache folder that is a link, an application folder that is a link, and a simple cache
    // whose real index lies behind a link: none is taken; the real cache beside them is.
    ScanJob job;
    job.cacheRoots = {fixture_ + "\\caches\\root"};
    job.workers = 2;
    std::atomic<bool> never{false};
    RunScan(job, win::StopToken(&never));
    std::vector<std::string> found;
    for (const auto& [path, reason] : job.results)
        found.emplace_back(path.substr(fixture_.size() + 1));
    EXPECT_EQ(found, (std::vector<std::string>{
                         "caches\\root\\real\\Cache\\data_0", "caches\\root\\real\\Cache\\data_1",
                         "caches\\root\\real\\Cache\\data_2", "caches\\root\\real\\Cache\\data_3",
                         "caches\\root\\real\\Cache\\f_000001", "caches\\root\\real\\Cache\\index"}));
}
