// The settings sections of the configuration: pattern and skip lists, scan options, clean options,
// and the shipped factory configuration.
#include <gtest/gtest.h>

#include "core/ProgramPath.h"
#include "config/CleanOptionSettings.h"
#include "config/ConfigDocument.h"
#include "config/FactoryDescriptions.h"
#include "config/ListSettings.h"
#include "config/PathVariables.h"
#include "config/RuleSettings.h"
#include "config/ScanOptionSettings.h"
#include "scan/Wildcard.h"
#include "support/ConfigText.h"
#include "support/Speaking.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/ComPtr.h"
#include "win/Fold.h"
#include "win/Text.h"

namespace {

const char kShippedConfig[] =
#include "ShippedConfig.inc"
    ;

// Values the program never writes: attributes in another order, rows without a mask or a
// description, ticks that are no "0" or "1", an option without its tick and one missing.
std::string Sample() {
    test::ConfigParts sample;
    sample.patterns = {{{"file", "*.tmp"}, {"description", "Temporary"}, {"checked", "1"}},
                       {{"file", "~*"}, {"checked", "yes"}},
                       {{"description", "no mask"}, {"checked", " 1"}}};
    sample.factoryPatterns = {{{"file", "*.bak"}, {"description", "Factory backup"}, {"checked", "1"}},
                              {{"file", "*.old"}, {"description", "Factory old"}, {"checked", "0"}}};
    sample.options = {
        test::NotAccessedOption("1", "0", "6", "12"),  test::Option("SkipReadOnlyFiles", "5", "1"),
        test::Option("SkipSystemFiles", "", "1"),      test::Option("SkipHiddenFiles", "-1", "0"),
        test::Option("FindZeroLengthFiles", "0", "1"), test::Option("FindInvalidShortcuts", "1", "1"),
        test::Option("FindTemp", "abc", "1"),          {"FindIETemp", {{"default", "1"}}},
        test::Option("FindRecent", "0", "0"),          test::Option("FindIEHistory", "1", "0")};
    sample.skipFolders = {{{"folder", "C:\\Skip"}, {"checked", "1"}}};
    sample.factorySkipFolders = {{{"folder", "C:\\Windows"}, {"checked", "0"}}};
    sample.cleanMode = {{"index", "2"}, {"defaultindex", "0"}};
    sample.backup = {{"checked", "5"},
                     {"default", "1"},
                     {"BackupDirectory", "%TempDirectory%\\qm-backup"},
                     {"DefaultBackupDirectory", "%ModulePath%\\Backup"}};
    return test::ConfigText(sample);
}

// The attributes the program must never write, as the file holds them.
std::vector<std::string> FactoryTexts(const std::string& path) {
    ConfigDocument document(path);
    std::vector<std::string> texts;
    for (const char* rows :
         {"/config/quillmoor/junkfiles/default/item", "/config/quillmoor/SkipFolders/default/item"})
        for (const XmlNode& node : document.SelectNodes(rows))
            for (const char* name : {"file", "description", "folder", "checked"})
                texts.push_back(document.ReadAttribute(node.get(), name).value_or("<none>"));
    for (int option = 0; option < kScanOptionCount; ++option) {
        XmlNode node = document.SelectSingleNode(std::string("/config/quillmoor/options/") +
                                                 ScanOptionElement(ScanOption(option)));
        texts.push_back(document.ReadAttribute(node.get(), "default").value_or("<none>"));
        texts.push_back(document.ReadAttribute(node.get(), "monthdefault").value_or("<none>"));
    }
    texts.push_back(document.ReadText(
        document.SelectSingleNode("/config/quillmoor/CleanOptions/CleanMode").get(), "defaultindex"));
    XmlNode backup = document.SelectSingleNode("/config/quillmoor/CleanOptions/Backup");
    texts.push_back(document.ReadText(backup.get(), "default"));
    texts.push_back(document.ReadText(backup.get(), "DefaultBackupDirectory"));
    return texts;
}

std::string Attribute(const std::string& path, const std::string& xpath, const std::string& name) {
    ConfigDocument document(path);
    return document.ReadAttribute(document.SelectSingleNode(xpath).get(), name).value_or("<none>");
}

std::string TempFolderPath() {
    char temp[MAX_PATH + 1];
    DWORD n = ::GetTempPathA(MAX_PATH + 1, temp);
    return std::string(temp, n - 1);
}

class SettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { test::WriteFile(path_, Sample()); }
    win::ComApartment com_;
    test::TempFolder dir_;
    std::string path_ = dir_ / "config.xml";
};

}  // namespace

