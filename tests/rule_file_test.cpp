// Cleaning rules in the community's INI format: every key form read into its entry, and an entry
// with anything Quillmoor cannot read left out whole, with the reason, while its neighbours work.
#include <gtest/gtest.h>

#include "config/RuleFile.h"
#include "scan/RuleNames.h"
#include "support/Speaking.h"
#include "support/TestFiles.h"

TEST(RuleFile, ReadsEveryKeyFormIntoItsEntry) {
    const std::vector<RuleEntry> entries = ParseRules(
        "; a comment before the first entry\n"
        "stray=ignored before any section\n"
        "[Quillmoor Test Browser *]\r\n"
        "LangSecRef=3029\r\n"
        "Detect=HKCU\\Software\\Test Browser\n"
        "Detect2=HKLM\\Software\\Test Browser\n"
        "DetectFile=%LocalAppData%\\Test*\\Browser\n"
        "detectos=6.2|\n"
        "Default=True\n"
        "Warning=Closes every open tab.\n"
        "FileKey1=%LocalAppData%\\Test\\User Data\\*\\Cache|*.*|RECURSE\n"
        "FileKey2=%LocalAppData%\\Test\\Crashpad|*.dmp;*.pma\n"
        "FileKey3=%Temp%\\TestBrowser|*|removeself\n"
        "ExcludeKey1=FILE|%LocalAppData%\\Test\\User Data\\Default\\Cache|index\n"
        "ExcludeKey2=PATH|%LocalAppData%\\Test\\User Data\\System Profile\n"
        "ExcludeKey3=PATH|%LocalAppData%\\Test\\Keep|*.log\n"
        "RegKey1=HKCU\\Software\\Test Browser\\Recent\n"
        "RegKey2=HKCU\\Software\\Test Browser|Last\n"
        "\n"
        "[Plain]\n"
        "Section=Games\n"
        "DetectOS=|6.1\n"
        "Default=false\n");
    ASSERT_EQ(entries.size(), 2u);
    const RuleEntry& browser = entries[0];
    EXPECT_EQ(browser.leftOut, "");
    EXPECT_EQ(browser.name, "Quillmoor Test Browser");
    EXPECT_EQ(browser.group, "3029");
    EXPECT_EQ(browser.detectKeys,
              (std::vector<std::string>{"HKCU\\Software\\Test Browser", "HKLM\\Software\\Test Browser"}));
    EXPECT_EQ(browser.detectFiles, (std::vector<std::string>{"%LocalAppData%\\Test*\\Browser"}));
    EXPECT_TRUE(browser.hasOsRange);
    EXPECT_EQ(browser.osFrom.major, 6u);
    EXPECT_EQ(browser.osFrom.minor, 2u);
    EXPECT_EQ(browser.osTo.major, 0u);
    EXPECT_TRUE(browser.byDefault);
    EXPECT_EQ(browser.warning, "Closes every open tab.");
    ASSERT_EQ(browser.files.size(), 3u);
    EXPECT_EQ(browser.files[0].folder, "%LocalAppData%\\Test\\User Data\\*\\Cache");
    EXPECT_TRUE(browser.files[0].recurse);
    EXPECT_FALSE(browser.files[0].removeSelf);
    EXPECT_EQ(browser.files[1].masks, (std::vector<std::string>{"*.dmp", "*.pma"}));
    EXPECT_FALSE(browser.files[1].recurse);
    EXPECT_TRUE(browser.files[2].recurse && browser.files[2].removeSelf);
    ASSERT_EQ(browser.excludes.size(), 3u);
    EXPECT_FALSE(browser.excludes[0].wholeFolders);
    EXPECT_EQ(browser.excludes[0].masks, (std::vector<std::string>{"index"}));
    EXPECT_TRUE(browser.excludes[1].wholeFolders);
    EXPECT_TRUE(browser.excludes[1].masks.empty());
    EXPECT_TRUE(browser.excludes[2].wholeFolders);
    EXPECT_EQ(browser.excludes[2].masks, (std::vector<std::string>{"*.log"}));
    EXPECT_EQ(browser.registryValues, 2);

    const RuleEntry& plain = entries[1];
    EXPECT_EQ(plain.leftOut, "");
    EXPECT_EQ(plain.group, "Games");
    EXPECT_FALSE(plain.byDefault);
    EXPECT_EQ(plain.osFrom.major, 0u);
    EXPECT_EQ(plain.osTo.major, 6u);
    EXPECT_EQ(plain.osTo.minor, 1u);
    EXPECT_TRUE(plain.files.empty() && plain.detectKeys.empty() && plain.detectFiles.empty());
}

