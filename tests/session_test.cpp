// The session that the wizard and the command line share, run as the command line runs it: no
// window, the saved settings, and what is on the disk afterwards.
#include <gtest/gtest.h>

#include <algorithm>

#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "clean/RestoreFiles.h"
#include "config/CleanOptionSettings.h"
#include "config/ConfigDocument.h"
#include "config/ListSettings.h"
#include "config/RuleSettings.h"
#include "config/ScanOptionSettings.h"
#include "core/ProgramPath.h"
#include "core/LanguageTable.h"
#include "session/ProgramRules.h"
#include "session/Session.h"
#include "support/LogEntries.h"
#include "support/LogwrightDll.h"
#include "support/NoProgress.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/ApiPath.h"
#include "win/PathParts.h"
#include "win/SystemError.h"
#include "win/UniqueHandle.h"

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

    // The program folder given as a root is not searched, and the run says so.
    Session session(programFolder);
    std::string reason;
    EXPECT_EQ(session.RunUnattended({UnattendedKind::Clean, {data.Path(), programFolder}, {}}, &reason),
              UnattendedEnd::SomeKept);
    EXPECT_NE(reason.find(programFolder), std::string::npos) << reason;

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
    EXPECT_EQ(Session(programFolder).RunUnattended({UnattendedKind::Clean, {data.Path()}, {}}),
              UnattendedEnd::NoConfiguration);
    EXPECT_TRUE(test::Exists(data / "junk\\later.tmp"));
}

// Nobody watches "/auto": a permanent deletion without a restore point, which the wizard asks
// about, goes ahead without a question.
TEST(Session, AnUnattendedPermanentDeletionWithoutARestorePointAsksNothing) {
    test::TempFolder data;
    test::ProgramFolder program;
    test::RecordingPrompts prompts;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, data / "Backup"}));
    test::WriteFile(data / "junk\\a.tmp", "junk");
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}),
              UnattendedEnd::Done);
    EXPECT_FALSE(test::Exists(data / "junk\\a.tmp"));
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(prompts.dialogs.empty());
    EXPECT_FALSE(test::Exists(data / "Backup"));
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

    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {junk}, {}}),
              UnattendedEnd::Done);
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

// A misspelt or garbled removal or backup setting would read as "permanent, no backup": an
// unattended cleaning then does nothing and says why, while a report, which removes nothing, runs.
TEST(Session, AnUnattendedCleaningWithADamagedCleanSettingDoesNothing) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, true, data / "Backup"}));
    const std::string intact = test::ReadFile(config);
    test::WriteFile(data / "junk\\a.tmp", "junk");

    struct Damage {
        std::string from, to, setting;
    };
    for (const Damage& damage :
         {Damage{"<Backup ", "<Bakup ", "Backup checked"},
          Damage{"Backup\" checked=\"1\"", "Backup\" checked=\"yes\"", "Backup checked"},
          Damage{"<CleanMode ", "<CleanMod ", "CleanMode index"}}) {
        std::string damaged = intact;
        const size_t at = damaged.find(damage.from);
        ASSERT_NE(at, std::string::npos) << damage.from;
        damaged.replace(at, damage.from.size(), damage.to);
        test::WriteFile(config, damaged);
        std::string reason;
        EXPECT_EQ(
            Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}, &reason),
            UnattendedEnd::NoConfiguration);
        EXPECT_NE(reason.find(damage.setting), std::string::npos) << reason;
        EXPECT_EQ(test::ReadFile(data / "junk\\a.tmp"), "junk");
        EXPECT_FALSE(test::Exists(data / "Backup"));
        EXPECT_EQ(Session(program.Path())
                      .RunUnattended({UnattendedKind::Report, {data / "junk"}, data / "report.csv"}),
                  UnattendedEnd::Done);
        EXPECT_NE(test::ReadFile(data / "report.csv").find("a.tmp"), std::string::npos);
    }
}

