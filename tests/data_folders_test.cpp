// Where a user's data lives: beside the program, or in the user's profile for an installation the
// package made for the whole machine; a user's first start copying the factory config.xml; and the
// session, the rescue manager's folder and the scan finding the profile's data.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "clean/BackupStore.h"
#include "config/CleanOptionSettings.h"
#include "config/ConfigDocument.h"
#include "config/ListSettings.h"
#include "config/PathVariables.h"
#include "config/ScanOptionSettings.h"
#include "core/DataFolders.h"
#include "core/ProgramPath.h"
#include "session/ProgramRules.h"
#include "session/Session.h"
#include "support/LogEntries.h"
#include "support/LogwrightDll.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"

namespace {

const std::string kProgram = "C:\\Program Files\\Quillmoor";
const std::string kRoaming = "C:\\Users\\ann\\AppData\\Roaming";
const std::string kLocal = "C:\\Users\\ann\\AppData\\Local";

struct ChoiceCase {
    const char* what;
    std::string program;
    std::optional<std::string> record;
    std::string roaming, local;
    bool perMachine;
};

}  // namespace

TEST(DataFolders, PerMachineOnlyWhereThePackagesRecordNamesTheProgramFolder) {
    const ChoiceCase cases[] = {
        {"no record: the per-user setup, run.sh, a copied folder", kProgram, std::nullopt, kRoaming, kLocal,
         false},
        {"the record as the package writes it", kProgram, kProgram + "\\", kRoaming, kLocal, true},
        {"the record in another letter case, without a backslash", kProgram, "c:\\program files\\QUILLMOOR",
         kRoaming, kLocal, true},
        {"a copy of the installed folder elsewhere", "D:\\Stick\\Quillmoor", kProgram + "\\", kRoaming,
         kLocal, false},
        {"a folder whose name only begins like the program folder's", kProgram, kProgram + "2\\", kRoaming,
         kLocal, false},
        {"an empty record", kProgram, std::string(), kRoaming, kLocal, false},
        {"no roaming profile folder known", kProgram, kProgram + "\\", "", kLocal, false},
        {"no local profile folder known", kProgram, kProgram + "\\", kRoaming, "", false},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string& program = c.program;
        const DataFolders folders = ChooseDataFolders({program, c.record, c.roaming, c.local});
        EXPECT_EQ(folders.perMachine, c.perMachine);
        EXPECT_EQ(folders.program, program);
        if (c.perMachine) {
            EXPECT_EQ(folders.ConfigPath(), kRoaming + "\\Quillmoor\\config.xml");
            EXPECT_EQ(folders.factoryBackup, kLocal + "\\Quillmoor\\Backup");
            EXPECT_EQ(folders.LogDataFolder(), kLocal + "\\Quillmoor\\Log\\Data");
            EXPECT_EQ(folders.OutsideProgram(),
                      (std::vector<std::string>{kRoaming + "\\Quillmoor", kLocal + "\\Quillmoor\\Backup",
                                                kLocal + "\\Quillmoor\\Log"}));
        } else {
            EXPECT_EQ(folders.ConfigPath(), program + "\\config.xml");
            EXPECT_EQ(folders.factoryBackup, program + "\\Backup");
            EXPECT_EQ(folders.LogDataFolder(), ActivityLogDataFolder(program));
            EXPECT_TRUE(folders.OutsideProgram().empty());
        }
        EXPECT_EQ(folders.FactoryConfigPath(), program + "\\config.xml");
    }
}

