// The settings pages on the real resources, each loading from and storing to a real config.xml:
// the folder tree with its three-state ticks, the pattern list and its dialog, the scan and clean
// options, and the skip list.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/LanguageTable.h"
#include "config/CleanOptionSettings.h"
#include "config/ConfigDocument.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "pages/FolderPage.h"
#include "config/WizardSettings.h"
#include "pages/SettingsPages.h"
#include "resources/ResourceIds.h"
#include "support/ConfigText.h"
#include "support/PageHost.h"
#include "support/WindowTest.h"
#include "win/ListView.h"

namespace {

std::string TestConfig() {
    test::ConfigParts config;
    config.patterns = {test::PatternRow("1", "Temporary", "*.tmp"), test::PatternRow("0", "Backup", "*.bak"),
                       test::PatternRow("1", "Dump", "*.dmp")};
    config.factoryPatterns = {test::PatternRow("0", "Factory old", "*.old"),
                              test::PatternRow("1", "Factory temp", "*.tmp")};
    config.options = test::ScanOptions(
        {test::NotAccessedOption("5", "0", "7", "12"), test::Option("SkipReadOnlyFiles", "0", "1"),
         test::Option("SkipSystemFiles", "1", "1"), test::Option("SkipHiddenFiles", "1", "0"),
         test::Option("FindInvalidShortcuts", "0", "1"), test::Option("FindTemp", "1", "1"),
         test::Option("FindIETemp", "0", "1"), test::Option("FindRecent", "1", "0"),
         test::Option("FindIECookies", "0", "1")});
    config.skipFolders = {test::FolderRow("1", "C:\\keep-out"), test::FolderRow("0", "C:\\not-now")};
    config.factorySkipFolders = {test::FolderRow("1", "C:\\factory-skip")};
    config.cleanMode = test::CleanMode("0", "1");
    config.backup = test::Backup("0", "1", "%ModulePath%\\Backup", "%ModulePath%\\Factory");
    return test::ConfigText(config);
}

// The option boxes in load order.
constexpr int kOptionBoxes[kScanOptionCount] = {
    IDC_OPTIONS_NOTACCESSED, IDC_OPTIONS_SKIPREADONLY,     IDC_OPTIONS_SKIPSYSTEM, IDC_OPTIONS_SKIPHIDDEN,
    IDC_OPTIONS_ZEROLENGTH,  IDC_OPTIONS_INVALIDSHORTCUTS, IDC_OPTIONS_TEMP,       IDC_OPTIONS_IETEMP,
    IDC_OPTIONS_RECENT,      IDC_OPTIONS_IEHISTORY,        IDC_OPTIONS_IECOOKIES};

class SettingsPagesTest : public ::testing::Test {
  protected:
    // One host for the whole program: destroying a shown top-level window costs seconds under
    // Wine without a window manager.
    static void SetUpTestSuite() { host_ = new test::PageHost; }
    static void TearDownTestSuite() {
        delete host_;
        host_ = nullptr;
    }

    template <typename Page, typename... Values>
    std::unique_ptr<Page> Make(Values&... values) {
        auto page = std::make_unique<Page>(values...);
        EXPECT_TRUE(page->CreateIn(host_->Handle()));
        ::SetWindowPos(page->Handle(), nullptr, 0, 0, 860, 480, SWP_NOZORDER | SWP_SHOWWINDOW);
        return page;
    }
    // Destroys the page's window as the frame's closing does (which is when a page stores its
    // settings), then the page.
    template <typename Page>
    static void Close(std::unique_ptr<Page>& page) {
        ::DestroyWindow(page->Handle());
        page.reset();
    }
    static std::string Config() { return test::ReadFile(ConfigFilePath()); }