// Roots name exactly the folders they are given as: by a short name (as %TEMP% often is), with
// a doubled backslash, or named "..." (a folder, never a step up to its parent). Each is scanned
// by its true form, which the skip folders (short too) and the cleaning's checks compare with.
// (Wine's final path drops a dot from every name on the way, so there the cleaning keeps the file
// below "..." as reached elsewhere; on Windows it goes like the others.)
TEST(Session, RootsAreScannedAndCleanedByTheTrueFormOfExactlyTheFolderGiven) {
    test::TempFolder data;
    test::ProgramFolder program;
    WriteCleaningSettings(program.Path() + "\\config.xml", data / "Backup");
    const std::string folder = data / "Long Folder Name";
    for (const std::string& path : {folder + "\\a.tmp", data / "x\\y\\b.tmp", data / "p\\...\\c.tmp"})
        test::WriteFile(path, "junk");
    for (const std::string& path : {folder + "\\Kept\\d.tmp", data / "x\\e.tmp", data / "p\\f.tmp"})
        test::WriteFile(path, "not asked for");
    ASSERT_TRUE(
        WriteSkipFolders(program.Path() + "\\config.xml", {{test::ShortPathOf(folder + "\\Kept"), true}}));

    Session session(program.Path());
    session.RunUnattended(
        {UnattendedKind::Clean, {test::ShortPathOf(folder), data / "x\\\\y", data / "p\\..."}, {}});
    EXPECT_EQ(session.Results().ToTextMap(), (TextMap{{folder + "\\a.tmp", "Temporary file"},
                                                      {data / "x\\y\\b.tmp", "Temporary file"},
                                                      {data / "p\\...\\c.tmp", "Temporary file"}}));
    EXPECT_FALSE(test::Exists(folder + "\\a.tmp") || test::Exists(data / "x\\y\\b.tmp"));
    for (const std::string& path : {folder + "\\Kept\\d.tmp", data / "x\\e.tmp", data / "p\\f.tmp"})
        EXPECT_EQ(test::ReadFile(path), "not asked for") << path;
}

// The backup folder as typed or stored: with ".." steps, a doubled final backslash, or the factory
// "%ModulePath%\Backup" of a program started by its short name. The restore points are made and
// checked where the folder truly is, so every file is backed up and cleaned.
TEST(Session, ABackupFolderInAnyTypedFormTakesTheBackups) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string shortProgram = test::ShortPathOf(program.Path());
    ASSERT_NE(shortProgram, program.Path());
    OverrideProgramDirectory(shortProgram);
    const std::pair<std::string, std::string> cases[] = {{data / "x\\..\\bk", data / "bk"},
                                                         {data / "bk2\\\\", data / "bk2"},
                                                         {"%ModulePath%\\Backup", program / "Backup"}};
    for (const auto& [typed, folder] : cases) {
        WriteCleaningSettings(program.Path() + "\\config.xml", typed);
        test::WriteFile(data / "junk\\a.tmp", "junk");
        EXPECT_EQ(Session(shortProgram).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}),
                  UnattendedEnd::Done)
            << typed;
        const std::vector<RestorePoint> points = FindRestorePoints(folder);
        ASSERT_EQ(points.size(), 1u) << typed;
        EXPECT_EQ(test::ReadFile(points[0].path + "\\" + MirrorPath(data / "junk\\a.tmp")), "junk") << typed;
    }
}

