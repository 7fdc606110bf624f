// The Applications list, opened from the scan options page as a user would, on rule files the
// test writes beside its own program folder: the offered entries in their groups, the warning
// asked before a warned entry is ticked, Defaults, Cancel and OK, and the choices reaching a scan.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "config/ListSettings.h"
#include "config/RuleSettings.h"
#include "config/RuleVariables.h"
#include "config/ScanOptionSettings.h"
#include "core/FormatText.h"
#include "core/LanguageChoice.h"
#include "core/LanguageFile.h"
#include "pages/RuleTickList.h"
#include "pages/SettingsPages.h"
#include "resources/ResourceIds.h"
#include "session/Session.h"
#include "support/PageHost.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/Dialog.h"
#include "win/Text.h"
#include "win/TreeView.h"

namespace {

// A tree item by its text among parent's children (the top level for null), or null.
HTREEITEM Find(const win::TreeView& tree, HTREEITEM parent, const std::string& text) {
    for (HTREEITEM item = parent ? tree.Child(parent) : tree.Root(); item; item = tree.Next(item))
        if (tree.Text(item) == text)
            return item;
    return nullptr;
}

std::vector<std::string> Texts(const win::TreeView& tree, HTREEITEM parent) {
    std::vector<std::string> texts;
    for (HTREEITEM item = parent ? tree.Child(parent) : tree.Root(); item; item = tree.Next(item))
        texts.push_back(tree.Text(item));
    return texts;
}

void Space(const win::TreeView& tree, HTREEITEM item) {
    TreeView_SelectItem(tree.Handle(), item);
    ::SendMessageW(tree.Handle(), WM_KEYDOWN, VK_SPACE, 0);
}

}  // namespace

