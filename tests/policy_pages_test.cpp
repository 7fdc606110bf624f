// What the organisation set, as the wizard shows it: the forced controls disabled with the note
// "Set by your organisation", the user's own values kept in config.xml underneath, and the scan the
// frame starts obeying this user's policy key in the registry.
//
// For a look at a page with forced settings, QM_POLICY_LOOK=<seconds> keeps the frame's scan
// options page on the screen that long (take the picture with "import -window root"), in the
// translation QM_POLICY_LOOK_LANGUAGE names (as "de"), if any.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "config/CleanOptionSettings.h"
#include "config/Policy.h"
#include "core/LanguageTable.h"
#include "pages/RescueManager.h"
#include "pages/RuleTickList.h"
#include "pages/SettingsPages.h"
#include "resources/ResourceIds.h"
#include "session/ScheduledTask.h"
#include "tools/AutomaticCleaningDialog.h"
#include "support/ConfigText.h"
#include "support/PageHost.h"
#include "support/WindowTest.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"
#include "wizard/WizardFrame.h"

namespace {

std::string TestConfig() {
    test::ConfigParts config;
    config.patterns = {test::PatternRow("1", "Temporary file", "*.tmp")};
    config.options =
        test::ScanOptions({test::Option("FindTemp", "1", "1"), test::Option("FindRecent", "0", "0")});
    config.skipFolders = {test::FolderRow("1", "C:\\skip-me")};
    config.cleanMode = test::CleanMode("0", "0");
    config.backup = test::Backup("0", "0", "%ModulePath%\\Backup", "%ModulePath%\\Backup");
    return test::ConfigText(config);
}

// This user's policy key with the values a test sets, removed again when it goes.
class UserPolicyKey {
  public:
    UserPolicyKey() {
        HKEY opened = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                          nullptr);
        key_.reset(opened);
    }
    ~UserPolicyKey() {
        key_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    }
    void Set(const wchar_t* name, DWORD value) {
        ::RegSetValueExW(key_.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                         sizeof(value));
    }
    void Set(const wchar_t* name, const std::wstring& multi) {
        ::RegSetValueExW(key_.get(), name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi.c_str()),
                         static_cast<DWORD>((multi.size() + 1) * sizeof(wchar_t)));
    }

  private:
    win::UniqueRegKey key_;
};

bool Enabled(HWND dialog, int id) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, id));
}
bool Checked(HWND dialog, int id) {
    return ::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}
// Shown by its own style: the dialog around it may not be on the screen.
bool NoteShown(HWND dialog) {
    return ::GetWindowLongW(::GetDlgItem(dialog, IDC_POLICY_NOTE), GWL_STYLE) & WS_VISIBLE;
}

// The frame, opened under this user's policy: the temporary folders off, the recent items on, a
// pattern and a skip folder added.
class PolicyFrameTest : public ::testing::Test {
  protected:
    static UserPolicyKey* MakeKey() {
        auto* key = new UserPolicyKey;
        key->Set(L"FindTemp", 0);
        key->Set(L"FindRecent", 1);
        key->Set(L"AddedPatterns", std::wstring(L"*.bak") + L'\0');
        key->Set(L"AddedSkipFolders", std::wstring(L"C:\\org-skip") + L'\0');
        key->Set(L"NoTypedUrlTool", 1);
        return key;
    }
    void SetUp() override {
        frameWindow_ = frame_.Open();
        ASSERT_TRUE(frameWindow_);
        ::ShowWindow(frameWindow_, SW_SHOW);
    }
    void TearDown() override {
        if (::IsWindow(frameWindow_))
            ::DestroyWindow(frameWindow_);
        test::PumpPending();
    }
    void Next() { test::Click(frameWindow_, IDC_FRAME_NEXT); }

    static bool SpeakLookLanguage() {
        const char* tag = std::getenv("QM_POLICY_LOOK_LANGUAGE");
        if (tag)
            LanguageTable::Instance().SetTranslation(
                test::SourceFile(std::string("data/Languages/") + tag + ".language"));
        return tag != nullptr;
    }

    test::ProgramFolder program_{TestConfig()};
    test::RecordingPrompts prompts_;
    std::unique_ptr<UserPolicyKey> key_{MakeKey()};
    bool translated_ = SpeakLookLanguage();
    WizardFrame frame_;
    HWND frameWindow_ = nullptr;
};

}  // namespace