TEST(RuleFile, AnEntryWithALineItCannotReadIsLeftOutWholeAndItsNeighboursWork) {
    const char* const broken[] = {
        "SpecialDetect=DET_CHROME",           // a detection Quillmoor does not know
        "FileKey1=%Temp%\\x",                 // no masks
        "FileKey1=|*.tmp",                    // no folder
        "FileKey1=%Temp%\\x|*.tmp;|RECURSE",  // an empty mask
        "FileKey1=%Temp%\\x|*.tmp|DEEP",      // neither RECURSE nor REMOVESELF
        "FileKey=%Temp%\\x|*.tmp",            // no number
        "ExcludeKey1=DIR|%Temp%\\x",          // neither FILE nor PATH
        "ExcludeKey1=FILE|%Temp%\\x",         // FILE without masks
        "Default=Yes",
        "DetectOS=6.x|",
        "Colour=blue",
        "just some words",
    };
    for (const char* line : broken) {
        const std::string text =
            std::string("[Before]\nFileKey1=%Temp%\\a|*.tmp\n[Broken *]\nFileKey1=%Temp%\\b|*.tmp\n") + line +
            "\nFileKey9=%Temp%\\c|*.tmp\n[After]\nFileKey1=%Temp%\\d|*.tmp\n";
        const std::vector<RuleEntry> entries = ParseRules(text);
        ASSERT_EQ(entries.size(), 3u) << line;
        EXPECT_EQ(entries[0].leftOut, "") << line;
        EXPECT_NE(entries[1].leftOut.find("line 5"), std::string::npos) << line << ": " << entries[1].leftOut;
        EXPECT_EQ(entries[2].leftOut, "") << line;
        EXPECT_EQ(entries[2].files.size(), 1u) << line;
    }
    // A key twice is no choice between them.
    const std::vector<RuleEntry> twice =
        ParseRules("[Twice]\nFileKey1=%Temp%\\a|*.tmp\nfilekey1=%Temp%\\b|*.tmp\n");
    ASSERT_EQ(twice.size(), 1u);
    EXPECT_NE(twice[0].leftOut.find("twice"), std::string::npos);
}

TEST(RuleFile, ReadsUtf16AndUtf8FilesWithOrWithoutAByteOrderMark) {
    test::TempFolder dir;
    const std::string rules = "[Caf\xC3\xA9 *]\nFileKey1=%Temp%\\caf\xC3\xA9|*.tmp\n";
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : std::wstring(L"[Caf\u00E9 *]\nFileKey1=%Temp%\\caf\u00E9|*.tmp\n"))
        utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    for (const std::string& bytes : {rules, "\xEF\xBB\xBF" + rules, utf16}) {
        test::WriteFile(dir / "winapp2.ini", bytes);
        std::string text;
        ASSERT_TRUE(ReadRuleFileText(dir / "winapp2.ini", text));
        const std::vector<RuleEntry> entries = ParseRules(text);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, "Caf\xC3\xA9");
        EXPECT_EQ(entries[0].files[0].folder, "%Temp%\\caf\xC3\xA9");
    }
    std::string text;
    EXPECT_FALSE(ReadRuleFileText(dir / "missing.ini", text));
}

namespace {

RuleItem ItemOf(const RuleEntry& entry, const std::string& file) {
    RuleItem item;
    item.file = file;
    item.entry = entry;
    return item;
}

std::vector<std::string> GroupsShown(const std::vector<RuleEntry>& entries, const std::string& file) {
    std::vector<std::string> groups;
    for (const RuleEntry& entry : entries)
        groups.push_back(RuleGroupShown(ItemOf(entry, file)));
    return groups;
}

}  // namespace

// A community file names its groups by LangSecRef numbers: the numbers its format describes show
// by their names in the user's language, any other number as "Other"; a Section text is the
// file's own words. The shipped file's sections and "application: kind" names are translated.
TEST(RuleFile, CommunityGroupNumbersAndTheShippedNamesShowInTheUsersLanguage) {
    const std::vector<RuleEntry> community = ParseRules(
        "[A]\nLangSecRef=3021\n[B]\nLangSecRef=3022\n[C]\nLangSecRef=3023\n[D]\nLangSecRef=3024\n"
        "[E]\nLangSecRef=3025\n[F]\nLangSecRef=3026\n[G]\nLangSecRef= 3029 \n[H]\nLangSecRef=3999\n"
        "[I]\nLangSecRef=Games\n[J]\nSection=Games\n[K]\nSection=3021\n[L]\n[Viewer: "
        "cache]\nSection=Browsers\n");
    ASSERT_EQ(community.size(), 13u);
    EXPECT_TRUE(community[0].groupByNumber);
    EXPECT_FALSE(community[9].groupByNumber);
    EXPECT_EQ(community[0].group, "3021");  // the file's own text, for "/rules" and rules.log
    {
        test::Speaking german("de");
        EXPECT_EQ(GroupsShown(community, "winapp2.ini"),
                  (std::vector<std::string>{"Anwendungen", "Internet", "Multimedia", "Dienstprogramme",
                                            "Windows", "Firefox", "Google Chrome", "Andere", "Andere",
                                            "Games", "3021", "Andere", "Browsers"}));
        // Only the shipped file's names and sections are the program's own words.
        EXPECT_EQ(RuleNameShown(ItemOf(community[12], "winapp2.ini")), "Viewer: cache");
        EXPECT_EQ(RuleGroupShown(ItemOf(community[12], kOwnRuleFile)), "Browser");
        EXPECT_EQ(RuleNameShown(ItemOf(community[12], kOwnRuleFile)), "Viewer: Cache");
    }
    {
        test::Speaking japanese("ja");
        EXPECT_EQ(RuleGroupShown(ItemOf(community[0], "winapp2.ini")), "アプリケーション");
        EXPECT_EQ(RuleGroupShown(ItemOf(community[7], "winapp2.ini")), "その他");
    }
    {
        test::Speaking french("fr");
        EXPECT_EQ(RuleNameShown(ItemOf(community[12], kOwnRuleFile)), "Viewer : cache");
        RuleEntry unknownKind = community[12];
        unknownKind.name = "Viewer: sparkles";  // no key: shown as written
        EXPECT_EQ(RuleNameShown(ItemOf(unknownKind, kOwnRuleFile)), "Viewer: sparkles");
    }
    test::Speaking english;
    EXPECT_EQ(GroupsShown(community, "winapp2.ini")[7], "Other");
    EXPECT_EQ(RuleNameShown(ItemOf(community[12], kOwnRuleFile)), "Viewer: cache");
}