TEST_F(SettingsTest, ListsReadRowsInOrderWithTheirTicks) {
    EXPECT_EQ(
        ReadJunkPatterns(path_),
        (std::vector<JunkPattern>{{"*.tmp", "Temporary", true}, {"~*", "", false}, {"", "no mask", true}}));
    EXPECT_EQ(ReadJunkPatterns(path_, ValueSet::Factory),
              (std::vector<JunkPattern>{{"*.bak", "Factory backup", true}, {"*.old", "Factory old", false}}));
    EXPECT_EQ(ReadSkipFolders(path_), (std::vector<SkipFolder>{{"C:\\Skip", true}}));
    EXPECT_EQ(ReadSkipFolders(path_, ValueSet::Factory), (std::vector<SkipFolder>{{"C:\\Windows", false}}));
}

TEST_F(SettingsTest, ListsRoundTripThroughTheFile) {
    const std::vector<std::string> factory = FactoryTexts(path_);
    const std::vector<JunkPattern> patterns = {{"*.log", "Logs & \"more\" <x>", false},
                                               {"~*.*", "", true},
                                               {"*.log", "the same mask again", true},
                                               {"d\xC3\xA9j\xC3\xA0 \xE6\xBC\xA2.tmp", "caf\xC3\xA9", false}};
    // Names outside every ANSI code page come back exactly.
    const std::vector<SkipFolder> folders = {
        {"C:\\B", false}, {"C:\\Users\\\xC5\x81ukasz\\Dokumenty", true}, {"C:\\A", true}, {"C:\\A", true}};
    ASSERT_TRUE(WriteJunkPatterns(path_, patterns));
    ASSERT_TRUE(WriteSkipFolders(path_, folders));
    EXPECT_EQ(ReadJunkPatterns(path_), patterns);
    EXPECT_EQ(ReadSkipFolders(path_), folders);
    EXPECT_EQ(FactoryTexts(path_), factory);

    const std::string text = test::ReadFile(path_);
    EXPECT_NE(text.find("<item checked=\"1\" description=\"\" file=\"~*.*\"/>"), std::string::npos) << text;
    EXPECT_NE(text.find("<item checked=\"0\" folder=\"C:\\B\"/>"), std::string::npos) << text;

    // No rows leave an empty list element behind; the factory rows stay.
    ASSERT_TRUE(WriteJunkPatterns(path_, {}));
    ASSERT_TRUE(WriteSkipFolders(path_, {}));
    EXPECT_TRUE(ReadJunkPatterns(path_).empty());
    EXPECT_TRUE(ReadSkipFolders(path_).empty());
    ConfigDocument document(path_);
    for (const char* parent : {"/config/quillmoor/junkfiles/items", "/config/quillmoor/SkipFolders/items"}) {
        XmlNode items = document.SelectSingleNode(parent);
        ASSERT_TRUE(items) << parent;
        VARIANT_BOOL hasChildren = VARIANT_TRUE;
        items->hasChildNodes(&hasChildren);
        EXPECT_EQ(hasChildren, VARIANT_FALSE) << parent;
    }
    EXPECT_EQ(FactoryTexts(path_), factory);
}