// The rule files beside the program reach the scan: a ticked entry's files are listed with its
// name as their reason, an unticked one's are not, and a cleaning takes them into a restore point.
TEST(Session, TickedCleaningRulesAreListedWithTheirEntrysNameAndCleaned) {
    test::TempFolder profile;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, true, profile / "Backup"}));
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", win::Wide(profile.Path()).c_str());
    test::WriteFile(
        program / "Quillmoor.rules",
        "[Test Browser: cache *]\nDetectFile=%QM_TEST_PROFILE%\\Browser\nDefault=True\n"
        "FileKey1=%QM_TEST_PROFILE%\\Browser\\User Data\\*\\Cache|*|RECURSE\n"
        "ExcludeKey1=FILE|%QM_TEST_PROFILE%\\Browser\\User Data\\*\\Cache|index\n"
        "[Test Editor: logs]\nDefault=True\nFileKey1=%QM_TEST_PROFILE%\\Editor|*.log\n"
        "[Test Updater: downloads]\nDefault=True\nFileKey1=%QM_TEST_PROFILE%\\Updater|*.bin|REMOVESELF\n"
        "ExcludeKey1=FILE|%QM_TEST_PROFILE%\\Updater\\keep|*.bin\n"
        "[Not here]\nDetectFile=%QM_TEST_PROFILE%\\Nothing\nDefault=True\n"
        "FileKey1=%QM_TEST_PROFILE%|*|RECURSE\n");
    const std::vector<std::string> junk = {profile / "Browser\\User Data\\Default\\Cache\\data_1",
                                           profile / "Browser\\User Data\\Profile 2\\Cache\\f_000001",
                                           profile / "Editor\\main.log",
                                           profile / "Updater\\pkg\\deep\\a.bin"};
    const std::vector<std::string> own = {profile / "Browser\\User Data\\Default\\Cache\\index",
                                          profile / "Browser\\User Data\\Default\\Bookmarks",
                                          profile / "Editor\\settings.json", profile / "Documents\\notes.log",
                                          profile / "Updater\\keep\\k.bin"};
    for (const std::string& file : junk)
        test::WriteFile(file, "junk");
    for (const std::string& file : own)
        test::WriteFile(file, "own");
    test::MakeFolders(profile / "Updater\\was empty");

    ASSERT_EQ(Session(program.Path())
                  .RunUnattended({UnattendedKind::Report, {profile / "Documents"}, profile / "report.csv"}),
              UnattendedEnd::Done);
    const std::string report = test::ReadFile(profile / "report.csv");
    const char* const reasons[] = {"Test Browser: cache", "Test Browser: cache", "Test Editor: logs",
                                   "Test Updater: downloads"};
    for (size_t i = 0; i < junk.size(); ++i)
        EXPECT_NE(report.find(junk[i] + ",4," + reasons[i] + ","), std::string::npos) << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 5) << report;  // the header and four

    ASSERT_TRUE(WriteRuleChoices(config, {{"Quillmoor.rules", "Test Editor: logs", false}}));
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {profile / "Documents"}, {}}),
              UnattendedEnd::Done);
    EXPECT_FALSE(test::Exists(junk[0]));
    EXPECT_FALSE(test::Exists(junk[1]));
    EXPECT_TRUE(test::Exists(junk[2]));  // unticked
    // The updater's folders go once emptied; the one still holding a file stays, and so does one
    // that held nothing the cleaning removed.
    EXPECT_TRUE(test::Exists(profile / "Updater\\was empty"));
    EXPECT_FALSE(test::Exists(profile / "Updater\\pkg"));
    EXPECT_TRUE(test::Exists(profile / "Updater\\keep\\k.bin"));
    for (const std::string& file : own)
        EXPECT_EQ(test::ReadFile(file), "own") << file;
    const std::vector<RestorePoint> points = FindRestorePoints(profile / "Backup");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(test::FilesBelow(points[0].path).size(), 3u);
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", nullptr);
}