TEST_F(PolicyFrameTest, ForcedOptionsAreDisabledWithTheNoteAndTheScanObeysThem) {
    // The typed-address tool is greyed in the menu, and its command opens nothing.
    EXPECT_TRUE(::GetMenuState(::GetMenu(frameWindow_), ID_TOOLS_TYPEDURLS, MF_BYCOMMAND) & MF_GRAYED);
    ::SendMessageW(frameWindow_, WM_COMMAND, ID_TOOLS_TYPEDURLS, 0);
    EXPECT_TRUE(prompts_.dialogs.empty());
    while (frame_.CurrentPage() < WizardFrame::kOptions)
        Next();
    HWND options = frame_.Page(WizardFrame::kOptions).Handle();
    EXPECT_FALSE(Enabled(options, IDC_OPTIONS_TEMP));
    EXPECT_FALSE(Checked(options, IDC_OPTIONS_TEMP));
    EXPECT_FALSE(Enabled(options, IDC_OPTIONS_RECENT));
    EXPECT_TRUE(Checked(options, IDC_OPTIONS_RECENT));
    EXPECT_TRUE(Enabled(options, IDC_OPTIONS_IETEMP));
    ASSERT_TRUE(NoteShown(options));
    EXPECT_EQ(test::WindowText(::GetDlgItem(options, IDC_POLICY_NOTE)),
              Translate("_PolicySetByOrganisation"));
    EXPECT_TRUE(test::ShowsItsTextWhole(::GetDlgItem(options, IDC_POLICY_NOTE)));
    if (const char* seconds = std::getenv("QM_POLICY_LOOK")) {
        const DWORD until = ::GetTickCount() + 1000 * static_cast<DWORD>(std::atoi(seconds));
        test::PumpUntil([until] { return static_cast<LONG>(::GetTickCount() - until) >= 0; }, 600'000);
    }
    // "Default" shows the factory values, the forced ones still as forced.
    test::Click(options, IDC_PAGE_DEFAULT);
    EXPECT_FALSE(Checked(options, IDC_OPTIONS_TEMP));
    EXPECT_FALSE(Enabled(options, IDC_OPTIONS_TEMP));
    test::Click(options, IDC_PAGE_DEFAULT);

    Next();  // skip folders
    HWND skip = frame_.Page(WizardFrame::kSkip).Handle();
    ASSERT_TRUE(NoteShown(skip));
    EXPECT_NE(test::WindowText(::GetDlgItem(skip, IDC_POLICY_NOTE)).find("C:\\org-skip"), std::string::npos);

    // No roots and no location the policy leaves on has anything: the scan ends at once, with the
    // inputs the policy made.
    test::Click(frame_.Page(WizardFrame::kFolders).Handle(), IDC_FOLDERS_REMOVEALL);
    Next();
    ASSERT_TRUE(test::PumpUntil([&] { return !frame_.CurrentSession().ScanRunning(); }));
    const ScanJob& job = frame_.CurrentSession().Scan();
    EXPECT_FALSE(job.findTemp);
    EXPECT_TRUE(job.findRecent);
    EXPECT_TRUE(job.masks.count("*.tmp"));
    EXPECT_TRUE(job.masks.count("*.bak"));
    EXPECT_NE(std::find(job.skipFolders.begin(), job.skipFolders.end(), "C:\\org-skip"),
              job.skipFolders.end());
    // config.xml keeps the user's own tick.
    ::DestroyWindow(frameWindow_);
    test::PumpPending();
    EXPECT_TRUE(ReadScanOptions(program_ / "config.xml").checked[kFindTemp]);
    EXPECT_FALSE(ReadScanOptions(program_ / "config.xml").checked[kFindRecent]);
    EXPECT_EQ(ReadJunkPatterns(program_ / "config.xml").size(), 1u);
}

// The clean options: the Recycle Bin, a restore point and its folder forced; no question about a
// permanent deletion, and the user's own choice stays in config.xml.
TEST(PolicyPages, ForcedCleanOptionsAreDisabledAndAskNothing) {
    test::ProgramFolder program{TestConfig()};
    test::RecordingPrompts prompts;
    test::PageHost host;
    Policy policy;
    policy.recycleBinOnly = true;
    policy.alwaysBackup = true;
    policy.backupFolder = program / "OrgBackup";
    CleanOptionValues values;
    auto page = std::make_unique<CleanOptionsPage>(values);
    page->ObeyPolicy(policy);
    ASSERT_TRUE(page->CreateIn(host.Handle()));
    HWND dialog = page->Handle();
    EXPECT_FALSE(Enabled(dialog, IDC_CLEANOPTIONS_PERMANENT));
    EXPECT_FALSE(Enabled(dialog, IDC_CLEANOPTIONS_RECYCLE));
    EXPECT_TRUE(Checked(dialog, IDC_CLEANOPTIONS_RECYCLE));
    EXPECT_FALSE(Enabled(dialog, IDC_CLEANOPTIONS_BACKUP));
    EXPECT_TRUE(Checked(dialog, IDC_CLEANOPTIONS_BACKUP));
    EXPECT_FALSE(Enabled(dialog, IDC_CLEANOPTIONS_FOLDER));
    EXPECT_FALSE(Enabled(dialog, IDC_CLEANOPTIONS_BROWSE));
    EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, IDC_CLEANOPTIONS_FOLDER)), program / "OrgBackup");
    EXPECT_TRUE(NoteShown(dialog));
    EXPECT_TRUE(Enabled(dialog, IDC_CLEANOPTIONS_EXPIRE));
    EXPECT_TRUE(page->ReadyToClean(3, 4096));
    EXPECT_TRUE(prompts.messages.empty());
    ::DestroyWindow(dialog);
    page.reset();
    const CleanOptionValues stored = ReadCleanOptions(program / "config.xml");
    EXPECT_EQ(stored.removal, RemovalMode::Permanent);
    EXPECT_FALSE(stored.backup);
    EXPECT_EQ(stored.backupDirectory, program / "Backup");
}