TEST_F(SettingsTest, AListWithoutItsParentIsSavedUnchanged) {
    std::string sample = Sample();
    const size_t start = sample.find("<items>"), end = sample.find("</items>") + 8;
    sample.erase(start, end - start);
    test::WriteFile(path_, sample);
    EXPECT_TRUE(WriteJunkPatterns(path_, {{"*.new", "n", true}}));
    EXPECT_TRUE(ReadJunkPatterns(path_).empty());
    EXPECT_EQ(ReadJunkPatterns(path_, ValueSet::Factory).size(), 2u);
    EXPECT_EQ(ReadSkipFolders(path_), (std::vector<SkipFolder>{{"C:\\Skip", true}}));
}

// A file of an older version has no rule choices: every entry keeps its default. The choices go
// into an element of their own that leaves every other setting as it was, and a reader that does
// not know the element (an older version) reads the rest unchanged.
TEST_F(SettingsTest, RuleChoicesRoundTripBesideTheOlderSettings) {
    EXPECT_TRUE(ReadRuleChoices(path_).empty());
    EXPECT_TRUE(IsRuleTicked({}, "Quillmoor.rules", "Cache", true));
    const std::vector<JunkPattern> patterns = ReadJunkPatterns(path_);
    const std::vector<std::string> factory = FactoryTexts(path_);
    const std::vector<RuleChoice> choices = {{"Quillmoor.rules", "Google Chrome: cache", false},
                                             {"winapp2.ini", "Caf\xC3\xA9 & \"Co\" <x>", true}};
    ASSERT_TRUE(WriteRuleChoices(path_, choices));
    ASSERT_TRUE(WriteRuleChoices(path_, choices));  // replaced, not added twice
    EXPECT_EQ(ReadRuleChoices(path_), choices);
    EXPECT_FALSE(IsRuleTicked(choices, "Quillmoor.rules", "Google Chrome: cache", true));
    EXPECT_TRUE(IsRuleTicked(choices, "Quillmoor.rules", "Caf\xC3\xA9 & \"Co\" <x>", true));  // other file
    EXPECT_EQ(ReadJunkPatterns(path_), patterns);
    EXPECT_EQ(FactoryTexts(path_), factory);
    // An older version saves its own settings around the element and keeps it.
    ASSERT_TRUE(WriteJunkPatterns(path_, {{"*.old", "older", true}}));
    EXPECT_EQ(ReadRuleChoices(path_), choices);
}

TEST_F(SettingsTest, ScanOptionsReadAndWriteCurrentValuesOnly) {
    const std::vector<std::string> factory = FactoryTexts(path_);
    ScanOptionValues current = ReadScanOptions(path_);
    // "5" and "-1" tick, "", "abc" and a missing attribute or element do not.
    EXPECT_EQ(current.checked, (std::array<bool, kScanOptionCount>{true, true, false, true, false, true,
                                                                   false, false, false, true, false}));
    EXPECT_EQ(current.months, "6");
    ScanOptionValues defaults = ReadScanOptions(path_, ValueSet::Factory);
    EXPECT_EQ(defaults.checked, (std::array<bool, kScanOptionCount>{false, true, true, false, true, true,
                                                                    true, true, false, false, false}));
    EXPECT_EQ(defaults.months, "12");

    ASSERT_TRUE(WriteScanOptions(path_, current));
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/options/SkipReadOnlyFiles", "checked"),
              "1");  // "5" comes back as "1"
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/options/FindTemp", "checked"), "0");
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/options/FindIETemp", "checked"), "0");  // created
    EXPECT_FALSE(ConfigDocument(path_).SelectSingleNode("/config/quillmoor/options/FindIECookies"));
    EXPECT_EQ(ReadScanOptions(path_), current);

    ScanOptionValues changed = defaults;  // as after "_Default"
    changed.months = "";
    ASSERT_TRUE(WriteScanOptions(path_, changed));
    EXPECT_EQ(ReadScanOptions(path_), changed);
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/options/FindFilesHaveNotAccessed", "month"), "");
    changed.months = "0012x";  // written as typed
    ASSERT_TRUE(WriteScanOptions(path_, changed));
    EXPECT_EQ(ReadScanOptions(path_).months, "0012x");
    EXPECT_EQ(FactoryTexts(path_), factory);
}