// The activity log names each folder a scan could not read, with the reason; a rule folder of an
// application that never made it is not among them.
TEST(Session, TheFoldersAScanCouldNotReadAreNamedInTheActivityLog) {
    test::TempFolder profile;
    test::ProgramFolder program;
    test::RegistrationLock registrationLock;
    test::LogwrightDll logwright(profile.Path());
    ASSERT_TRUE(SUCCEEDED(logwright.Register()));
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", win::Wide(profile.Path()).c_str());
    test::WriteFile(program / "Quillmoor.rules",
                    "[Test Viewer: cache]\nDefault=True\nFileKey1=%QM_TEST_PROFILE%\\Viewer|*|RECURSE\n"
                    "[Test Player: cache]\nDefault=True\nFileKey1=%QM_TEST_PROFILE%\\Player|*|RECURSE\n");
    test::WriteFile(profile / "Player\\a.tmp");
    win::UniqueFile holder{::CreateFileW(win::Wide(profile / "Player").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    ASSERT_TRUE(holder);
    test::MakeFolders(profile / "Documents");
    EXPECT_EQ(Session(program.Path())
                  .RunUnattended({UnattendedKind::Report, {profile / "Documents"}, profile / "report.csv"}),
              UnattendedEnd::Done);
    const std::vector<test::LogEntry> entries = test::ReadLogEntries(ActivityLogDataFolder(program.Path()));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryScan"));
    EXPECT_NE(entries[0].text.find(profile / "Player"), std::string::npos) << entries[0].text;
    EXPECT_NE(entries[0].text.find(win::SystemErrorText(ERROR_SHARING_VIOLATION)), std::string::npos)
        << entries[0].text;
    EXPECT_EQ(entries[0].text.find(profile / "Viewer"), std::string::npos) << entries[0].text;

    // The wizard's scan ends on its worker: the entry is written there, and the status says so.
    class Status : public ScanProgress {
      public:
        void SetStatusText(const std::string& text) override { status = text; }
        void ShowRunning(bool) override {}
        void SetFoundCountText(const std::string&) override {}
        int RootRowCount() override { return 0; }
        std::string RootStateText(int) override { return {}; }
        void SetRootStateText(int, const std::string&) override {}
        std::string status;
    } progress;
    win::UniqueHandle ended{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    Session session(program.Path());
    session.PrepareScan(ReadWizardSettings(config), {profile / "Documents"});
    ASSERT_TRUE(session.StartScan(&progress, [&] { ::SetEvent(ended.get()); }));
    ASSERT_EQ(::WaitForSingleObject(ended.get(), 60'000), WAIT_OBJECT_0);
    EXPECT_EQ(test::ReadLogEntries(ActivityLogDataFolder(program.Path())).size(), 2u);
    EXPECT_NE(progress.status.find(Translate("_StateStringFoldersNotReadLogged")), std::string::npos)
        << progress.status;
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", nullptr);
}

namespace {

// What the rescue jobs show; their calls come from their workers, read once the jobs have ended.
class RescueRecorder : public test::NoProgress {
  public:
    void SetStatusText(const std::string& text) override { status = text; }
    void ShowRunning(bool running) override { shown.push_back(running); }
    std::string status;
    std::vector<bool> shown;
};

// A cleaning's progress that holds the cleaning in its first update until released.
class HeldCleaning : public test::NoProgress {
  public:
    void SetProgressRange(int) override { ::WaitForSingleObject(release.get(), 30'000); }
    win::UniqueHandle release{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

}  // namespace

TEST(Session, RestoreAndRemovalRunOnTheSessionsWorkersButNeverBesideItsCleaning) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string point = data / "Backup\\2025-01-31_08-05-09";
    test::WriteFile(point + "\\" + MirrorPath(data / "a.txt"), "a");
    const std::string other = data / "Backup\\2025-02-01_00-00-00";
    test::WriteFile(other + "\\C\\x.txt", "x");
    Session session(program.Path());
    RescueRecorder recorder;
    std::vector<win::JobEnd> ends;
    auto completed = [&ends](win::JobEnd end) { ends.push_back(end); };

    HeldCleaning held;
    ASSERT_TRUE(session.StartCleaning(CleanOptionValues{}, &held, nullptr, {}));
    EXPECT_FALSE(session.StartRestore(point, &recorder, completed));
    EXPECT_FALSE(session.StartRemoval(other, &recorder, completed));
    ::SetEvent(held.release.get());
    ASSERT_TRUE(test::PumpUntil([&] { return !session.CleaningRunning(); }));
    EXPECT_TRUE(recorder.shown.empty());
    EXPECT_FALSE(test::Exists(data / "a.txt"));
    EXPECT_TRUE(test::Exists(other));

    ASSERT_TRUE(session.StartRestore(point, &recorder, completed));
    ASSERT_TRUE(test::PumpUntil([&] { return !session.RescueBusy(); }));
    EXPECT_EQ(test::ReadFile(data / "a.txt"), "a");
    EXPECT_FALSE(test::Exists(point));
    EXPECT_EQ(recorder.status, Translate("_RescueDialogStateRestoreComplete"));
    EXPECT_EQ(session.Restore().outcome.restored, 1);

    ASSERT_TRUE(session.StartRemoval(other, &recorder, completed));
    ASSERT_TRUE(test::PumpUntil([&] { return !session.RescueBusy(); }));
    EXPECT_FALSE(test::Exists(other));
    EXPECT_EQ(session.Removal().error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ends, (std::vector<win::JobEnd>{win::JobEnd::Finished, win::JobEnd::Finished}));
    EXPECT_EQ(recorder.shown, (std::vector<bool>{true, false, true, false}));
}

// The rescue manager opens on the backup folder the wizard uses now, else on the one saved.
TEST(Session, TheRescueFolderIsTheWizardsBackupFolderElseTheSavedOne) {
    test::TempFolder data;
    test::ProgramFolder program;
    Session session(program.Path());
    ASSERT_TRUE(WriteCleanOptions(session.ConfigPath(), {RemovalMode::Permanent, true, data / "Saved"}));
    EXPECT_EQ(session.RescueFolder(), data / "Saved");
    session.SetWizardBackupFolder(data / "Typed now");
    EXPECT_EQ(session.RescueFolder(), data / "Typed now");
    EXPECT_EQ(ReadCleanOptions(session.ConfigPath()).backupDirectory, data / "Saved");
    session.SetWizardBackupFolder("");
    EXPECT_EQ(session.RescueFolder(), data / "Saved");
}

// A folder given on the command line that is not there was not searched: the run says so with its
// exit code, and the folders that are there are cleaned all the same.
TEST(Session, AFolderGivenThatIsNotThereMakesTheRunEndWithSomethingLeft) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, ""}));
    test::WriteFile(data / "junk\\a.tmp", "junk");
    test::WriteFile(data / "a file.txt", "not a folder");
    for (const std::string& missing : {data / "no such folder", data / "a file.txt"}) {
        test::WriteFile(data / "junk\\a.tmp", "junk");
        EXPECT_EQ(
            Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk", missing}, {}}),
            UnattendedEnd::SomeKept)
            << missing;
        EXPECT_FALSE(test::Exists(data / "junk\\a.tmp")) << missing;
    }
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}),
              UnattendedEnd::Done);
}

// Every setting a scan reads is read strictly by an unattended run: a damaged tick, months, mask
// or skip folder makes "/auto" and "/report" do nothing and name the setting, where a lenient
// reading would have listed and cleaned more (or nothing) in silence.
TEST(Session, AnUnattendedRunWithADamagedScanSettingDoesNothing) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ScanOptionValues options;
    options.checked[kFindFilesHaveNotAccessed] = true;
    options.months = "12";
    ASSERT_TRUE(WriteScanOptions(config, options));
    ASSERT_TRUE(WriteSkipFolders(config, {{data / "junk\\skipme", true}}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, ""}));
    const std::string intact = test::ReadFile(config);

    struct Damage {
        std::string from, to, setting;
    };
    for (const Damage& damage : {
             Damage{"month=\"12\"", "month=\"abc\"", "FindFilesHaveNotAccessed month"},
             Damage{"<SkipHiddenFiles checked=\"0\"", "<SkipHiddenFiles checked=\"yes\"",
                    "SkipHiddenFiles checked"},
             Damage{"<item checked=\"1\" folder=", "<item checked=\"yes\" folder=",
                    "SkipFolders item 1 checked"},
             Damage{
                 "<item checked=\"1\" folder=",
                 "<item checked=\"1\" folder=\"\"/><item checked=\"1\" folder=", "SkipFolders item 1 folder"},
             Damage{"<item checked=\"1\" description=", "<item checked=\"on\" description=",
                    "junkfiles item 1 checked"},
         }) {
        std::string damaged = intact;
        const size_t at = damaged.find(damage.from);
        ASSERT_NE(at, std::string::npos) << damage.from;
        damaged.replace(at, damage.from.size(), damage.to);
        test::WriteFile(config, damaged);
        // A file of 40 days, the months read as 0 would list; one below the skip folder.
        test::WriteFile(data / "junk\\old.txt", "keep");
        test::SetAccessedAgo(data / "junk\\old.txt", 40);
        test::WriteFile(data / "junk\\skipme\\a.tmp", "keep");
        for (const std::string& report : {std::string(), data / "report.csv"}) {
            std::string reason;
            EXPECT_EQ(Session(program.Path())
                          .RunUnattended({UnattendedKind::Report, {data / "junk"}, report}, &reason),
                      UnattendedEnd::NoConfiguration)
                << damage.setting;
            EXPECT_NE(reason.find(damage.setting), std::string::npos) << reason;
        }
        EXPECT_EQ(test::ReadFile(data / "junk\\old.txt"), "keep") << damage.setting;
        EXPECT_EQ(test::ReadFile(data / "junk\\skipme\\a.tmp"), "keep") << damage.setting;
        EXPECT_FALSE(test::Exists(data / "report.csv")) << damage.setting;
    }
    // Intact, the same run lists neither (a skipped folder, a file of 40 days).
    test::WriteFile(config, intact);
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}),
              UnattendedEnd::Done);
    EXPECT_EQ(test::ReadFile(data / "junk\\old.txt"), "keep");
    EXPECT_EQ(test::ReadFile(data / "junk\\skipme\\a.tmp"), "keep");
}