// Without a policy nothing is disabled and no note shows.
TEST(PolicyPages, WithoutAPolicyNothingIsForced) {
    test::ProgramFolder program{TestConfig()};
    test::PageHost host;
    ScanOptionValues values;
    auto page = std::make_unique<OptionsPage>(values);
    ASSERT_TRUE(page->CreateIn(host.Handle()));
    EXPECT_TRUE(Enabled(page->Handle(), IDC_OPTIONS_TEMP));
    EXPECT_TRUE(Checked(page->Handle(), IDC_OPTIONS_TEMP));
    EXPECT_FALSE(NoteShown(page->Handle()));
    ::DestroyWindow(page->Handle());
}

// The rescue manager keeps every restore point where the organisation says so: Remove is greyed.
TEST(PolicyPages, TheRescueManagersRemoveIsDisabledWhereNotAllowed) {
    test::ProgramFolder program{TestConfig()};
    test::RecordingPrompts prompts;
    Policy policy;
    policy.noPointRemoval = true;
    Session session(program.Path(), policy);
    RescueManager rescue(session);
    ASSERT_TRUE(rescue.Create(IDD_RESCUE, nullptr));
    EXPECT_FALSE(Enabled(rescue.Handle(), IDC_RESCUE_DELETE));
    EXPECT_TRUE(Enabled(rescue.Handle(), IDC_RESCUE_RESTORE));
    EXPECT_TRUE(NoteShown(rescue.Handle()));
    EXPECT_TRUE(test::ShowsItsTextWhole(::GetDlgItem(rescue.Handle(), IDC_POLICY_NOTE)));
    ::DestroyWindow(rescue.Handle());
}

// The Applications list keeps a forced entry's tick, and stores nothing of it as the user's choice:
// the user's own choice stays for when the policy goes.
TEST(PolicyPages, TheApplicationsListKeepsForcedTicksOutOfTheUsersChoices) {
    RuleItem forced, chosen;
    forced.file = chosen.file = kOwnRuleFile;
    forced.entry.name = "Forced";
    forced.ticked = forced.forced = true;
    chosen.entry.name = "Free";
    RuleTickList list({forced, chosen});
    list.SetTicked(0, false);
    list.SetTicked(1, true);
    EXPECT_TRUE(list.IsTicked(0));
    list.SetDefaults();
    EXPECT_TRUE(list.IsTicked(0));
    EXPECT_FALSE(list.IsTicked(1));
    list.SetTicked(1, true);
    const std::vector<RuleChoice> stored{{kOwnRuleFile, "Forced", false}};
    EXPECT_EQ(list.ChoicesToStore(stored),
              (std::vector<RuleChoice>{{kOwnRuleFile, "Forced", false}, {kOwnRuleFile, "Free", true}}));
}

// The organisation's automatic cleaning, as the dialog shows it: its schedule, every control
// disabled with the note, and OK changes nothing in the Task Scheduler.
TEST(PolicyPages, TheAutomaticCleaningDialogShowsTheOrganisationsSchedule) {
    test::ProgramFolder program{TestConfig()};
    test::RecordingPrompts prompts;
    ASSERT_TRUE(RemoveScheduledTask().ok);
    Policy policy;
    policy.automatic = true;
    policy.schedule.enabled = true;
    policy.schedule.kind = ScheduleKind::Daily;
    policy.schedule.hour = 12;
    policy.schedule.freeSpaceBelowGb = 20;
    policy.schedule.folders = {"D:\\Scratch"};
    AutomaticCleaningDialog dialog(DataFoldersBeside(program.Path()), program / "Quillmoor.exe", policy);
    HWND window = dialog.Create(IDD_AUTOCLEAN, nullptr);
    ASSERT_TRUE(window);
    const ScheduleValues shown = dialog.Shown();
    EXPECT_TRUE(shown.enabled);
    EXPECT_EQ(shown.kind, ScheduleKind::Daily);
    EXPECT_EQ(shown.hour, 12);
    EXPECT_EQ(shown.freeSpaceBelowGb, 20);
    EXPECT_EQ(shown.folders, policy.schedule.folders);
    for (int id : {IDC_AUTOCLEAN_ENABLE, IDC_AUTOCLEAN_KIND, IDC_AUTOCLEAN_TIME, IDC_AUTOCLEAN_LOWSPACE,
                   IDC_AUTOCLEAN_GB, IDC_AUTOCLEAN_ADD, IDC_AUTOCLEAN_FOLDERS})
        EXPECT_FALSE(Enabled(window, id)) << id;
    EXPECT_TRUE(NoteShown(window));
    EXPECT_TRUE(test::ShowsItsTextWhole(::GetDlgItem(window, IDC_POLICY_NOTE)));
    test::Click(window, IDOK);
    EXPECT_FALSE(ReadScheduledTask().exists);
    if (::IsWindow(window))
        ::DestroyWindow(window);
}