TEST(ApplicationsDialog, ShowsOfferedEntriesInGroupsAsksWarningsAndStoresTicksThatReachTheScan) {
    test::TempFolder profile;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    // A stored choice of an entry that is not offered here stays whatever the dialog does.
    ASSERT_TRUE(WriteRuleChoices(config, {{"Quillmoor.rules", "Not here", false}}));
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", win::Wide(profile.Path()).c_str());
    test::WriteFile(
        program / "Quillmoor.rules",
        "[Test Browser: cache *]\nSection=Browsers\nDefault=True\n"
        "FileKey1=%QM_TEST_PROFILE%\\Browser|*.tmp\n"
        "[Test Editor: logs]\nSection=Editors\nDefault=True\nFileKey1=%QM_TEST_PROFILE%\\Editor|*.log\n"
        "[Test Player: thumbnails]\nSection=Editors\nDefault=True\nWarning=Also removes playlists.\n"
        "FileKey1=%QM_TEST_PROFILE%\\Player|*.thumb\n"
        "[Not here]\nSection=Editors\nDetectFile=%QM_TEST_PROFILE%\\Nothing\nDefault=True\n"
        "FileKey1=%QM_TEST_PROFILE%|*.txt\n");
    test::WriteFile(program / "winapp2.ini",
                    "[Test Viewer *]\nSection=Browsers\nDefault=True\n"
                    "FileKey1=%QM_TEST_PROFILE%\\Viewer|*.tmp\n");
    const std::string browser = profile / "Browser\\a.tmp", editor = profile / "Editor\\b.log",
                      player = profile / "Player\\c.thumb", viewer = profile / "Viewer\\d.tmp";
    for (const std::string& file : {browser, editor, player, viewer})
        test::WriteFile(file, "junk");
    test::MakeFolders(profile / "Documents");

    test::PageHost host;
    test::RecordingPrompts prompts;
    ScanOptionValues options;
    OptionsPage page(options);
    ASSERT_TRUE(page.CreateIn(host.Handle()));

    // Cancel stores nothing, whatever was changed.
    std::vector<std::string> groups, editors, note;
    std::vector<int> states;
    prompts.onDialog = [&](HWND dialog, int) {
        win::TreeView tree(::GetDlgItem(dialog, IDC_APPLICATIONS_TREE));
        groups = Texts(tree, nullptr);
        editors = Texts(tree, Find(tree, nullptr, "Editors"));
        HWND noteControl = ::GetDlgItem(dialog, IDC_APPLICATIONS_NOTE);
        note.push_back(test::WindowText(noteControl));
        // The note shows whole in every shipped language, with a large count.
        for (const ShippedLanguage& language : FindShippedLanguages(test::SourceFile("data/Languages"))) {
            LanguageTexts texts;
            ReadLanguageFile(language.path, texts);
            win::SetWindowTextOf(noteControl, FormatText(texts["_applicationsnotoffered"], {123456LL}));
            EXPECT_TRUE(test::ShowsItsTextWhole(noteControl)) << language.tag;
        }
        Space(tree, Find(tree, nullptr, "Browsers"));
        test::Click(dialog, IDCANCEL);
    };
    test::Click(page.Handle(), IDC_OPTIONS_APPLICATIONS);
    ASSERT_EQ(prompts.dialogs, std::vector<int>{IDD_APPLICATIONS});
    EXPECT_EQ(groups, (std::vector<std::string>{"Browsers", "Editors", "Browsers (winapp2.ini)"}));
    EXPECT_EQ(editors, (std::vector<std::string>{"Test Editor: logs", "Test Player: thumbnails"}));
    EXPECT_NE(note[0].find(": 1 "), std::string::npos) << note[0];
    EXPECT_EQ(ReadRuleChoices(config), (std::vector<RuleChoice>{{"Quillmoor.rules", "Not here", false}}));

    // Untick an entry and a whole group; a warned entry is ticked only on Yes, and Defaults puts
    // back the first ticks before the choices are made again.
    prompts.onDialog = [&](HWND dialog, int) {
        win::TreeView tree(::GetDlgItem(dialog, IDC_APPLICATIONS_TREE));
        const HTREEITEM editorsGroup = Find(tree, nullptr, "Editors");
        const HTREEITEM logs = Find(tree, editorsGroup, "Test Editor: logs");
        const HTREEITEM thumbnails = Find(tree, editorsGroup, "Test Player: thumbnails");
        const HTREEITEM viewers = Find(tree, nullptr, "Browsers (winapp2.ini)");
        auto record = [&] {
            for (HTREEITEM item : {editorsGroup, logs, thumbnails, viewers})
                states.push_back(tree.StateImage(item));
        };
        record();  // as loaded: the warned entry unticked
        Space(tree, logs);
        Space(tree, viewers);
        prompts.answers = {IDNO};
        Space(tree, thumbnails);
        record();
        test::Click(dialog, IDC_APPLICATIONS_DEFAULT);
        record();
        Space(tree, logs);
        Space(tree, viewers);
        prompts.answers = {IDYES};
        Space(tree, thumbnails);
        record();
        test::Click(dialog, IDOK);
    };
    test::Click(page.Handle(), IDC_OPTIONS_APPLICATIONS);
    using T = RuleTickList;
    // The winapp2.ini entry's Default=True ticks nothing: only the user ticks it.
    EXPECT_EQ(states, (std::vector<int>{T::kSome, T::kTicked, T::kUnticked, T::kUnticked,      // loaded
                                        T::kUnticked, T::kUnticked, T::kUnticked, T::kTicked,  // No
                                        T::kSome, T::kTicked, T::kUnticked, T::kUnticked,      // Defaults
                                        T::kSome, T::kUnticked, T::kTicked, T::kTicked}));     // Yes
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_NE(prompts.messages[0].find("Also removes playlists."), std::string::npos) << prompts.messages[0];
    EXPECT_EQ(prompts.styles[0] & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(ReadRuleChoices(config),
              (std::vector<RuleChoice>{{"Quillmoor.rules", "Not here", false},
                                       {"Quillmoor.rules", "Test Editor: logs", false},
                                       {"Quillmoor.rules", "Test Player: thumbnails", true},
                                       {"winapp2.ini", "Test Viewer", true}}));
    ::DestroyWindow(page.Handle());

    // A scan lists the files of the ticked entries only.
    ASSERT_EQ(Session(program.Path())
                  .RunUnattended({UnattendedKind::Report, {profile / "Documents"}, profile / "report.csv"}),
              UnattendedEnd::Done);
    const std::string report = test::ReadFile(profile / "report.csv");
    EXPECT_NE(report.find(browser + ","), std::string::npos) << report;
    EXPECT_NE(report.find(player + ","), std::string::npos) << report;
    EXPECT_EQ(report.find(editor + ","), std::string::npos) << report;
    EXPECT_NE(report.find(viewer + ","), std::string::npos) << report;
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", nullptr);
}

// A community group holding a browser's passwords, cookies and cache: its tick takes the cache
// only; the other two stand in a group of their own at the end and are ticked one by one, after
// a question that names what they reach.
TEST(ApplicationsDialog, AGroupsTickNeverTicksWhatTheUserKeeps) {
    test::TempFolder profile;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", win::Wide(profile.Path()).c_str());
    test::WriteFile(program / "winapp2.ini",
                    "[Browser Passwords *]\nLangSecRef=3021\nDefault=True\n"
                    "FileKey1=%QM_TEST_PROFILE%\\Browser\\Default|Login Data*\n"
                    "[Browser Cookies *]\nLangSecRef=3021\nDefault=True\n"
                    "FileKey1=%QM_TEST_PROFILE%\\Browser\\Default\\Network|Cook*\n"
                    "[Browser Cache *]\nLangSecRef=3021\nDefault=True\n"
                    "FileKey1=%QM_TEST_PROFILE%\\Browser\\Default\\Cache|*|RECURSE\n");

    test::PageHost host;
    test::RecordingPrompts prompts;
    ScanOptionValues options;
    OptionsPage page(options);
    ASSERT_TRUE(page.CreateIn(host.Handle()));
    std::vector<std::string> groups, kept;
    std::vector<int> states;
    prompts.onDialog = [&](HWND dialog, int) {
        win::TreeView tree(::GetDlgItem(dialog, IDC_APPLICATIONS_TREE));
        groups = Texts(tree, nullptr);
        const HTREEITEM community = Find(tree, nullptr, "Applications (winapp2.ini)");
        const HTREEITEM keptGroup = tree.Next(community);
        kept = Texts(tree, keptGroup);
        const HTREEITEM cookies = tree.Next(tree.Child(keptGroup));
        Space(tree, community);
        Space(tree, keptGroup);  // asks nothing and ticks nothing
        states = {tree.StateImage(community), tree.StateImage(keptGroup)};
        prompts.answers = {IDNO};
        Space(tree, cookies);
        states.push_back(tree.StateImage(cookies));
        prompts.answers = {IDYES};
        Space(tree, cookies);
        states.push_back(tree.StateImage(cookies));
        test::Click(dialog, IDOK);
    };
    test::Click(page.Handle(), IDC_OPTIONS_APPLICATIONS);
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[1].rfind("Kept by default: passwords, cookies", 0), 0u) << groups[1];
    EXPECT_EQ(kept, (std::vector<std::string>{"Browser Passwords (saved passwords and credentials)",
                                              "Browser Cookies (cookies)"}));
    using T = RuleTickList;
    EXPECT_EQ(states, (std::vector<int>{T::kTicked, T::kUnticked, T::kUnticked, T::kTicked}));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_NE(prompts.messages[0].find("Browser Cookies reaches your cookies"), std::string::npos)
        << prompts.messages[0];
    EXPECT_EQ(ReadRuleChoices(config), (std::vector<RuleChoice>{{"winapp2.ini", "Browser Cache", true},
                                                                {"winapp2.ini", "Browser Cookies", true}}));
    ::DestroyWindow(page.Handle());
    ::SetEnvironmentVariableW(L"QM_TEST_PROFILE", nullptr);
}