// A root typed in the "\\?\" form, or with a final dot or blank, is the folder Windows reads it
// as: the same rows as its plain form, which never carry the prefix, and every file cleaned.
// A folder whose exact name ends in a dot is that folder, never its namesake without one.
TEST(Session, ARootInAnyTypedFormListsTheRowsOfItsPlainForm) {
    test::TempFolder data;
    test::ProgramFolder program;
    WriteCleaningSettings(program.Path() + "\\config.xml", data / "Backup");
    const std::string root = data / "s";
    const std::string forms[] = {"\\\\?\\" + root, root + ".", root + " ", root + ". .", "//?/" + root};
    for (const std::string& typed : forms) {
        test::WriteFile(root + "\\a.tmp", "junk");
        Session session(program.Path());
        EXPECT_EQ(session.RunUnattended({UnattendedKind::Clean, {typed}, {}}), UnattendedEnd::Done) << typed;
        EXPECT_EQ(session.Results().ToTextMap(), (TextMap{{root + "\\a.tmp", "Temporary file"}})) << typed;
        EXPECT_FALSE(test::Exists(root + "\\a.tmp")) << typed;
    }
    // "t." exists as a folder of its own beside "t": it is the one searched.
    test::WriteFile(data / "t\\b.tmp", "not asked for");
    test::WriteFile(data / "t.\\c.tmp", "junk");
    Session exact(program.Path());
    exact.RunUnattended({UnattendedKind::Report, {data / "t."}, data / "report.csv"});
    EXPECT_EQ(exact.Results().ToTextMap(), (TextMap{{data / "t.\\c.tmp", "Temporary file"}}));
    // "..." that is not there stays "...": never read as its parent, which would widen the run.
    test::WriteFile(data / "u\\d.tmp", "not asked for");
    Session dots(program.Path());
    EXPECT_EQ(dots.RunUnattended({UnattendedKind::Clean, {data / "u\\..."}, {}}), UnattendedEnd::SomeKept);
    EXPECT_EQ(dots.Results().Count(), 0u);
    EXPECT_EQ(test::ReadFile(data / "u\\d.tmp"), "not asked for");
}