    static test::PageHost* host_;
    test::ProgramFolder program_{TestConfig()};
    test::RecordingPrompts prompts_;
    WizardSettings settings_;  // what the pages show and store
};
test::PageHost* SettingsPagesTest::host_ = nullptr;

// The folder tree, read and driven as a user would with the keyboard.
class Tree {
  public:
    explicit Tree(HWND tree) : tree_(tree) {}
    std::vector<HTREEITEM> Children(HTREEITEM parent) const {
        std::vector<HTREEITEM> items;
        for (HTREEITEM c = parent ? TreeView_GetChild(tree_, parent) : TreeView_GetRoot(tree_); c;
             c = TreeView_GetNextSibling(tree_, c))
            items.push_back(c);
        return items;
    }
    std::string Text(HTREEITEM item) const {
        char text[MAX_PATH] = {};
        TVITEMA tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = sizeof(text);
        ::SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return text;
    }
    int State(HTREEITEM item) const {
        return (TreeView_GetItemState(tree_, item, TVIS_STATEIMAGEMASK) >> 12) & 0xF;
    }
    HTREEITEM Find(HTREEITEM parent, const std::string& name) const {
        for (HTREEITEM c : Children(parent))
            if (_stricmp(Text(c).c_str(), name.c_str()) == 0)
                return c;
        return nullptr;
    }
    void Key(HTREEITEM item, WPARAM key) const {
        TreeView_SelectItem(tree_, item);
        ::SendMessageA(tree_, WM_KEYDOWN, key, 0);
    }
    void Expand(HTREEITEM item) const { Key(item, VK_ADD); }
    void Collapse(HTREEITEM item) const { Key(item, VK_SUBTRACT); }
    void Toggle(HTREEITEM item) const { Key(item, VK_SPACE); }

  private:
    HWND tree_;
};

std::vector<std::string> Column(const win::ListView& list, int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.Count(); ++row)
        texts.push_back(list.Text(row, column));
    return texts;
}
std::vector<bool> Ticks(const win::ListView& list) {
    std::vector<bool> ticks;
    for (int row = 0; row < list.Count(); ++row)
        ticks.push_back(list.IsTicked(row));
    return ticks;
}

}  // namespace

TEST_F(SettingsPagesTest, FolderTreeShowsDrivesFoldersAndTheirTicksAndCollectsTheSelection) {
    auto page = Make<FolderPage>();
    Tree tree(::GetDlgItem(page->Handle(), IDC_FOLDERS_TREE));

    // Every fixed drive starts ticked and is collected whole.
    const std::vector<HTREEITEM> drives = tree.Children(nullptr);
    const HTREEITEM c = tree.Find(nullptr, "C:");
    ASSERT_TRUE(c);
    std::vector<std::string> whole;
    for (HTREEITEM drive : drives) {
        EXPECT_EQ(tree.State(drive), FolderTreeModel::kTicked);
        whole.push_back(tree.Text(drive) + "\\");
    }
    EXPECT_EQ(page->CollectSelection(), whole);

    // Expanding a ticked drive shows its folders from the disk, ticked.
    tree.Expand(c);
    const std::vector<HTREEITEM> folders = tree.Children(c);
    ASSERT_GE(folders.size(), 2u);
    for (HTREEITEM folder : folders)
        EXPECT_EQ(tree.State(folder), FolderTreeModel::kTicked) << tree.Text(folder);
    const HTREEITEM windows = tree.Find(c, "windows");
    ASSERT_TRUE(windows);

    // Space on one folder: its box and the drive's show the new states, and the page collects
    // every other shown folder as a root.
    tree.Toggle(windows);
    EXPECT_EQ(tree.State(windows), FolderTreeModel::kUnticked);
    EXPECT_EQ(tree.State(c), FolderTreeModel::kPartly);
    std::vector<std::string> others;
    for (HTREEITEM drive : drives) {
        if (drive != c) {
            others.push_back(tree.Text(drive) + "\\");
            continue;
        }
        for (HTREEITEM folder : folders)
            if (folder != windows)
                others.push_back("C:\\" + tree.Text(folder));
    }
    EXPECT_EQ(page->CollectSelection(), others);

    // Collapsing leaves one placeholder; the drive keeps its state and shows its folders again
    // unticked.
    tree.Collapse(c);
    ASSERT_EQ(tree.Children(c).size(), 1u);
    EXPECT_EQ(tree.Text(tree.Children(c)[0]), "");
    EXPECT_EQ(tree.State(tree.Children(c)[0]), 0);
    EXPECT_EQ(tree.State(c), FolderTreeModel::kPartly);
    tree.Expand(c);
    ASSERT_EQ(tree.Children(c).size(), folders.size());
    for (HTREEITEM folder : tree.Children(c))
        EXPECT_EQ(tree.State(folder), FolderTreeModel::kUnticked);

    // The buttons set every drive and every shown folder.
    test::Click(page->Handle(), IDC_FOLDERS_SELECTALL);
    for (HTREEITEM folder : tree.Children(c))
        EXPECT_EQ(tree.State(folder), FolderTreeModel::kTicked);
    EXPECT_EQ(page->CollectSelection(), whole);
    test::Click(page->Handle(), IDC_FOLDERS_REMOVEALL);
    EXPECT_TRUE(page->CollectSelection().empty());
    EXPECT_EQ(tree.State(c), FolderTreeModel::kUnticked);
    for (HTREEITEM folder : tree.Children(c))
        EXPECT_EQ(tree.State(folder), FolderTreeModel::kUnticked);
    test::Click(page->Handle(), IDC_PAGE_DEFAULT);
    EXPECT_EQ(page->CollectSelection(), whole);
}