TEST_F(SettingsTest, CleanOptionsExpandAndContractTheBackupFolder) {
    const std::vector<std::string> factory = FactoryTexts(path_);
    CleanOptionValues current = ReadCleanOptions(path_);
    EXPECT_EQ(current.removal, RemovalMode::RecycleBin);  // index "2"
    EXPECT_TRUE(current.backup);                          // checked "5"
    EXPECT_EQ(current.backupDirectory, TempFolderPath() + "\\qm-backup");
    EXPECT_EQ(ReadBackupDirectory(path_), current.backupDirectory);
    EXPECT_EQ(ReadCleanOptions(path_, ValueSet::Factory),
              (CleanOptionValues{RemovalMode::Permanent, true, ProgramDirectory() + "\\Backup"}));

    ASSERT_TRUE(WriteCleanOptions(path_, current));
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/CleanOptions/CleanMode", "index"), "1");
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/CleanOptions/Backup", "checked"), "1");
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/CleanOptions/Backup", "BackupDirectory"),
              "%TempDirectory%\\qm-backup");

    // The folder is written whether or not backups are on.
    ASSERT_TRUE(WriteCleanOptions(path_, {RemovalMode::Permanent, false, "E:\\Elsewhere"}));
    EXPECT_EQ(ReadCleanOptions(path_), (CleanOptionValues{RemovalMode::Permanent, false, "E:\\Elsewhere"}));
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/CleanOptions/CleanMode", "index"), "0");
    EXPECT_EQ(FactoryTexts(path_), factory);
}

TEST_F(SettingsTest, WithoutAFileEverythingReadsEmptyAndNothingIsWritten) {
    const std::string missing = dir_ / "absent\\config.xml";
    EXPECT_TRUE(ReadJunkPatterns(missing).empty());
    EXPECT_TRUE(ReadJunkPatterns(missing, ValueSet::Factory).empty());
    EXPECT_TRUE(ReadSkipFolders(missing).empty());
    EXPECT_EQ(ReadScanOptions(missing), ScanOptionValues{});
    EXPECT_EQ(ReadScanOptions(missing, ValueSet::Factory), ScanOptionValues{});
    EXPECT_EQ(ReadCleanOptions(missing), CleanOptionValues{});
    EXPECT_EQ(ReadBackupDirectory(missing), "");
    test::MakeFolders(dir_ / "absent");
    EXPECT_FALSE(WriteJunkPatterns(missing, {{"*.tmp", "t", true}}));
    EXPECT_FALSE(WriteSkipFolders(missing, {{"C:\\x", true}}));
    ScanOptionValues options;
    options.checked.fill(true);
    EXPECT_FALSE(WriteScanOptions(missing, options));
    EXPECT_FALSE(WriteCleanOptions(missing, {RemovalMode::RecycleBin, true, "C:\\b"}));
    EXPECT_FALSE(test::Exists(missing));
}

