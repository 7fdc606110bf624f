// The session that the wizard and the command line share, run as the command line runs it: no
// window, the saved settings, and what is on the disk afterwards.
#include <gtest/gtest.h>

#include <algorithm>

#include "clean/BackupStore.h"
#include "clean/RestoreFiles.h"
#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "core/ProgramPath.h"
#include "session/Session.h"
#include "support/NoProgress.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/FileSystem.h"
#include "win/PathParts.h"

namespace {

// Settings that clean "*.tmp" permanently after a backup into backupFolder, and search no system
// location (the temporary folder holds other tests' files).
void WriteCleaningSettings(const std::string& config, const std::string& backupFolder) {
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, true, backupFolder}));
}

}  // namespace

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

// Names from every script, a fullwidth twin of a hidden file, and a path far beyond 260
// characters: each is listed by its own name, cleaned into a restore point and restored exactly,
// and the files the scan did not list are never reached.
TEST(Session, EveryNameAtAnyLengthIsCleanedAndRestoredExactly) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program.Path() + "\\config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ScanOptionValues options;
    options.checked[kSkipHiddenFiles] = true;
    ASSERT_TRUE(WriteScanOptions(config, options));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, true, data / "Backup"}));

    const std::string junk = data / "junk";
    std::string deep = junk;
    while (deep.size() < 300)
        deep += "\\a folder name of some length";
    const std::vector<std::string> listed = {
        junk + "\\\xEF\xBD\x86.tmp",                              // fullwidth f
        junk + "\\\xE6\xBC\xA2\xE5\xAD\x97.tmp",                  // Han
        junk + "\\\xF0\x9F\x98\x80.tmp",                          // an emoji
        junk + "\\\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.tmp",  // Greek
        junk +
            "\\\xC5\x81\xC3\xB3"
            "d\xC5\xBA\\x.tmp",                                  // a Polish folder
        junk + "\\\xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9\\y.tmp",  // a Chinese folder
        junk + "\\sub\xEF\xBC\xBCx.tmp",                         // a fullwidth backslash in a name
        deep + "\\long.tmp",
    };
    for (const std::string& path : listed)
        test::WriteFile(path, "junk of " + path);
    // What the ANSI names would have become, hidden so that the scan leaves them out.
    for (const std::string& twin : {junk + "\\f.tmp", junk + "\\sub\\x.tmp"}) {
        test::WriteFile(twin, "never listed");
        ASSERT_TRUE(::SetFileAttributesW(win::FileApiPath(twin).c_str(), FILE_ATTRIBUTE_HIDDEN));
    }

    EXPECT_EQ(Session(program.Path()).RunUnattended({{junk}, ""}), UnattendedEnd::Done);
    for (const std::string& path : listed)
        EXPECT_FALSE(test::Exists(path)) << path << " " << path.size();
    for (const std::string& twin : {junk + "\\f.tmp", junk + "\\sub\\x.tmp"})
        EXPECT_EQ(test::ReadFile(twin), "never listed") << twin;
    const std::vector<RestorePoint> points = FindRestorePoints(data / "Backup");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(test::FilesBelow(points[0].path).size(), listed.size());

    test::NoProgress progress;
    const RestoreOutcome outcome = RestoreFiles(points[0].path, program.Path() + "\\Log\\Data", progress);
    EXPECT_EQ(outcome.restored, static_cast<int>(listed.size()));
    EXPECT_TRUE(outcome.removed);
    for (const std::string& path : listed) {
        EXPECT_EQ(test::ReadFile(path), "junk of " + path) << path;
        const std::vector<std::string> names = test::NamesIn(win::FolderPartOf(path));
        EXPECT_NE(std::find(names.begin(), names.end(), win::NamePartOf(path)), names.end()) << path;
    }
}