TEST_F(SettingsPagesTest, PatternRowsAreAddedModifiedDeletedAndStored) {
    auto page = Make<PatternPage>(settings_.patterns);
    win::ListView list(::GetDlgItem(page->Handle(), IDC_PATTERNS_LIST));
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"*.tmp", "*.bak", "*.dmp"}));
    EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"Temporary", "Backup", "Dump"}));
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, false, true}));

    // Add: an empty mask is refused and the dialog stays open with its texts (had it closed, the
    // row would have an empty mask); the new row is ticked.
    std::vector<std::string> captions, fields;
    prompts_.onDialog = [&](HWND dialog, int id) {
        EXPECT_EQ(id, IDD_PATTERN);
        captions.push_back(test::WindowText(dialog));
        fields.push_back(test::WindowText(::GetDlgItem(dialog, IDC_PATTERN_MASK)) + "|" +
                         test::WindowText(::GetDlgItem(dialog, IDC_PATTERN_DESCRIPTION)));
        if (captions.size() == 1) {
            ::SetDlgItemTextA(dialog, IDC_PATTERN_DESCRIPTION, "Logs");
            test::Click(dialog, IDOK);
            EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, IDC_PATTERN_DESCRIPTION)), "Logs");
            ::SetDlgItemTextA(dialog, IDC_PATTERN_MASK, "*.log");
        } else {
            ::SetDlgItemTextA(dialog, IDC_PATTERN_MASK, " *.txt ");  // taken as typed
            ::SetDlgItemTextA(dialog, IDC_PATTERN_DESCRIPTION, "");
        }
        test::Click(dialog, IDOK);
    };
    test::Click(page->Handle(), IDC_PATTERNS_ADD);
    EXPECT_EQ(prompts_.messages, (std::vector<std::string>{Translate("_JunkFileNameIsNULL")}));
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Text(3, 0), "*.log");
    EXPECT_EQ(list.Text(3, 1), "Logs");
    EXPECT_TRUE(list.IsTicked(3));

    // Modify the new row: the dialog shows its texts, the row keeps its tick.
    list.Select(3);
    test::Click(page->Handle(), IDC_PATTERNS_MODIFY);
    EXPECT_EQ(captions, (std::vector<std::string>{Translate("_AddJunkFileDialogCaption"),
                                                  Translate("_ModifyJunkFileDialogCaption")}));
    EXPECT_EQ(fields, (std::vector<std::string>{"|", "*.log|Logs"}));
    EXPECT_EQ(list.Text(3, 0), " *.txt ");
    EXPECT_EQ(list.Text(3, 1), "");
    EXPECT_TRUE(list.IsTicked(3));

    // Without a selection "_Modify" and "_Delete" only ask for one.
    ListView_SetItemState(list.Handle(), -1, 0, LVIS_SELECTED);
    prompts_.messages.clear();
    test::Click(page->Handle(), IDC_PATTERNS_MODIFY);
    test::Click(page->Handle(), IDC_PATTERNS_DELETE);
    EXPECT_EQ(prompts_.messages, (std::vector<std::string>(2, Translate("_YouMustSelectAnItem"))));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(prompts_.dialogs.size(), 2u);

    // Deleting selects the row that moved into the place, or the new last row.
    list.Select(1);
    test::Click(page->Handle(), IDC_PATTERNS_DELETE);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"*.tmp", "*.dmp", " *.txt "}));
    EXPECT_EQ(list.Selected(), 1);
    list.Select(2);
    ListView_SetItemState(list.Handle(), 1, 0, LVIS_SELECTED);
    test::Click(page->Handle(), IDC_PATTERNS_DELETE);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"*.tmp", "*.dmp"}));
    EXPECT_EQ(list.Selected(), 1);

    test::Click(page->Handle(), IDC_PATTERNS_UNCHECKALL);
    EXPECT_EQ(Ticks(list), (std::vector<bool>{false, false}));
    test::Click(page->Handle(), IDC_PATTERNS_CHECKALL);
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, true}));
    list.SetTicked(0, false);

    // Stored when the page goes; the factory rows stay as they were.
    Close(page);
    EXPECT_EQ(ReadJunkPatterns(ConfigFilePath()),
              (std::vector<JunkPattern>{{"*.tmp", "Temporary", false}, {"*.dmp", "Dump", true}}));

    // "_Default" brings the factory rows back with their own ticks, and they are stored.
    page = Make<PatternPage>(settings_.patterns);
    list = win::ListView(::GetDlgItem(page->Handle(), IDC_PATTERNS_LIST));
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"*.tmp", "*.dmp"}));
    test::Click(page->Handle(), IDC_PAGE_DEFAULT);
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"*.old", "*.tmp"}));
    EXPECT_EQ(Ticks(list), (std::vector<bool>{false, true}));
    Close(page);
    EXPECT_EQ(ReadJunkPatterns(ConfigFilePath()),
              (std::vector<JunkPattern>{{"*.old", "Factory old", false}, {"*.tmp", "Factory temp", true}}));
}