TEST_F(SettingsTest, TheShippedConfigurationLoadsWithSafeFactoryMasks) {
    test::WriteFile(path_, kShippedConfig);
    const std::vector<JunkPattern> patterns = ReadJunkPatterns(path_, ValueSet::Factory);
    ASSERT_GE(patterns.size(), 5u);
    EXPECT_EQ(ReadJunkPatterns(path_), patterns);
    EXPECT_EQ(ReadScanOptions(path_), ReadScanOptions(path_, ValueSet::Factory));
    EXPECT_EQ(ReadSkipFolders(path_), ReadSkipFolders(path_, ValueSet::Factory));
    EXPECT_EQ(ReadCleanOptions(path_), ReadCleanOptions(path_, ValueSet::Factory));
    // A new installation gives restore points back after 14 days.
    EXPECT_EQ(ReadCleanOptions(path_),
              (CleanOptionValues{RemovalMode::Permanent, true, ProgramDirectory() + "\\Backup", true, 14}));
    const ScanOptionValues options = ReadScanOptions(path_);
    EXPECT_TRUE(options.checked[kSkipSystemFiles]);
    // Office owner files ("~$report.docx") match the factory "~*.*" and are hidden: skip hidden files.
    EXPECT_TRUE(options.checked[kSkipHiddenFiles]);
    EXPECT_TRUE(ReadScanOptions(path_, ValueSet::Factory).checked[kSkipHiddenFiles]);
    EXPECT_TRUE(options.checked[kFindTemp]);
    EXPECT_FALSE(options.checked[kFindIECookies]);
    EXPECT_EQ(options.months, "12");

    const char* ordinary[] = {
        "report.docx",     "photo.jpg",        "notes.txt",         "budget.xlsx",    "thesis.pdf",
        "song.mp3",        "holiday.mp4",      "slides.pptx",       "archive.zip",    "letter.doc",
        "setup.exe",       "index.html",       "data.csv",          "contacts.vcf",   "diary.odt",
        "readme.md",       "template.dotx",    "temp notes.txt",    "tmp.txt",        "old photos.zip",
        "bakery menu.pdf", "dump truck.jpg",   "checklist.xlsx",    "thumbs up.png",  "my.tmpl.txt",
        "backup.zip",      "database.accdb",   "chkdsk report.txt", "file0001.txt",   "help.chm",
        "install.log.txt", "scan 001.tif",     "logo.svg",          "mail.pst",       "game.sav",
        "report.old.docx", "invoice-2024.pdf", "draft~1.docx",      "photo (1).jpeg", "movie.mkv",
    };
    const char* junk[] = {
        "a.tmp",       "x.temp",           "~$report.docx",       "report.~doc",  "setup.$$$",
        "memory.dmp",  "hs_err_pid42.log", "drwtsn32.log",        "file0000.chk", "thumbs.db",
        "ehthumbs.db", "winhelp.gid",      "winhelp.fts",         "winhelp.ftg",  "mscreate.dir",
        "report.bak",  "settings.old",     "backup of report.wbk"};
    for (const JunkPattern& pattern : patterns) {
        SCOPED_TRACE(pattern.file);
        EXPECT_FALSE(pattern.description.empty());
        const std::wstring mask = win::FoldedText(pattern.file);
        for (const char* name : ordinary)
            EXPECT_FALSE(MatchWildcard(mask, win::FoldedText(name))) << name;
        bool matchesSomeJunk = false;
        for (const char* name : junk)
            matchesSomeJunk = matchesSomeJunk || MatchWildcard(mask, win::FoldedText(name));
        EXPECT_TRUE(matchesSomeJunk) << "a mask that matches none of the junk examples";
    }

    // Written back as it was read, the file keeps every byte; so does a file this build wrote.
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(WriteJunkPatterns(path_, ReadJunkPatterns(path_)));
        ASSERT_TRUE(WriteSkipFolders(path_, ReadSkipFolders(path_)));
        ASSERT_TRUE(WriteScanOptions(path_, ReadScanOptions(path_)));
        ASSERT_TRUE(WriteCleanOptions(path_, ReadCleanOptions(path_)));
        EXPECT_EQ(test::ReadFile(path_), kShippedConfig) << "round " << round;
    }

    // A full round of the four writers keeps every factory value.
    const std::vector<std::string> factory = FactoryTexts(path_);
    ASSERT_TRUE(WriteJunkPatterns(path_, ReadJunkPatterns(path_)));
    ASSERT_TRUE(WriteSkipFolders(path_, {{"C:\\Skip", true}}));
    ASSERT_TRUE(WriteScanOptions(path_, ReadScanOptions(path_)));
    ASSERT_TRUE(WriteCleanOptions(path_, ReadCleanOptions(path_)));
    EXPECT_EQ(FactoryTexts(path_), factory);
    EXPECT_EQ(ReadJunkPatterns(path_), patterns);
    EXPECT_EQ(Attribute(path_, "/config/quillmoor/CleanOptions/Backup", "BackupDirectory"),
              "%ModulePath%\\Backup");
}