// An application whose cache its structure shows has a tick of its own in "Found by their
// structure", ticked until the user unticks it; the untick is kept in config.xml and the scan
// leaves that application's cache alone while it takes the others'.
TEST(ApplicationsDialog, AnApplicationFoundByItsCachesStructureHasATickTheScanHonours) {
    test::TempFolder profile;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    test::MakeFolders(profile / "Documents");
    // The scan looks in the user's own application data: the test's folders there go again.
    const std::string local = KnownFolderPath(FOLDERID_LocalAppData);
    ASSERT_FALSE(local.empty());
    const std::string kept = local + "\\QmKeptApp", taken = local + "\\QmTakenApp";
    struct Remove {
        std::vector<std::string> folders;
        ~Remove() {
            for (const std::string& folder : folders)
                test::RemoveTree(folder);
        }
    } remove{{kept, taken}};
    for (const std::string& app : {kept, taken}) {
        for (const char* name : {"index", "data_0", "data_1", "data_2", "data_3"})
            test::WriteFile(app + "\\GPUCache\\" + name);
        test::WriteFile(app + "\\settings.json");
    }

    test::PageHost host;
    test::RecordingPrompts prompts;
    ScanOptionValues options;
    OptionsPage page(options);
    ASSERT_TRUE(page.CreateIn(host.Handle()));
    const std::string group = "Found by their structure";
    std::vector<std::string> applications;
    std::vector<int> states;
    prompts.onDialog = [&](HWND dialog, int) {
        win::TreeView tree(::GetDlgItem(dialog, IDC_APPLICATIONS_TREE));
        const HTREEITEM found = Find(tree, nullptr, group);
        applications = Texts(tree, found);
        const HTREEITEM keptItem = Find(tree, found, "QmKeptApp");
        states = {tree.StateImage(found), tree.StateImage(keptItem)};
        Space(tree, keptItem);
        states.insert(states.end(), {tree.StateImage(found), tree.StateImage(keptItem)});
        test::Click(dialog, IDOK);
    };
    test::Click(page.Handle(), IDC_OPTIONS_APPLICATIONS);
    EXPECT_EQ(applications, (std::vector<std::string>{"QmKeptApp", "QmTakenApp"}));
    using T = RuleTickList;
    EXPECT_EQ(states, (std::vector<int>{T::kTicked, T::kTicked, T::kSome, T::kUnticked}));
    EXPECT_EQ(ReadRuleChoices(config), (std::vector<RuleChoice>{{kCacheChoiceFile, "QmKeptApp", false}}));

    ASSERT_EQ(Session(program.Path())
                  .RunUnattended({UnattendedKind::Report, {profile / "Documents"}, profile / "report.csv"}),
              UnattendedEnd::Done);
    const std::string report = test::ReadFile(profile / "report.csv");
    EXPECT_NE(report.find(taken + "\\GPUCache\\index,"), std::string::npos) << report;
    EXPECT_NE(report.find("QmTakenApp: graphics cache"), std::string::npos) << report;
    EXPECT_EQ(report.find(kept), std::string::npos) << report;
    EXPECT_EQ(report.find("settings.json"), std::string::npos) << report;

    // Opened again, the untick shows; Defaults ticks it again and nothing is left to keep.
    prompts.onDialog = [&](HWND dialog, int) {
        win::TreeView tree(::GetDlgItem(dialog, IDC_APPLICATIONS_TREE));
        const HTREEITEM keptItem = Find(tree, Find(tree, nullptr, group), "QmKeptApp");
        states = {tree.StateImage(keptItem)};
        test::Click(dialog, IDC_APPLICATIONS_DEFAULT);
        states.push_back(tree.StateImage(keptItem));
        test::Click(dialog, IDOK);
    };
    test::Click(page.Handle(), IDC_OPTIONS_APPLICATIONS);
    EXPECT_EQ(states, (std::vector<int>{T::kUnticked, T::kTicked}));
    EXPECT_EQ(ReadRuleChoices(config), std::vector<RuleChoice>{});
    ::DestroyWindow(page.Handle());
}