TEST_F(SettingsPagesTest, OptionsCleanOptionsAndSkipFoldersRoundTripThroughTheFile) {
    // Scan options: "5" is no tick the program writes: the page shows the option's factory value
    // (off) and says which setting it could not read; an empty months box is stored empty.
    prompts_.messages.clear();
    auto options = Make<OptionsPage>(settings_.scanOptions);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].find("FindFilesHaveNotAccessed checked"), std::string::npos)
        << prompts_.messages[0];
    std::vector<bool> boxes;
    for (int id : kOptionBoxes)
        boxes.push_back(options->IsChecked(id));
    EXPECT_EQ(boxes,
              (std::vector<bool>{false, false, true, true, false, false, true, false, true, false, false}));
    EXPECT_EQ(options->ItemText(IDC_OPTIONS_MONTHS), "7");
    test::Click(options->Handle(), IDC_OPTIONS_NOTACCESSED);
    test::Click(options->Handle(), IDC_OPTIONS_IECOOKIES);
    options->SetItemText(IDC_OPTIONS_MONTHS, "");
    // Stored on request, the settings follow the controls, which scans start from.
    options->Store();
    EXPECT_TRUE(settings_.scanOptions.checked[kFindIECookies]);
    EXPECT_EQ(settings_.scanOptions.months, "");
    Close(options);
    std::string config = Config();
    EXPECT_NE(
        config.find(R"(<FindFilesHaveNotAccessed checked="1" default="0" month="" monthdefault="12"/>)"),
        std::string::npos)
        << config;
    EXPECT_NE(config.find(R"(<FindIECookies checked="1" default="1"/>)"), std::string::npos) << config;

    // Empty months with the test ticked count no months: the next look shows the factory months.
    prompts_.messages.clear();
    options = Make<OptionsPage>(settings_.scanOptions);
    EXPECT_TRUE(options->IsChecked(IDC_OPTIONS_NOTACCESSED));
    EXPECT_EQ(options->ItemText(IDC_OPTIONS_MONTHS), "12");
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].find("FindFilesHaveNotAccessed month"), std::string::npos);
    test::Click(options->Handle(), IDC_PAGE_DEFAULT);
    boxes.clear();
    for (int id : kOptionBoxes)
        boxes.push_back(options->IsChecked(id));
    EXPECT_EQ(boxes,
              (std::vector<bool>{false, true, true, false, false, true, true, true, false, false, true}));
    EXPECT_EQ(options->ItemText(IDC_OPTIONS_MONTHS), "12");
    Close(options);
    ScanOptionValues stored = ReadScanOptions(ConfigFilePath());
    EXPECT_EQ(stored, ReadScanOptions(ConfigFilePath(), ValueSet::Factory));

    // A page object that goes before its window still stores its settings.
    options = Make<OptionsPage>(settings_.scanOptions);
    test::Click(options->Handle(), IDC_OPTIONS_IEHISTORY);
    const bool history = options->IsChecked(IDC_OPTIONS_IEHISTORY);
    options.reset();
    EXPECT_EQ(ReadScanOptions(ConfigFilePath()).checked[kFindIEHistory], history);
    EXPECT_NE(history, stored.checked[kFindIEHistory]);

    // Clean options: the folder shows expanded and is stored with "%ModulePath%" again.
    auto clean = Make<CleanOptionsPage>(settings_.cleanOptions);
    EXPECT_TRUE(clean->IsChecked(IDC_CLEANOPTIONS_PERMANENT));
    EXPECT_FALSE(clean->IsChecked(IDC_CLEANOPTIONS_RECYCLE));
    EXPECT_FALSE(clean->IsChecked(IDC_CLEANOPTIONS_BACKUP));
    EXPECT_EQ(clean->ItemText(IDC_CLEANOPTIONS_FOLDER), program_ / "Backup");
    // Without a backup the folder, its label and its browser are greyed.
    for (int id : {IDC_CLEANOPTIONS_FOLDER_LABEL, IDC_CLEANOPTIONS_FOLDER, IDC_CLEANOPTIONS_BROWSE})
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(clean->Handle(), id))) << id;
    Close(clean);
    config = Config();
    EXPECT_NE(config.find(R"(BackupDirectory="%ModulePath%\Backup")"), std::string::npos) << config;

    // "_Default", the backup box and the folder browser; a cancelled browser changes nothing.
    clean = Make<CleanOptionsPage>(settings_.cleanOptions);
    test::Click(clean->Handle(), IDC_PAGE_DEFAULT);
    EXPECT_FALSE(clean->IsChecked(IDC_CLEANOPTIONS_PERMANENT));
    EXPECT_TRUE(clean->IsChecked(IDC_CLEANOPTIONS_RECYCLE));
    EXPECT_TRUE(clean->IsChecked(IDC_CLEANOPTIONS_BACKUP));
    EXPECT_EQ(clean->ItemText(IDC_CLEANOPTIONS_FOLDER), program_ / "Factory");
    for (int id : {IDC_CLEANOPTIONS_FOLDER_LABEL, IDC_CLEANOPTIONS_FOLDER, IDC_CLEANOPTIONS_BROWSE})
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(clean->Handle(), id))) << id;
    prompts_.folders = {"C:\\elsewhere", ""};
    test::Click(clean->Handle(), IDC_CLEANOPTIONS_BROWSE);
    test::Click(clean->Handle(), IDC_CLEANOPTIONS_BROWSE);
    EXPECT_EQ(clean->ItemText(IDC_CLEANOPTIONS_FOLDER), "C:\\elsewhere");
    test::Click(clean->Handle(), IDC_CLEANOPTIONS_BACKUP);  // off: the folder stays, greyed
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(clean->Handle(), IDC_CLEANOPTIONS_FOLDER)));
    Close(clean);
    EXPECT_EQ(ReadCleanOptions(ConfigFilePath()),
              (CleanOptionValues{RemovalMode::RecycleBin, false, "C:\\elsewhere"}));

    // Skip folders: the browser's pick is added ticked (twice is twice), a cancel adds nothing,
    // "_Remove" needs a row and selects the one that moved up.
    auto skip = Make<SkipPage>(settings_.skipFolders);
    win::ListView list(::GetDlgItem(skip->Handle(), IDC_SKIP_LIST));
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"C:\\keep-out", "C:\\not-now"}));
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, false}));
    prompts_.folders = {"C:\\picked", "", "C:\\picked"};
    for (int i = 0; i < 3; ++i)
        test::Click(skip->Handle(), IDC_SKIP_ADD);
    EXPECT_EQ(Column(list, 0),
              (std::vector<std::string>{"C:\\keep-out", "C:\\not-now", "C:\\picked", "C:\\picked"}));
    EXPECT_EQ(Ticks(list), (std::vector<bool>{true, false, true, true}));
    prompts_.messages.clear();
    test::Click(skip->Handle(), IDC_SKIP_REMOVE);
    EXPECT_EQ(prompts_.messages, (std::vector<std::string>{Translate("_YouMustSelectAnItem")}));
    EXPECT_EQ(list.Count(), 4);
    list.Select(0);
    test::Click(skip->Handle(), IDC_SKIP_REMOVE);
    EXPECT_EQ(list.Selected(), 0);
    list.SetTicked(2, false);
    Close(skip);
    EXPECT_EQ(ReadSkipFolders(ConfigFilePath()),
              (std::vector<SkipFolder>{{"C:\\not-now", false}, {"C:\\picked", true}, {"C:\\picked", false}}));

    skip = Make<SkipPage>(settings_.skipFolders);
    test::Click(skip->Handle(), IDC_PAGE_DEFAULT);
    list = win::ListView(::GetDlgItem(skip->Handle(), IDC_SKIP_LIST));
    EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"C:\\factory-skip"}));
    list.Select(0);
    test::Click(skip->Handle(), IDC_SKIP_REMOVE);  // the only row: nothing left to select
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Selected(), -1);
}

// A config.xml without the expiry (TestConfig, as written before it existed) shows it off, its
// days greyed; ticked with a count typed, the page stores both.
TEST_F(SettingsPagesTest, TheRestorePointsExpiryIsOffForAnOlderFileAndStoredWhenChosen) {
    auto clean = Make<CleanOptionsPage>(settings_.cleanOptions);
    EXPECT_FALSE(clean->IsChecked(IDC_CLEANOPTIONS_EXPIRE));
    EXPECT_EQ(clean->ItemText(IDC_CLEANOPTIONS_DAYS), "14");
    for (int id : {IDC_CLEANOPTIONS_DAYS_LABEL, IDC_CLEANOPTIONS_DAYS})
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(clean->Handle(), id))) << id;
    test::Click(clean->Handle(), IDC_CLEANOPTIONS_EXPIRE);
    for (int id : {IDC_CLEANOPTIONS_DAYS_LABEL, IDC_CLEANOPTIONS_DAYS})
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(clean->Handle(), id))) << id;
    ::SetDlgItemTextA(clean->Handle(), IDC_CLEANOPTIONS_DAYS, "30");
    Close(clean);
    EXPECT_EQ(ReadCleanOptionsStrictly(ConfigFilePath()).values.ExpiryDays(), 30);
}