// Every setting a scan reads is read strictly: a value the program would never write names
// itself, and what cannot be read comes back as its factory value (the whole list for a list),
// never as a choice nobody made.
TEST(StrictSettings, ADamagedSettingNamesItselfAndReadsAsItsFactoryValue) {
    win::ComApartment com;
    test::TempFolder dir;
    const std::string path = dir / "config.xml";
    auto base = [] {
        test::ConfigParts parts;
        parts.patterns = {test::PatternRow("1", "Temporary", "*.tmp"), test::PatternRow("0", "Old", "*.old")};
        parts.factoryPatterns = {test::PatternRow("1", "Factory dump", "*.dmp")};
        parts.options = test::ScanOptions(
            {test::NotAccessedOption("1", "1", "6", "12"), test::Option("SkipHiddenFiles", "0", "1")});
        parts.skipFolders = {test::FolderRow("1", "C:\\Skip"), test::FolderRow("0", "")};
        parts.factorySkipFolders = {test::FolderRow("1", "C:\\FactorySkip")};
        return parts;
    };
    const std::vector<JunkPattern> factoryPatterns = {{"*.dmp", "Factory dump", true}};
    const std::vector<SkipFolder> factorySkips = {{"C:\\FactorySkip", true}};

    // Intact, with an empty unticked skip row: everything reads as written.
    test::WriteFile(path, test::ConfigText(base()));
    EXPECT_EQ(ReadJunkPatternsStrictly(path).unreadable, "");
    EXPECT_EQ(ReadJunkPatternsStrictly(path).values, ReadJunkPatterns(path));
    EXPECT_EQ(ReadSkipFoldersStrictly(path).unreadable, "");
    EXPECT_EQ(ReadSkipFoldersStrictly(path).values, ReadSkipFolders(path));
    const StrictlyRead<ScanOptionValues> intact = ReadScanOptionsStrictly(path);
    EXPECT_EQ(intact.unreadable, "");
    EXPECT_EQ(intact.values, ReadScanOptions(path));

    struct Case {
        const char* what;
        void (*damage)(test::ConfigParts&);
        std::string unreadable;
    };
    const Case cases[] = {
        {"months not a number",
         [](test::ConfigParts& p) { p.options[0] = test::NotAccessedOption("1", "1", "abc", "12"); },
         "FindFilesHaveNotAccessed month"},
        {"months empty",
         [](test::ConfigParts& p) { p.options[0] = test::NotAccessedOption("1", "1", "", "12"); },
         "FindFilesHaveNotAccessed month"},
        {"months beyond the int range",
         [](test::ConfigParts& p) { p.options[0] = test::NotAccessedOption("1", "1", "99999999999", "12"); },
         "FindFilesHaveNotAccessed month"},
        {"a tick spelt out",
         [](test::ConfigParts& p) { p.options[3] = test::Option("SkipHiddenFiles", "yes", "1"); },
         "SkipHiddenFiles checked"},
        {"an option missing", [](test::ConfigParts& p) { p.options.erase(p.options.begin() + 3); },
         "SkipHiddenFiles checked"},
        {"a pattern's tick spelt out",
         [](test::ConfigParts& p) { p.patterns[1] = test::PatternRow("yes", "Old", "*.old"); },
         "junkfiles item 2 checked"},
        {"a ticked pattern without a mask",
         [](test::ConfigParts& p) {
             p.patterns[1] = {{"checked", "1"}, {"description", "Old"}};
         },
         "junkfiles item 2 file"},
        {"a skip folder's tick spelt out",
         [](test::ConfigParts& p) { p.skipFolders[0] = test::FolderRow("yes", "C:\\Skip"); },
         "SkipFolders item 1 checked"},
        {"a ticked skip folder that is empty",
         [](test::ConfigParts& p) { p.skipFolders[1] = test::FolderRow("1", ""); },
         "SkipFolders item 2 folder"},
    };
    for (const Case& c : cases) {
        test::ConfigParts parts = base();
        c.damage(parts);
        test::WriteFile(path, test::ConfigText(parts));
        const auto patterns = ReadJunkPatternsStrictly(path);
        const auto options = ReadScanOptionsStrictly(path);
        const auto skips = ReadSkipFoldersStrictly(path);
        const std::string named = patterns.unreadable + options.unreadable + skips.unreadable;
        EXPECT_EQ(named, c.unreadable) << c.what;
        EXPECT_EQ(patterns.values, patterns.unreadable.empty() ? ReadJunkPatterns(path) : factoryPatterns)
            << c.what;
        EXPECT_EQ(skips.values, skips.unreadable.empty() ? ReadSkipFolders(path) : factorySkips) << c.what;
        if (!options.unreadable.empty()) {
            // Only the damaged value takes its factory value; the others stay as written.
            ScanOptionValues expected = intact.values;
            if (c.unreadable == "FindFilesHaveNotAccessed month")
                expected.months = "12";
            else  // its factory tick, which a missing element does not hold either
                expected.checked[kSkipHiddenFiles] = std::string(c.what) != "an option missing";
            EXPECT_EQ(options.values, expected) << c.what;
        }
    }

    // With the not-accessed test off, its months are not read.
    test::ConfigParts off = base();
    off.options[0] = test::NotAccessedOption("0", "1", "", "12");
    test::WriteFile(path, test::ConfigText(off));
    EXPECT_EQ(ReadScanOptionsStrictly(path).unreadable, "");
    // A list without its element could not be read at all.
    test::WriteFile(path, "<config><quillmoor><options/></quillmoor></config>");
    EXPECT_EQ(ReadJunkPatternsStrictly(path).unreadable, "junkfiles items");
    EXPECT_EQ(ReadSkipFoldersStrictly(path).unreadable, "SkipFolders items");
}

