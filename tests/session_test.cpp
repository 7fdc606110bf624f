// The session that the wizard and the command line share, run as the command line runs it: no
// window, the saved settings, and what is on the disk afterwards.
#include <gtest/gtest.h>

#include "clean/BackupStore.h"
#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "session/Session.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

TEST(Session, AnUnattendedCleaningRemovesTheJunkAndLeavesTheProgramsOwnFoldersAlone) {
    test::TempFolder data;
    // The program and its backup folder live inside the folder that is cleaned.
    test::ProgramFolder program;
    const std::string programFolder = program.Path();
    ASSERT_TRUE(WriteJunkPatterns(programFolder + "\\config.xml", {{"*.tmp", "Temporary file", true}}));
    // No system location: the temporary folder holds other tests' files.
    ASSERT_TRUE(WriteScanOptions(programFolder + "\\config.xml", ScanOptionValues{}));
    ASSERT_TRUE(
        WriteCleanOptions(programFolder + "\\config.xml", {RemovalMode::Permanent, true, data / "Backup"}));
    test::WriteFile(data / "junk\\a.tmp", "junk");
    test::WriteFile(data / "junk\\keep.txt", "keep");
    test::WriteFile(data / "Backup\\2020-01-01_00-00-00\\C\\old\\b.tmp", "an earlier backup");
    test::WriteFile(data / "BackupCopies\\c.tmp", "junk beside the backup folder");
    test::WriteFile(programFolder + "\\leftover.tmp", "the program's own");

    Session session(programFolder);
    EXPECT_EQ(session.RunUnattended({{data.Path(), programFolder}, ""}), UnattendedEnd::Done);

    EXPECT_FALSE(test::Exists(data / "junk\\a.tmp"));
    EXPECT_FALSE(test::Exists(data / "BackupCopies\\c.tmp"));
    EXPECT_EQ(test::ReadFile(data / "junk\\keep.txt"), "keep");
    EXPECT_EQ(test::ReadFile(data / "Backup\\2020-01-01_00-00-00\\C\\old\\b.tmp"), "an earlier backup");
    EXPECT_TRUE(test::Exists(programFolder + "\\leftover.tmp"));
    const std::vector<RestorePoint> points = FindRestorePoints(data / "Backup");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(test::ReadFile(points[1].path + "\\" + MirrorPath(data / "junk\\a.tmp")), "junk");
    EXPECT_EQ(test::FilesBelow(points[1].path).size(), 2u);

    // Without its configuration an unattended run does nothing at all.
    test::WriteFile(data / "junk\\later.tmp", "junk");
    ASSERT_TRUE(::DeleteFileA((programFolder + "\\config.xml").c_str()));
    EXPECT_EQ(Session(programFolder).RunUnattended({{data.Path()}, ""}), UnattendedEnd::NoConfiguration);
    EXPECT_TRUE(test::Exists(data / "junk\\later.tmp"));
}