// A root that is the backup folder (or lies inside it) is not searched, and the run says so
// instead of passing for a clean run of that folder.
TEST(Session, ARootThatIsTheBackupFolderIsReportedNotSkippedInSilence) {
    test::TempFolder data;
    test::ProgramFolder program;
    WriteCleaningSettings(program.Path() + "\\config.xml", data / "Backup");
    test::WriteFile(data / "Backup\\a.tmp", "in the backup folder");
    test::WriteFile(data / "junk\\b.tmp", "junk");
    for (const std::string& root : {data / "Backup", data / "Backup\\"}) {
        std::string reason;
        EXPECT_EQ(Session(program.Path())
                      .RunUnattended({UnattendedKind::Clean, {root, data / "junk"}, {}}, &reason),
                  UnattendedEnd::SomeKept);
        EXPECT_NE(reason.find(data / "Backup"), std::string::npos) << reason;
        EXPECT_EQ(test::ReadFile(data / "Backup\\a.tmp"), "in the backup folder");
        EXPECT_FALSE(test::Exists(data / "junk\\b.tmp"));
        test::WriteFile(data / "junk\\b.tmp", "junk");
    }
}

// A skip folder typed as a full path, in any form that names it, leaves out that folder and what
// lies below it, and never a sibling whose name begins the same.
TEST(Session, ASkipFolderInAnyTypedFormLeavesOutThatFolderOnly) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    WriteCleaningSettings(config, data / "Backup");
    const std::string skip = data / "s\\skipme";
    test::MakeFolders(skip);
    std::string slashes = skip;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    for (const std::string& typed :
         {skip, "\\\\?\\" + skip, data / "s\\x\\..\\skipme", slashes, test::ShortPathOf(skip) + "\\"}) {
        test::WriteFile(skip + "\\deep\\a.tmp", "kept");
        test::WriteFile(data / "s\\skipme2\\b.tmp", "junk");
        ASSERT_TRUE(WriteSkipFolders(config, {{typed, true}}));
        EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "s"}, {}}),
                  UnattendedEnd::Done)
            << typed;
        EXPECT_EQ(test::ReadFile(skip + "\\deep\\a.tmp"), "kept") << typed;
        EXPECT_FALSE(test::Exists(data / "s\\skipme2\\b.tmp")) << typed;
    }
}

