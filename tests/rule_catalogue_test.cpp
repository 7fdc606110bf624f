// The entries of the rule files as this machine sees them: detected, ticked, and never offered
// where a rule would take the user's or the system's own files or needs an administrator.
#include <gtest/gtest.h>

#include "scan/RuleCatalogue.h"
#include "session/ProgramRules.h"
#include "support/TestFiles.h"

namespace {

const RuleItem& Item(const std::vector<RuleItem>& items, const std::string& name) {
    for (const RuleItem& item : items)
        if (item.entry.name == name)
            return item;
    throw std::runtime_error("no entry " + name);
}

}  // namespace

TEST(RuleCatalogue, EachEntryIsOfferedOnlyWhereItIsSafeDetectedAndAllowed) {
    test::TempFolder dir;
    test::WriteFile(dir / "profile\\AppData\\Local\\App\\Cache\\x");
    RuleMachine machine;
    machine.variables.Set("LocalAppData", {dir / "profile\\AppData\\Local"});
    machine.variables.Set("UserProfile", {dir / "profile"});
    machine.variables.Set("Documents", {dir / "profile\\Documents"});
    machine.variables.Set("WinDir", {dir / "Windows"});
    machine.places.wholeTree = {dir / "profile\\Documents"};
    machine.places.rootOnly = {dir.Path(), dir / "profile", dir / "Windows"};  // dir: the Users folder
    machine.administratorFolders = {dir / "Windows"};
    machine.windows = {10, 0};
    test::WriteFile(
        dir / "program\\Quillmoor.rules",
        "[App cache *]\nDetectFile=%LocalAppData%\\App\nDefault=True\n"
        "FileKey1=%LocalAppData%\\App\\Cache|*|RECURSE\n"
        "[Missing app]\nDetectFile=%LocalAppData%\\Missing\nFileKey1=%LocalAppData%\\Missing|*.tmp\n"
        "[Broken]\nFileKey1=%LocalAppData%\\App\n"
        "[Relative]\nFileKey1=App\\Cache|*.tmp\n"
        "[Unknown variable]\nFileKey1=%NoSuchFolder%\\Cache|*.tmp\n"
        "[Whole documents]\nFileKey1=%Documents%|*.*|RECURSE\n"
        "[Above the profile]\nFileKey1=%UserProfile%\\..|*\n"
        "[Any profile folder]\nFileKey1=%UserProfile%\\*|*|RECURSE\n"
        "[Drive root]\nFileKey1=C:\\|*\n"
        "[Only logs in documents]\nFileKey1=%Documents%|*.log\n"
        "[Windows logs]\nDefault=True\nFileKey1=%WinDir%\\Logs|*.log\n"
        "[Warned]\nDefault=True\nWarning=Signs you out.\nFileKey1=%LocalAppData%\\App\\Cache|*.tmp\n");
    test::WriteFile(dir / "config\\winapp2.ini",
                    "[Community entry *]\nFileKey1=%LocalAppData%\\App\\Cache|*.tmp\n");

    const std::vector<std::string> files = RuleFilesOf(dir / "program", dir / "config");
    ASSERT_EQ(files,
              (std::vector<std::string>{dir / "program\\Quillmoor.rules", dir / "config\\winapp2.ini"}));
    const std::vector<RuleChoice> choices = {{"winapp2.ini", "Community entry", true}};
    std::vector<RuleItem> items = LoadRuleCatalogue(files, choices, machine);
    ASSERT_EQ(items.size(), 13u);
    EXPECT_FALSE(Item(items, "Warned").ticked);  // until the user answers its warning
    EXPECT_TRUE(
        Item(LoadRuleCatalogue(files, {{"Quillmoor.rules", "Warned", true}}, machine), "Warned").ticked);
    EXPECT_EQ(Item(items, "App cache").state, RuleState::Ready);
    EXPECT_TRUE(Item(items, "App cache").ticked);
    EXPECT_EQ(Item(items, "Missing app").state, RuleState::NotDetected);
    EXPECT_EQ(Item(items, "Broken").state, RuleState::LeftOut);
    EXPECT_EQ(Item(items, "Relative").state, RuleState::LeftOut);
    EXPECT_EQ(Item(items, "Unknown variable").state,
              RuleState::Ready);  // names no folder here: nothing to do
    for (const char* unsafe : {"Whole documents", "Above the profile", "Any profile folder", "Drive root"})
        EXPECT_EQ(Item(items, unsafe).state, RuleState::Unsafe) << unsafe;
    EXPECT_EQ(Item(items, "Only logs in documents").state, RuleState::Ready);
    EXPECT_EQ(Item(items, "Windows logs").state, RuleState::NeedsAdministrator);
    const RuleItem& community = Item(items, "Community entry");
    EXPECT_EQ(community.file, "winapp2.ini");
    EXPECT_TRUE(community.ticked);  // by the stored choice: the file has no Default

    machine.elevated = true;
    items = LoadRuleCatalogue(files, {}, machine);
    EXPECT_EQ(Item(items, "Windows logs").state, RuleState::Ready);
    EXPECT_TRUE(Item(items, "Windows logs").ticked);
    EXPECT_FALSE(Item(items, "Community entry").ticked);

    // The log names what was left out and why; without such entries there is no log.
    WriteRulesLog(dir / "config\\rules.log", items);
    const std::string log = test::ReadFile(dir / "config\\rules.log");
    EXPECT_NE(log.find("Quillmoor.rules\tBroken\tline "), std::string::npos) << log;
    EXPECT_NE(log.find("Quillmoor.rules\tDrive root\tFileKey1: it would take files a user keeps (such as "),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("App cache"), std::string::npos) << log;
    WriteRulesLog(dir / "config\\rules.log", {});
    EXPECT_FALSE(test::Exists(dir / "config\\rules.log"));
}

// "/rules" prints what an administrator checks a deployed rule file with.
TEST(RuleCatalogue, TheListingSaysOfEachEntryWhetherItIsDetectedTickedAndWhyNotOffered) {
    RuleItem ready;
    ready.file = "Quillmoor.rules";
    ready.entry.group = "Browsers";
    ready.entry.name = "Test Browser: cache";
    ready.ticked = true;
    RuleItem unsafe = ready;
    unsafe.entry.name = "Everything";
    unsafe.state = RuleState::Unsafe;
    unsafe.reason = "every file of C:\\ would be taken";
    RuleItem missing = ready;
    missing.file = "winapp2.ini";
    missing.entry.name = "Missing";
    missing.state = RuleState::NotDetected;
    EXPECT_EQ(
        RulesListing({ready, unsafe, missing}),
        "Quillmoor.rules\tBrowsers\tTest Browser: cache\tdetected\tticked\t\r\n"
        "Quillmoor.rules\tBrowsers\tEverything\tdetected\tnot ticked\tevery file of C:\\ would be taken\r\n"
        "winapp2.ini\tBrowsers\tMissing\tnot detected\tnot ticked\t\r\n");
}