TEST(DataFolders, TheFactoryBackupSettingMeansTheProfileOnlyAsTheFactoryWroteIt) {
    PathFolders beside{kProgram, "C:\\Windows", "C:\\Windows\\System32", "C:\\Temp", kProgram + "\\Backup"};
    PathFolders profile = beside;
    profile.factoryBackup = kLocal + "\\Quillmoor\\Backup";
    struct Case {
        const char* stored;
        std::string besideExpanded, profileExpanded;
    } const cases[] = {
        {"%ModulePath%\\Backup", kProgram + "\\Backup", kLocal + "\\Quillmoor\\Backup"},
        // What a user wrote keeps naming the program folder.
        {"%ModulePath%\\Backup\\Mine", kProgram + "\\Backup\\Mine", kProgram + "\\Backup\\Mine"},
        {"%ModulePath%\\Old", kProgram + "\\Old", kProgram + "\\Old"},
        {"%modulepath%\\Backup", "%modulepath%\\Backup", "%modulepath%\\Backup"},
        {"D:\\Restore", "D:\\Restore", "D:\\Restore"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(TranslatePath(c.stored, PathDirection::Expand, beside), c.besideExpanded);
        EXPECT_EQ(TranslatePath(c.stored, PathDirection::Expand, profile), c.profileExpanded);
        // What the clean options page writes back reads as it did.
        EXPECT_EQ(TranslatePath(TranslatePath(c.profileExpanded, PathDirection::Contract, profile),
                                PathDirection::Expand, profile),
                  c.profileExpanded);
    }
    EXPECT_EQ(TranslatePath(kLocal + "\\Quillmoor\\Backup", PathDirection::Contract, profile),
              "%ModulePath%\\Backup");
    // The program folder's own Backup, chosen on the page, stays that folder.
    EXPECT_EQ(TranslatePath(kProgram + "\\Backup", PathDirection::Contract, profile), kProgram + "\\Backup");
    EXPECT_EQ(TranslatePath(kProgram + "\\Backup", PathDirection::Contract, beside), "%ModulePath%\\Backup");
}

TEST(DataFolders, AFirstStartCopiesTheFactoryConfigAndNeverReplacesWhatIsThere) {
    test::TempFolder dir;
    const std::string factory = dir / "Program\\config.xml";
    const std::string factoryText = "<?xml version=\"1.0\"?><config><quillmoor/></config>";
    test::WriteFile(factory, factoryText);
    // Installed files may be read-only; the user's copy must be one they can save.
    ASSERT_TRUE(::SetFileAttributesA(factory.c_str(), FILE_ATTRIBUTE_READONLY));

    struct Case {
        const char* what;
        const char* before;  // nullptr: nothing there
        UserConfigStart start;
    } const cases[] = {
        {"first start, the folders not made yet", nullptr, UserConfigStart::Copied},
        {"the user's own settings", "<config><quillmoor><mine/></quillmoor></config>",
         UserConfigStart::Present},
        {"a damaged file: kept for the user to see, not replaced", "<config><quill",
         UserConfigStart::Present},
        {"an empty file", "", UserConfigStart::Present},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = dir / ("Profile" + std::to_string(++n) + "\\Roaming\\Quillmoor");
        const std::string user = folder + "\\config.xml";
        if (c.before)
            test::WriteFile(user, c.before);
        const UserConfigOutcome outcome = PrepareUserConfig(factory, user);
        EXPECT_EQ(outcome.start, c.start);
        EXPECT_TRUE(outcome.result);
        EXPECT_EQ(test::ReadFile(user), c.before ? c.before : factoryText);
        EXPECT_EQ(test::NamesIn(folder), (std::vector<std::string>{"config.xml"}));
        EXPECT_FALSE(::GetFileAttributesA(user.c_str()) & FILE_ATTRIBUTE_READONLY);
    }

    // A folder by that name is something there too.
    test::MakeFolders(dir / "Folder\\config.xml");
    EXPECT_EQ(PrepareUserConfig(factory, dir / "Folder\\config.xml").start, UserConfigStart::Present);
    // Without a factory file nothing is made.
    const UserConfigOutcome none =
        PrepareUserConfig(dir / "Missing\\config.xml", dir / "None\\Quillmoor\\config.xml");
    EXPECT_EQ(none.start, UserConfigStart::NoFactory);
    EXPECT_FALSE(test::Exists(dir / "None"));
    // A profile folder that cannot be made fails with the reason, leaving nothing.
    test::WriteFile(dir / "Blocked", "a file where the folder would go");
    const UserConfigOutcome blocked = PrepareUserConfig(factory, dir / "Blocked\\Quillmoor\\config.xml");
    EXPECT_EQ(blocked.start, UserConfigStart::Failed);
    EXPECT_FALSE(blocked.result);
    EXPECT_EQ(test::ReadFile(dir / "Blocked"), "a file where the folder would go");
    ASSERT_TRUE(::SetFileAttributesA(factory.c_str(), FILE_ATTRIBUTE_NORMAL));
}

// A user of an installation for the whole machine: "/auto" reads their config.xml in the profile,
// puts the restore point where the factory backup setting now means (their profile), writes the
// log there, and the rescue manager opens that folder; no scan lists any of their data folders.
TEST(DataFolders, TheSessionOfAPerMachineInstallationKeepsEverythingInTheProfile) {
    test::TempFolder dir;
    test::ProgramFolder program;
    test::RegistrationLock registrationLock;
    test::LogwrightDll dll{dir.Path()};
    ASSERT_TRUE(SUCCEEDED(dll.Register()));
    DataFolders data =
        ChooseDataFolders({program.Path(), program.Path() + "\\", dir / "Roaming", dir / "Local"});
    ASSERT_TRUE(data.perMachine);
    OverrideDataFolders(data);
    struct Restore {
        ~Restore() { OverrideDataFolders(std::nullopt); }
    } restore;
    EXPECT_EQ(ConfigFilePath(), dir / "Roaming\\Quillmoor\\config.xml");
    EXPECT_EQ(ProgramLogFolder(), dir / "Local\\Quillmoor\\Log\\Data");

    test::WriteFile(program / "config.xml", test::ReadFile(test::SourceFile("data/config.xml")));
    ASSERT_EQ(PrepareUserConfig(data.FactoryConfigPath(), data.ConfigPath()).start, UserConfigStart::Copied);
    const std::string config = data.ConfigPath();
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    // The factory backup setting as shipped, read through the profile.
    EXPECT_EQ(ReadBackupDirectory(config), dir / "Local\\Quillmoor\\Backup");
    test::WriteFile(dir / "junk\\a.tmp", "junk");
    // Junk-looking files in the user's data folders are the program's own.
    test::WriteFile(dir / "Roaming\\Quillmoor\\old.tmp", "own");
    test::WriteFile(dir / "Local\\Quillmoor\\Log\\x.tmp", "own");
    test::WriteFile(dir / "Local\\Quillmoor\\Backup\\b.tmp", "own");

    Session session(ProgramDataFolders());
    EXPECT_EQ(session.RunUnattended({UnattendedKind::Clean, {dir.Path()}, {}}), UnattendedEnd::Done);
    EXPECT_FALSE(test::Exists(dir / "junk\\a.tmp"));
    EXPECT_EQ(test::ReadFile(dir / "Roaming\\Quillmoor\\old.tmp"), "own");
    EXPECT_EQ(test::ReadFile(dir / "Local\\Quillmoor\\Log\\x.tmp"), "own");
    EXPECT_EQ(test::ReadFile(dir / "Local\\Quillmoor\\Backup\\b.tmp"), "own");
    EXPECT_EQ(session.RescueFolder(), dir / "Local\\Quillmoor\\Backup");
    const std::vector<RestorePoint> points = FindRestorePoints(session.RescueFolder());
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(test::ReadFile(points[0].path + "\\" + MirrorPath(dir / "junk\\a.tmp")), "junk");
    EXPECT_FALSE(test::Exists(program / "Backup"));
    EXPECT_FALSE(test::Exists(program / "Log"));
    EXPECT_FALSE(test::ReadLogEntries(data.LogDataFolder()).empty());
    // The rules see the user's data folders as the program's own too.
    const ProtectedPlaces places = ProgramProtectedPlaces(data);
    for (const std::string& folder : data.OutsideProgram())
        EXPECT_NE(
            std::find_if(places.never.begin(), places.never.end(),
                         [&](const std::string& own) { return _stricmp(own.c_str(), folder.c_str()) == 0; }),
            places.never.end())
            << folder;
}