// Looking at the rules (the Applications list) leaves nothing behind; a scan's preparation says in
// rules.log what it left out.
TEST(Session, TheRulesLogIsWrittenWhenAScanIsPreparedNotWhenTheRulesAreLoaded) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    test::WriteFile(program / "Quillmoor.rules", "[Relative]\nFileKey1=cache|*.tmp\n");

    const std::vector<RuleItem> rules = ProgramRules(
        program.Path(), config, ProgramProtectedPlaces(DataFoldersBeside(program.Path())), Policy{});
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].state, RuleState::LeftOut);
    EXPECT_FALSE(test::Exists(program / "rules.log"));

    Session session(program.Path());
    session.PrepareScan(ReadWizardSettings(config), {data.Path()});
    EXPECT_NE(test::ReadFile(program / "rules.log").find("Quillmoor.rules\tRelative\t"), std::string::npos);
}

// The rules prepared ahead are the scan's while config.xml and the rule files are as they were;
// a tick changed, or a rule file rewritten, after the preparation counts as if none had run.
TEST(Session, RulesPreparedAheadCountOnlyWhileTheirFilesAreUnchanged) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    test::WriteFile(program / "Quillmoor.rules",
                    "[Test Editor: logs]\nDefault=True\nFileKey1=" + data.Path() +
                        "|*.log\n[Test Viewer: logs]\nDefault=True\nFileKey1=" + data.Path() + "|*.txt\n");
    auto reasons = [](const Session& session) {
        std::vector<std::string> names;
        for (const ScanPlace& place : session.Scan().rulePlaces)
            names.push_back(place.reason);
        return names;
    };
    Session fresh(program.Path()), ahead(program.Path());
    fresh.PrepareScan(ReadWizardSettings(config), {data.Path()});
    ahead.PrepareRulesAhead(ReadWizardSettings(config));
    ahead.PrepareScan(ReadWizardSettings(config), {data.Path()});
    EXPECT_EQ(reasons(ahead), (std::vector<std::string>{"Test Editor: logs", "Test Viewer: logs"}));
    EXPECT_EQ(reasons(ahead), reasons(fresh));

    ahead.PrepareRulesAhead(ReadWizardSettings(config));
    ASSERT_TRUE(WriteRuleChoices(config, {{"Quillmoor.rules", "Test Editor: logs", false}}));
    ahead.PrepareScan(ReadWizardSettings(config), {data.Path()});
    EXPECT_EQ(reasons(ahead), std::vector<std::string>{"Test Viewer: logs"});

    ahead.PrepareRulesAhead(ReadWizardSettings(config));
    test::WriteFile(program / "Quillmoor.rules",
                    "[Test Other: logs]\nDefault=True\nFileKey1=" + data.Path() + "|*.old\n");
    ahead.PrepareScan(ReadWizardSettings(config), {data.Path()});
    EXPECT_EQ(reasons(ahead), std::vector<std::string>{"Test Other: logs"});
}

