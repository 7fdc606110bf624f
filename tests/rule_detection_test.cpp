// Where cleaning rules lead on this machine: their variables, wildcards in any folder of a path
// (never through a link), and whether an entry's application is here.
#include <gtest/gtest.h>

#include <cstdlib>

#include "scan/RuleDetection.h"
#include "scan/RuleFolders.h"
#include "support/RegistrySnapshot.h"
#include "support/TestFiles.h"
#include "win/PathParts.h"

using Texts = std::vector<std::string>;

TEST(RuleVariables, EachVariableGivesEachOfItsFoldersAndAnUnknownOneNone) {
    RuleVariables variables;
    variables.Set("ProgramFiles", {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Program Files"});
    variables.Set("LocalAppData", {"C:\\Users\\u\\AppData\\Local"});
    EXPECT_EQ(variables.Expand("%programfiles%\\App\\Logs"),
              (Texts{"C:\\Program Files\\App\\Logs", "C:\\Program Files (x86)\\App\\Logs"}));
    EXPECT_EQ(variables.Expand("%LocalAppData%\\a%ProgramFiles%"),
              (Texts{"C:\\Users\\u\\AppData\\Local\\aC:\\Program Files",
                     "C:\\Users\\u\\AppData\\Local\\aC:\\Program Files (x86)"}));
    EXPECT_EQ(variables.Expand("C:\\plain"), (Texts{"C:\\plain"}));
    EXPECT_TRUE(variables.Expand("%Unknown%\\x").empty());
    EXPECT_TRUE(variables.Expand("%LocalAppData\\x").empty());  // unpaired
    EXPECT_TRUE(variables.Expand("%%\\x").empty());

    // The environment fills what the table does not hold, and the machine's own table knows the
    // shell's folders.
    ::SetEnvironmentVariableW(L"QM_RULE_TEST", L"C:\\from the environment\\");
    EXPECT_TRUE(variables.Expand("%QM_RULE_TEST%\\x").empty());
    variables.UseEnvironment(true);
    EXPECT_EQ(variables.Expand("%qm_rule_test%\\x"), (Texts{"C:\\from the environment\\x"}));
    const RuleVariables machine = RuleVariables::Current();
    for (const char* name : {"%AppData%", "%LocalAppData%", "%UserProfile%", "%WinDir%", "%ProgramFiles%",
                             "%SystemDrive%", "%Documents%", "%CommonAppData%"})
        EXPECT_FALSE(machine.Expand(name).empty()) << name;
}

// %SystemDrive% is the drive's root folder: a rule written either way names the same full path,
// as Windows reads it, and the variable alone names the root, never the drive's current folder.
TEST(RuleVariables, SystemDriveIsTheRootFolderOfTheSystemsDrive) {
    RuleVariables variables;
    variables.Set("SystemDrive", {"C:\\"});
    EXPECT_EQ(variables.Expand("%SystemDrive%\\Temp\\x"), (Texts{"C:\\Temp\\x"}));
    EXPECT_EQ(variables.Expand("%SystemDrive%Temp\\x"), (Texts{"C:\\Temp\\x"}));
    EXPECT_EQ(variables.Expand("%SystemDrive%"), (Texts{"C:\\"}));
    EXPECT_EQ(variables.Expand("%SystemDrive%/Temp"), (Texts{"C:/Temp"}));
    // Only a root keeps its backslash: any other folder is joined as written.
    variables.Set("Deep", {"C:\\Deep"});
    EXPECT_EQ(variables.Expand("%Deep%\\x"), (Texts{"C:\\Deep\\x"}));

    const std::vector<std::string> machine = RuleVariables::Current().Expand("%SystemDrive%");
    ASSERT_EQ(machine.size(), 1u);
    EXPECT_EQ(machine[0].size(), 3u) << machine[0];
    EXPECT_EQ(machine[0].substr(1), ":\\") << machine[0];
    for (const char* rule : {"%SystemDrive%\\Windows", "%SystemDrive%Windows", "%SYSTEMDRIVE%"})
        for (const std::string& folder : RuleVariables::Current().Expand(rule))
            EXPECT_TRUE(win::IsFullPath(folder)) << rule << ": " << folder;
}

TEST(RuleFolders, WildcardsMatchFoldersAtAnyStepAndFilesOnlyWhereAsked) {
    test::TempFolder dir;
    test::WriteFile(dir / "Profiles\\abc.default\\cache2\\entry");
    test::WriteFile(dir / "Profiles\\xyz.work\\cache2\\entry");
    test::WriteFile(dir / "Profiles\\no-cache\\other\\entry");
    test::WriteFile(dir / "Profiles\\cache2.txt");
    EXPECT_EQ(MatchingFolders(dir / "Profiles\\*\\cache2"),
              (Texts{dir / "Profiles\\abc.default\\cache2", dir / "Profiles\\xyz.work\\cache2"}));
    EXPECT_EQ(MatchingFolders(dir / "Profiles\\*.default"), (Texts{dir / "Profiles\\abc.default"}));
    EXPECT_EQ(MatchingFolders(dir / "Profiles\\abc.default"), (Texts{dir / "Profiles\\abc.default"}));
    EXPECT_TRUE(MatchingFolders(dir / "Profiles\\cache2.*").empty());  // a file is no folder
    EXPECT_TRUE(MatchingFolders(dir / "Missing\\*").empty());
    EXPECT_TRUE(MatchingFolders("relative\\*").empty());

    EXPECT_TRUE(AnythingMatches(dir / "Profiles\\cache2.*"));
    EXPECT_TRUE(AnythingMatches(dir / "Prof?les\\*\\other"));
    EXPECT_FALSE(AnythingMatches(dir / "Profiles\\*\\nothing*"));

    // A folder link is never a wildcard's match (the fixture's root holds sub and two links).
    const char* fixture = std::getenv("QM_LINK_FIXTURE");
    ASSERT_NE(fixture, nullptr) << "run through ctest, which makes the links";
    EXPECT_EQ(MatchingFolders(std::string(fixture) + "\\root\\*"),
              (Texts{std::string(fixture) + "\\root\\sub"}));
}

TEST(RuleDetection, AnEntryIsHereWhenAnyKeyOrFileSaysSoWithinItsWindowsVersions) {
    test::TempFolder dir;
    test::WriteFile(dir / "App 2\\bin\\app.exe");
    test::RegistrySnapshot key("Software\\Quillmoor tests\\Detected App");
    key.SetText("x", "y");
    RuleVariables variables;
    variables.Set("Here", {dir.Path()});

    RuleEntry entry;
    EXPECT_TRUE(IsDetected(entry, variables, WindowsVersion()));  // no detection: always shown
    entry.detectKeys = {"HKCU\\Software\\Quillmoor tests\\Missing App"};
    EXPECT_FALSE(IsDetected(entry, variables, WindowsVersion()));
    entry.detectKeys.push_back("HKEY_CURRENT_USER\\Software\\Quillmoor tests\\Detected App");
    EXPECT_TRUE(IsDetected(entry, variables, WindowsVersion()));

    entry.detectKeys = {"HKLM\\Software\\Quillmoor tests\\Missing App"};
    entry.detectFiles = {"%Here%\\App *\\bin\\*.exe"};
    EXPECT_TRUE(IsDetected(entry, variables, WindowsVersion()));
    entry.detectFiles = {"%Here%\\App *\\bin\\*.dll", "%Nowhere%\\app.exe"};
    EXPECT_FALSE(IsDetected(entry, variables, WindowsVersion()));

    entry = RuleEntry{};
    entry.hasOsRange = true;
    entry.osFrom = {6, 2};
    EXPECT_TRUE(IsDetected(entry, variables, {10, 0}));
    EXPECT_TRUE(IsDetected(entry, variables, {6, 2}));
    EXPECT_FALSE(IsDetected(entry, variables, {6, 1}));
    entry.osFrom = {};
    entry.osTo = {6, 1};
    EXPECT_FALSE(IsDetected(entry, variables, {10, 0}));
    EXPECT_TRUE(IsDetected(entry, variables, {5, 1}));
    EXPECT_GE(WindowsVersion().major, 5u);
}
