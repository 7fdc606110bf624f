// The Automatic Cleaning dialog, driven from the keyboard as a user would: what OK leaves in the
// Task Scheduler of the test prefix and in config.xml, and what the dialog shows of a task changed
// outside it.
#include <gtest/gtest.h>
#include <windows.h>

#include "config/ScheduleSettings.h"
#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "session/ScheduledTask.h"
#include "support/WindowTest.h"
#include "tools/AutomaticCleaningDialog.h"

namespace {

class AutomaticCleaningDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(RemoveScheduledTask().ok); }
    void TearDown() override {
        if (window_ && ::IsWindow(window_))
            ::DestroyWindow(window_);
        RemoveScheduledTask();
    }

    HWND Open() {
        dialog_ = std::make_unique<AutomaticCleaningDialog>(DataFoldersBeside(program_.Path()),
                                                            program_ / "Quillmoor.exe");
        window_ = dialog_->Create(IDD_AUTOCLEAN, nullptr);
        ::ShowWindow(window_, SW_SHOW);
        ::SetFocus(::GetDlgItem(window_, IDC_AUTOCLEAN_ENABLE));
        Pump();
        return window_;
    }
    // The program's own message loop: the dialog manager sees every message first.
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (window_ && ::IsWindow(window_) && ::IsDialogMessageW(window_, &msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    void Press(WPARAM key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            HWND focus = ::GetFocus();
            ::PostMessageW(focus, WM_KEYDOWN, key, 1);
            ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
            Pump();
        }
    }
    void AccessKey(wchar_t letter) {
        ::PostMessageW(::GetFocus(), WM_SYSCHAR, letter, 0x20000001);
        Pump();
    }
    // The letter after "&" in a control's translated text.
    wchar_t KeyOf(const char* key) {
        const std::string text = Translate(key);
        const size_t amp = text.find('&');
        return amp == std::string::npos ? 0 : static_cast<wchar_t>(::tolower(text[amp + 1]));
    }
    int Selected(int id) { return static_cast<int>(::SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0)); }
    bool Ticked(int id) { return ::IsDlgButtonChecked(window_, id) == BST_CHECKED; }

    test::ProgramFolder program_;
    test::RecordingPrompts prompts_;
    std::unique_ptr<AutomaticCleaningDialog> dialog_;
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(AutomaticCleaningDialogTest, WeeklyOnTuesdayAtTenByKeyboardMakesTheTaskAndOffRemovesIt) {
    Open();
    EXPECT_FALSE(Ticked(IDC_AUTOCLEAN_ENABLE));  // off by default
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(window_, IDC_AUTOCLEAN_KIND)));
    EXPECT_EQ(test::WindowText(::GetDlgItem(window_, IDC_AUTOCLEAN_LAST)), Translate("_AutoCleanNeverRan"));

    ASSERT_EQ(::GetFocus(), ::GetDlgItem(window_, IDC_AUTOCLEAN_ENABLE));
    Press(VK_SPACE);
    ASSERT_TRUE(Ticked(IDC_AUTOCLEAN_ENABLE));
    AccessKey(KeyOf("_AutoCleanHowOften"));
    ASSERT_EQ(::GetFocus(), ::GetDlgItem(window_, IDC_AUTOCLEAN_KIND));
    Press(VK_HOME);
    Press(VK_DOWN);  // every week
    AccessKey(KeyOf("_AutoCleanDay"));
    ASSERT_EQ(::GetFocus(), ::GetDlgItem(window_, IDC_AUTOCLEAN_DAY));
    Press(VK_HOME);
    Press(VK_DOWN, 2);  // Sunday, Monday, Tuesday
    AccessKey(KeyOf("_AutoCleanTime"));
    ASSERT_EQ(::GetFocus(), ::GetDlgItem(window_, IDC_AUTOCLEAN_TIME));
    Press(VK_HOME);
    Press(VK_DOWN, 20);  // half hours from 00:00
    EXPECT_EQ(Selected(IDC_AUTOCLEAN_KIND), 1);
    EXPECT_EQ(Selected(IDC_AUTOCLEAN_DAY), 2);
    EXPECT_EQ(test::WindowText(::GetDlgItem(window_, IDC_AUTOCLEAN_TIME)), "10:00");
    EXPECT_NE(test::WindowText(::GetDlgItem(window_, IDC_AUTOCLEAN_NEXT)),
              Translate("_AutoCleanNextRunNone"));
    Press(VK_RETURN);  // OK
    EXPECT_FALSE(::IsWindow(window_));
    EXPECT_TRUE(prompts_.messages.empty());

    const TaskState task = ReadScheduledTask();
    EXPECT_TRUE(task.exists);
    EXPECT_TRUE(task.enabled);
    const ScheduleValues stored = ReadScheduleSettings(program_ / "config.xml");
    EXPECT_TRUE(stored.enabled);
    EXPECT_EQ(stored.kind, ScheduleKind::Weekly);
    EXPECT_EQ(stored.dayOfWeek, 2);
    EXPECT_EQ(stored.hour, 10);
    EXPECT_EQ(stored.minute, 0);

    // Opened again it shows the task; Space turns it off and OK removes the task.
    Open();
    EXPECT_TRUE(Ticked(IDC_AUTOCLEAN_ENABLE));
    EXPECT_EQ(Selected(IDC_AUTOCLEAN_DAY), 2);
    Press(VK_SPACE);
    EXPECT_FALSE(Ticked(IDC_AUTOCLEAN_ENABLE));
    Press(VK_RETURN);
    EXPECT_FALSE(::IsWindow(window_));
    EXPECT_FALSE(ReadScheduledTask().exists);
    EXPECT_FALSE(ReadScheduleSettings(program_ / "config.xml").enabled);
}

// config.xml says on, but the task was removed in the Task Scheduler: the dialog shows off, and
// Cancel changes nothing.
TEST_F(AutomaticCleaningDialogTest, ATaskRemovedOutsideShowsAsOffAndCancelChangesNothing) {
    ScheduleValues on;
    on.enabled = true;
    on.kind = ScheduleKind::Monthly;
    on.dayOfMonth = 28;
    on.folders = {"C:\\A & B"};
    ASSERT_TRUE(WriteScheduleSettings(program_ / "config.xml", on));
    Open();
    EXPECT_FALSE(Ticked(IDC_AUTOCLEAN_ENABLE));
    EXPECT_EQ(Selected(IDC_AUTOCLEAN_KIND), 2);
    EXPECT_EQ(Selected(IDC_AUTOCLEAN_DAY), 27);
    EXPECT_EQ(::SendDlgItemMessageW(window_, IDC_AUTOCLEAN_FOLDERS, LB_GETCOUNT, 0, 0), 1);
    EXPECT_NE(test::WindowText(::GetDlgItem(window_, IDC_AUTOCLEAN_SUMMARY)).find("C:\\A & B"),
              std::string::npos);
    Press(VK_SPACE);
    Press(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(window_));
    EXPECT_FALSE(ReadScheduledTask().exists);
    EXPECT_EQ(ReadScheduleSettings(program_ / "config.xml"), on);
}