// Only what the program writes reads strictly: "0" or "1" for a tick, decimal digits for a count.
TEST(StrictSettings, StrictValuesAreThoseTheProgramWrites) {
    EXPECT_EQ(StrictFlag("1"), std::optional<bool>(true));
    EXPECT_EQ(StrictFlag("0"), std::optional<bool>(false));
    for (const char* bad : {"", "yes", " 1", "5", "-1", "01"})
        EXPECT_FALSE(StrictFlag(std::string(bad))) << bad;
    EXPECT_FALSE(StrictFlag(std::nullopt));
    EXPECT_EQ(StrictCount("0"), std::optional<int>(0));
    EXPECT_EQ(StrictCount("0012"), std::optional<int>(12));
    EXPECT_EQ(StrictCount("2147483647"), std::optional<int>(2147483647));
    for (const char* bad : {"", "abc", "12 months", "-1", "+3", " 6", "2147483648", "99999999999"})
        EXPECT_FALSE(StrictCount(std::string(bad))) << bad;
}

// Restore points expire only where config.xml says so: a file written before the setting existed
// keeps every point, and a damaged setting never passes for a number of days.
TEST(StrictSettings, TheRestorePointsExpiryIsReadStrictlyAndIsOffWithoutItsElement) {
    win::ComApartment com;
    test::TempFolder dir;
    const std::string path = dir / "config.xml";
    struct Case {
        const char* what;
        std::optional<test::Attributes> element;
        int expiryDays;  // -1: unreadable
        std::string unreadable;
    };
    const Case cases[] = {
        {"no element, as written before", std::nullopt, 0, ""},
        {"ticked", test::Attributes{{"checked", "1"}, {"days", "14"}}, 14, ""},
        {"unticked", test::Attributes{{"checked", "0"}, {"days", "30"}}, 0, ""},
        {"unticked, days damaged", test::Attributes{{"checked", "0"}, {"days", "x"}}, 0, ""},
        {"tick spelt out", test::Attributes{{"checked", "yes"}, {"days", "14"}}, -1,
         "RemoveRestorePoints checked"},
        {"tick missing", test::Attributes{{"days", "14"}}, -1, "RemoveRestorePoints checked"},
        {"days not a number", test::Attributes{{"checked", "1"}, {"days", "two"}}, -1,
         "RemoveRestorePoints days"},
        {"no days", test::Attributes{{"checked", "1"}}, -1, "RemoveRestorePoints days"},
        {"zero days", test::Attributes{{"checked", "1"}, {"days", "0"}}, -1, "RemoveRestorePoints days"},
    };
    for (const Case& c : cases) {
        test::ConfigParts parts;
        parts.removeRestorePoints = c.element;
        test::WriteFile(path, test::ConfigText(parts));
        const StrictCleanOptions read = ReadCleanOptionsStrictly(path);
        EXPECT_EQ(read.unreadable, c.unreadable) << c.what;
        if (c.expiryDays >= 0)
            EXPECT_EQ(read.values.ExpiryDays(), c.expiryDays) << c.what;
        else  // the factory values, which this file does not hold either: every point kept
            EXPECT_EQ(read.values.ExpiryDays(), 0) << c.what;
    }
}