// A root and a skip folder given in 8.3 short form (as %TEMP% often is) are scanned and compared
// in their long form, so the cleaning finds every listed file at its path.
TEST(Session, ARootAndASkipFolderInShortFormAreCleanedByTheirLongNames) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program.Path() + "\\config.xml";
    WriteCleaningSettings(config, data / "Backup");
    const std::string folder = data / "Long Folder Name";
    test::WriteFile(folder + "\\a.tmp");
    test::WriteFile(folder + "\\Sub Folder\\b.tmp");
    test::WriteFile(folder + "\\Kept Folder\\c.tmp", "kept");
    ASSERT_TRUE(WriteSkipFolders(config, {{test::ShortPathOf(folder + "\\Kept Folder"), true}}));

    EXPECT_EQ(Session(program.Path()).RunUnattended({{test::ShortPathOf(folder)}, ""}), UnattendedEnd::Done);
    const std::vector<RestorePoint> points = FindRestorePoints(data / "Backup");
    ASSERT_EQ(points.size(), 1u);
    std::vector<std::string> backedUp = {MirrorPath(folder + "\\a.tmp"),
                                         MirrorPath(folder + "\\Sub Folder\\b.tmp")};
    std::sort(backedUp.begin(), backedUp.end());
    EXPECT_EQ(test::FilesBelow(points[0].path), backedUp);
    EXPECT_FALSE(test::Exists(folder + "\\a.tmp"));
    EXPECT_FALSE(test::Exists(folder + "\\Sub Folder\\b.tmp"));
    EXPECT_EQ(test::ReadFile(folder + "\\Kept Folder\\c.tmp"), "kept");
}

// Typed roots name exactly their own folder: a doubled backslash is one, and "..." is a folder
// name, never a step up that would widen the scan to its parent and the parent's other folders.
// (Wine's final path drops a dot from every name on the way, so there the cleaning keeps a file
// below "..." as reached elsewhere; on Windows it is removed like the other.)
TEST(Session, TypedRootsReachExactlyTheFoldersTheyName) {
    test::TempFolder data;
    test::ProgramFolder program;
    WriteCleaningSettings(program.Path() + "\\config.xml", data / "Backup");
    test::WriteFile(data / "p\\...\\a.tmp");
    test::WriteFile(data / "x\\y\\b.tmp");
    const std::vector<std::string> others = {data / "p\\beside.tmp", data / "p\\q\\c.tmp", data / "x\\d.tmp"};
    for (const std::string& path : others)
        test::WriteFile(path, "not asked for");

    Session session(program.Path());
    session.RunUnattended({{data / "p\\...", data / "x\\\\y"}, ""});
    EXPECT_EQ(session.Results().ToTextMap(), (TextMap{{data / "p\\...\\a.tmp", "Temporary file"},
                                                      {data / "x\\y\\b.tmp", "Temporary file"}}));
    EXPECT_FALSE(test::Exists(data / "x\\y\\b.tmp"));
    for (const std::string& path : others)
        EXPECT_EQ(test::ReadFile(path), "not asked for") << path;
}

// A backup folder typed with ".." steps or a doubled final backslash is where the restore points
// go: no file is kept for a name the checks could not match.
TEST(Session, ABackupFolderTypedWithDotStepsOrADoubledBackslashTakesTheBackups) {
    test::TempFolder data;
    test::ProgramFolder program;
    size_t cleanings = 0;
    for (const std::string& typed : {data / "x\\..\\bk", data / "bk\\\\"}) {
        WriteCleaningSettings(program.Path() + "\\config.xml", typed);
        const std::string junk = data / "junk\\a.tmp";
        test::WriteFile(junk, "junk");
        EXPECT_EQ(Session(program.Path()).RunUnattended({{data / "junk"}, ""}), UnattendedEnd::Done) << typed;
        EXPECT_FALSE(test::Exists(junk)) << typed;
        const std::vector<RestorePoint> points = FindRestorePoints(data / "bk");
        ASSERT_EQ(points.size(), ++cleanings) << typed;
        EXPECT_EQ(test::ReadFile(points.back().path + "\\" + MirrorPath(junk)), "junk") << typed;
    }
    EXPECT_FALSE(test::Exists(data / "x"));
}

// Started as C:\PROGRA~1\Quillmoor.exe, the program's factory backup folder "%ModulePath%\Backup"
// is in short form too: the restore point is still made and checked where it truly is.
TEST(Session, AProgramStartedByItsShortNameBacksUpIntoItsFactoryBackupFolder) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program.Path() + "\\config.xml";
    WriteCleaningSettings(config, "%ModulePath%\\Backup");
    const std::string shortProgram = test::ShortPathOf(program.Path());
    ASSERT_NE(shortProgram, program.Path());
    OverrideProgramDirectory(shortProgram);
    test::WriteFile(data / "a.tmp", "junk");

    EXPECT_EQ(Session(shortProgram).RunUnattended({{data.Path()}, ""}), UnattendedEnd::Done);
    EXPECT_FALSE(test::Exists(data / "a.tmp"));
    const std::vector<RestorePoint> points = FindRestorePoints(program.Path() + "\\Backup");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(test::ReadFile(points[0].path + "\\" + MirrorPath(data / "a.tmp")), "junk");
}