// "/auto" gives back the space of the restore points that have expired, and says so in the
// activity log; a config.xml written before points expired keeps every point, as it always did.
TEST(Session, AnUnattendedCleaningRemovesExpiredPointsOnlyWhereConfigXmlAsksForIt) {
    test::TempFolder data;
    test::ProgramFolder program;
    test::RegistrationLock registrationLock;
    test::LogwrightDll dll{data.Path()};
    ASSERT_TRUE(SUCCEEDED(dll.Register()));
    const std::string config = program / "config.xml";
    WriteCleaningSettings(config, data / "Backup");
    {
        ConfigDocument document(config);
        document.RemoveChild(
            document.SelectSingleNode("/config/quillmoor/CleanOptions").get(),
            document.SelectSingleNode("/config/quillmoor/CleanOptions/RemoveRestorePoints").get());
        ASSERT_TRUE(document.Save());
    }
    const std::string old = data / "Backup\\2020-01-01_00-00-00";
    test::WriteFile(old + "\\C\\old\\b.tmp", "an earlier backup");
    test::WriteFile(data / "junk\\a.tmp", "junk");
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}),
              UnattendedEnd::Done);
    EXPECT_EQ(test::ReadFile(old + "\\C\\old\\b.tmp"), "an earlier backup");
    EXPECT_EQ(FindRestorePoints(data / "Backup").size(), 2u);

    // The user chooses 14 days: the next run takes the old point, and only it.
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, true, data / "Backup", true, 14}));
    test::WriteFile(data / "junk\\b.tmp", "junk");
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}),
              UnattendedEnd::Done);
    EXPECT_FALSE(test::Exists(old));
    EXPECT_EQ(FindRestorePoints(data / "Backup").size(), 2u);
    bool logged = false;
    for (const test::LogEntry& entry : test::ReadLogEntries(program / "Log\\Data"))
        logged = logged || (entry.subcategory == Translate("_LogLogCategoryExpiredPoints") &&
                            entry.text.find(old) != std::string::npos);
    EXPECT_TRUE(logged);
}
