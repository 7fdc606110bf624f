// What the program does where a folder has become a link: the cleaning, the restore and the
// removal of a restore point act only on what they checked, and never on what the link leads to.
// The links are made on the host side (tests/link_fixture.sh), since Wine makes none itself.
#include <gtest/gtest.h>

#include <cstdlib>

#include "clean/BackupStore.h"
#include "clean/CleaningEngine.h"
#include "clean/RestoreFiles.h"
#include "clean/RestorePointTree.h"
#include "core/LanguageTable.h"
#include "support/LogEntries.h"
#include "support/NoProgress.h"
#include "support/LogwrightTest.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"

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

    std::string fixture_;
    win::ComApartment com_;
    test::TempFolder dir_;
    test::RegistrationLock registrationLock_;
    test::LogwrightDll dll_{dir_.Path()};
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
        ASSERT_FALSE(entries.empty());
        EXPECT_NE(entries[0].text.find("LINKED " + listed), std::string::npos) << entries[0].text;
    }
}

// A restore point holds restore\sub\f.txt, and restore\sub has become a link to a folder that
// holds another f.txt.
TEST_F(LinkSafetyTest, ARestoreNeverWritesThroughAFolderThatBecameALink) {
    const std::string point = dir_ / "Backup\\2025-01-31_08-05-09";
    const std::string backup = point + "\\" + MirrorPath(fixture_ + "\\restore\\sub\\f.txt");
    test::WriteFile(backup, "backed up");
    test::NoProgress progress;
    const RestoreOutcome outcome = RestoreFiles(point, dir_ / "Log", progress);
    EXPECT_EQ(outcome.restored, 0);
    EXPECT_EQ(outcome.left, 1);
    EXPECT_EQ(test::ReadFile(fixture_ + "\\restore\\elsewhere\\f.txt"), "the other file");
    EXPECT_EQ(test::ReadFile(backup), "backed up");
    const auto entries = test::ReadLogEntries(dir_ / "Log");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].text.find("LINKED " + backup), std::string::npos) << entries[0].text;
}

TEST_F(LinkSafetyTest, RemovingARestorePointLeavesWhatALinkInsideItLeadsTo) {
    const std::string point = fixture_ + "\\points\\2025-01-01_00-00-00";
    RemoveRestorePoint(point);
    EXPECT_EQ(test::ReadFile(fixture_ + "\\victims\\precious.txt"), "precious");
    EXPECT_FALSE(test::Exists(point + "\\C\\x.txt"));
}