// Saving the clean options into a file written before the setting existed adds the element with
// the user's choice only: that file's factory values still keep every point.
TEST(StrictSettings, SavingTheExpiryIntoAnOlderFileAddsItWithoutFactoryValues) {
    win::ComApartment com;
    test::TempFolder dir;
    const std::string path = dir / "config.xml";
    test::WriteFile(path, test::ConfigText(test::ConfigParts{}));
    CleanOptionValues values = ReadCleanOptions(path);
    EXPECT_EQ(values.ExpiryDays(), 0);
    values.removeOldPoints = true;
    values.pointDays = 30;
    ASSERT_TRUE(WriteCleanOptions(path, values));
    EXPECT_EQ(ReadCleanOptionsStrictly(path).values.ExpiryDays(), 30);
    EXPECT_EQ(ReadCleanOptions(path, ValueSet::Factory).ExpiryDays(), 0);
    EXPECT_EQ(ReadCleanOptions(path, ValueSet::Factory).pointDays, 14);  // the box's count, unticked
    EXPECT_EQ(ReadCleanOptions(path).backupDirectory, values.backupDirectory);
}

// The shipped patterns' descriptions show in the user's language while config.xml holds the
// factory's English text, and go back to it when stored; a description the user wrote, or a
// factory one the user changed, is shown and stored as written.
TEST(FactoryDescriptions, ShowInTheUsersLanguageWhileTheyAreTheFactoryText) {
    test::ProgramFolder program;
    const std::vector<JunkPattern> factory = ReadJunkPatterns(program / "config.xml", ValueSet::Factory);
    ASSERT_EQ(factory.size(), 18u);
    EXPECT_EQ(ReadJunkPatterns(program / "config.xml"), factory);
    {
        test::Speaking japanese("ja");
        for (const JunkPattern& pattern : factory) {
            const std::string shown = DescriptionShown(pattern.description);
            EXPECT_NE(shown, pattern.description);
            EXPECT_EQ(shown.find("check before"), std::string::npos) << shown;
            EXPECT_EQ(DescriptionStored(shown), pattern.description) << shown;
        }
    }
    {
        test::Speaking german("de");
        EXPECT_EQ(DescriptionShown("Backup copies made by programs (check before removing)"),
                  "Sicherungskopien von Programmen (vor dem Entfernen prüfen)");
        for (const std::string own :
             {"My own notes", "Temporary files!", "temporary files", "", "Temporäre Datei"}) {
            EXPECT_EQ(DescriptionShown(own), own);
            EXPECT_EQ(DescriptionStored(own), own);
        }
    }
    test::Speaking english;
    for (const JunkPattern& pattern : factory)
        EXPECT_EQ(DescriptionShown(pattern.description), pattern.description);
}
