// The rescue manager on the real resources: listing restore points, browsing, deleting and
// restoring as the session's jobs (names as kept, the restore point removed only when every file
// is back), the refusal to close while a restore runs, and what closing mid-restore leaves behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include <Logwright.h>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "clean/BackupStore.h"
#include "pages/RescueManager.h"
#include "resources/ResourceIds.h"
#include "session/Session.h"
#include "support/LogwrightDll.h"
#include "support/LogEntries.h"
#include "support/WindowTest.h"
#include "win/SystemError.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

std::string Line(const char* key, std::initializer_list<FormatArg> args) {
    return FormatText(Translate(key) + "\r\n\r\n", args);
}

// The session's cleaning of nothing, held running until Finish lets it go on.
class HeldCleaning : private win::JobProgress {
  public:
    explicit HeldCleaning(Session& session) : session_(session) {
        EXPECT_TRUE(session_.StartCleaning(CleanOptionValues{}, this, nullptr, {}));
    }
    ~HeldCleaning() override { Finish(); }
    // True when the cleaning has ended.
    bool Finish() {
        ::SetEvent(release_.get());
        return test::PumpUntil([&] { return !session_.CleaningRunning(); });
    }

  private:
    void SetProgressRange(int) override { ::WaitForSingleObject(release_.get(), 30'000); }
    void SetProgressPosition(int) override {}
    void SetStatusText(const std::string&) override {}
    void ShowRunning(bool) override {}

    Session& session_;
    win::UniqueHandle release_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};

class RescueManagerTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(dll_.Register())); }
    void TearDown() override {
        if (::IsWindow(window_))
            ::DestroyWindow(window_);
        test::PumpPending();
    }

    HWND Open() {
        window_ = dialog_.Create(IDD_RESCUE, nullptr);
        ::ShowWindow(window_, SW_SHOW);
        list_ = dialog_.List();
        return window_;
    }
    std::string Backup() const { return program_ / "Backup"; }
    std::string Point(const std::string& name) const { return Backup() + "\\" + name; }
    // Puts a file into a restore point as a backup of source would be kept there.
    void BackUp(const std::string& point, const std::string& source, const std::string& content) {
        test::WriteFile(point + "\\" + MirrorPath(source), content);
    }
    void Press(int id) { test::Click(window_, id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(window_, id)); }
    std::string Status() const { return test::WindowText(::GetDlgItem(window_, IDC_RESCUE_STATUS)); }
    int Row(const std::string& pointPath) const {
        for (int row = 0; row < list_.Count(); ++row)
            if (dialog_.RowPath(row) == pointPath)
                return row;
        return -1;
    }
    bool RestoreRow(int row) {
        list_.Select(row);
        prompts_.answers = {IDYES};
        Press(IDC_RESCUE_RESTORE);
        return test::PumpUntil([&] { return !dialog_.Working(); });
    }
    std::string LogFolder() const { return program_ / "Log\\Data"; }

    test::ProgramFolder program_;  // the shipped config.xml: the backup folder is %ModulePath%\Backup
    test::TempFolder data_;        // where the backed-up files came from
    test::RegistrationLock registrationLock_;
    test::LogwrightDll dll_{program_.Path()};
    test::RecordingPrompts prompts_;
    Session session_{program_.Path()};
    RescueManager dialog_{session_};
    HWND window_ = nullptr;
    win::ListView list_;
};

}  // namespace

TEST_F(RescueManagerTest, ListsRestorePointsOldestFirstBrowsesAndDeletes) {
    test::MakeFolders(Point("2025-01-31_08-05-09\\C"));
    test::MakeFolders(Point("2024-12-24_18-00-00\\C"));
    test::MakeFolders(Point("2025-01-31_08-05-09-old"));
    test::MakeFolders(Point("Notes"));
    test::MakeFolders(Point("2025-1-31"));
    test::WriteFile(Point("2023-01-01_00-00-00"), "a file, not a restore point");
    test::TempFolder empty;
    Open();

    EXPECT_EQ(test::WindowText(window_), Translate("_RescueDialog"));
    EXPECT_EQ(test::WindowText(::GetDlgItem(window_, IDC_RESCUE_FOLDER)), Backup());
    char header[64] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = header;
    column.cchTextMax = sizeof(header);
    ASSERT_TRUE(::SendMessageA(list_.Handle(), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::string(header), Translate("_RescueDialogListColDate"));
    EXPECT_EQ(column.cx, 250);
    const DWORD styles = ListView_GetExtendedListViewStyle(list_.Handle());
    EXPECT_EQ(styles & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
              DWORD(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES));

    ASSERT_EQ(list_.Count(), 3);
    // As the language spoken writes a date and time (English: the United States' forms), seconds
    // included: two cleanings of one minute make two points.
    EXPECT_EQ(list_.Text(0, 0), "12/24/2024 6:00:00 PM");
    EXPECT_EQ(dialog_.RowPath(0), Point("2024-12-24_18-00-00"));
    EXPECT_EQ(list_.Text(1, 0), "1/31/2025 8:05:09 AM");
    EXPECT_EQ(dialog_.RowPath(1), Point("2025-01-31_08-05-09"));
    EXPECT_EQ(list_.Text(2, 0), "1/31/2025 8:05:09 AM");  // the trailing "-old" is ignored
    EXPECT_EQ(dialog_.RowPath(2), Point("2025-01-31_08-05-09-old"));

    // Nothing selected: both buttons ask for a selection and do nothing else.
    Press(IDC_RESCUE_RESTORE);
    Press(IDC_RESCUE_DELETE);
    EXPECT_EQ(prompts_.messages, (std::vector<std::string>{Translate("_YouMustSelectAnItem"),
                                                           Translate("_YouMustSelectAnItem")}));
    EXPECT_EQ(prompts_.styles[0], static_cast<UINT>(MB_OK | MB_ICONINFORMATION));

    // Delete, answered No: everything stays.
    prompts_.messages.clear();
    list_.Select(0);
    prompts_.answers = {IDNO};
    Press(IDC_RESCUE_DELETE);
    ASSERT_EQ(prompts_.messages, (std::vector<std::string>{Translate("_AreYouSureDelteBackupFile")}));
    EXPECT_EQ(prompts_.styles.back(), static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_EQ(list_.Count(), 3);
    EXPECT_TRUE(test::Exists(Point("2024-12-24_18-00-00\\C")));
    EXPECT_TRUE(test::ReadLogEntries(LogFolder()).empty());

    // Answered Yes: the removal runs as the session's job, off the window's thread (it waits in its
    // first update while the test dispatches nothing); then the restore point is gone, the list is
    // refilled and the removal is logged.
    prompts_.answers = {IDYES};
    Press(IDC_RESCUE_DELETE);
    EXPECT_TRUE(dialog_.Working());
    EXPECT_FALSE(Enabled(IDC_RESCUE_DELETE) || Enabled(IDC_RESCUE_RESTORE));
    ASSERT_TRUE(test::PumpUntil([&] { return !dialog_.Working(); }));
    EXPECT_FALSE(test::Exists(Point("2024-12-24_18-00-00")));
    ASSERT_EQ(list_.Count(), 2);
    EXPECT_EQ(dialog_.RowPath(0), Point("2025-01-31_08-05-09"));
    EXPECT_TRUE(Enabled(IDC_RESCUE_RESTORE) && Enabled(IDC_RESCUE_BROWSE) && Enabled(IDC_RESCUE_DELETE));
    std::vector<test::LogEntry> entries = test::ReadLogEntries(LogFolder());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryRemoveRestorePoint"));
    EXPECT_EQ(entries[0].text, Translate("_LogRemoveRestorePointHeader") + "\r\n\r\n" +
                                   Line("_LogRemoveRestorePoint", {Point("2024-12-24_18-00-00")}));

    // Browsing to a folder without restore points empties the list; a cancelled browse changes nothing.
    prompts_.folders = {empty.Path(), ""};
    Press(IDC_RESCUE_BROWSE);
    EXPECT_EQ(test::WindowText(::GetDlgItem(window_, IDC_RESCUE_FOLDER)), empty.Path());
    EXPECT_EQ(list_.Count(), 0);
    Press(IDC_RESCUE_BROWSE);
    EXPECT_EQ(test::WindowText(::GetDlgItem(window_, IDC_RESCUE_FOLDER)), empty.Path());
    // And back: the list follows the field.
    ::SetDlgItemTextA(window_, IDC_RESCUE_FOLDER, (Backup() + "\\").c_str());
    EXPECT_EQ(list_.Count(), 2);
}

TEST_F(RescueManagerTest, RestoreCopiesEverythingBackByItsOwnNameRemovesThePointAndLogs) {
    const std::string point = Point("2025-01-31_08-05-09");
    BackUp(point, data_ / "Docs\\Report.TXT", "report");
    BackUp(point, data_ / "Old.DAT", "backed-up content");
    test::MakeFolders(Point("2024-12-24_18-00-00\\C"));
    Open();
    const int row = Row(point);
    ASSERT_EQ(row, 1);

    ASSERT_TRUE(RestoreRow(row));
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0],
              FormatText(Translate("_RescueDialogResotoreConfirm"), {"1/31/2025 8:05:09 AM"}));
    EXPECT_EQ(prompts_.styles[0], static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));

    // The files are back under their own names.
    EXPECT_EQ(test::NamesIn(data_.Path()), (std::vector<std::string>{"Docs", "Old.DAT"}));
    EXPECT_EQ(test::NamesIn(data_ / "Docs"), (std::vector<std::string>{"Report.TXT"}));
    EXPECT_EQ(test::ReadFile(data_ / "Docs\\Report.TXT"), "report");
    EXPECT_EQ(test::ReadFile(data_ / "Old.DAT"), "backed-up content");

    // The restore point is gone, and so is its row.
    EXPECT_FALSE(test::Exists(point));
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(dialog_.RowPath(0), Point("2024-12-24_18-00-00"));
    EXPECT_EQ(Status(), Translate("_RescueDialogStateRestoreComplete"));
    HWND progress = ::GetDlgItem(window_, IDC_RESCUE_PROGRESS);
    EXPECT_EQ(::SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 2);
    EXPECT_EQ(::SendMessageA(progress, PBM_GETPOS, 0, 0), 2);
    EXPECT_TRUE(Enabled(IDC_RESCUE_RESTORE) && Enabled(IDC_RESCUE_BROWSE) && Enabled(IDC_RESCUE_DELETE));

    std::vector<test::LogEntry> entries = test::ReadLogEntries(LogFolder());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryRestore"));
    const std::string& text = entries[0].text;
    EXPECT_EQ(text.find(Translate("_LogRestoreFilesHeader") + "\r\n\r\n"), 0u) << text;
    EXPECT_NE(text.find(Line("_LogRestoreFile", {point + "\\" + MirrorPath(data_ / "Docs\\Report.TXT"),
                                                 data_ / "Docs\\Report.TXT"})),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find(Line("_LogRestoreFile", {point + "\\" + MirrorPath(data_ / "Old.DAT"), data_ / "Old.DAT"})),
        std::string::npos)
        << text;
}

TEST_F(RescueManagerTest, WhatIsNotPutBackStaysInThePoint) {
    const std::string point = Point("2025-01-31_08-05-09");
    BackUp(point, data_ / "free.txt", "free");
    BackUp(point, data_ / "taken.txt", "backed-up taken");
    BackUp(point, data_ / "sub\\also-free.txt", "also free");
    // The user made a new file of that name since: it is never overwritten.
    test::WriteFile(data_ / "taken.txt", "the user's newer file");
    // Nowhere to go: beside the drive folders, in a folder that names no drive (a folder of the
    // user's own that merely has a time-stamp name), and on a share that cannot be reached.
    const std::vector<std::string> homeless = {
        point + "\\readme.txt", point + "\\Photos\\a.jpg",
        point + "\\" + MirrorPath("\\\\qm-no-such-server\\share\\f.txt")};
    for (const std::string& file : homeless)
        test::WriteFile(file, "kept");
    const std::string takenBackup = point + "\\" + MirrorPath(data_ / "taken.txt");
    Open();
    ASSERT_TRUE(RestoreRow(0));
    EXPECT_EQ(test::ReadFile(data_ / "free.txt"), "free");
    EXPECT_EQ(test::ReadFile(data_ / "sub\\also-free.txt"), "also free");
    EXPECT_EQ(test::ReadFile(data_ / "taken.txt"), "the user's newer file");

    // The restore point stays, holding only the file that is not back, and the user is told.
    ASSERT_TRUE(test::Exists(point));
    EXPECT_EQ(test::ReadFile(takenBackup), "backed-up taken");
    EXPECT_FALSE(test::Exists(point + "\\" + MirrorPath(data_ / "free.txt")));
    EXPECT_FALSE(test::Exists(point + "\\" + MirrorPath(data_ / "sub")));  // emptied folders go too
    for (const std::string& file : homeless)
        EXPECT_EQ(test::ReadFile(file), "kept") << file;
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(Status(), "4 files could not be restored; they stay in the restore point.");
    std::vector<test::LogEntry> entries = test::ReadLogEntries(LogFolder());
    ASSERT_EQ(entries.size(), 1u);
    // With the system's reason.
    EXPECT_NE(entries[0].text.find(
                  FormatText(Translate("_LogRestoreFileFailed"), {takenBackup, data_ / "taken.txt"}) + " (" +
                  win::SystemErrorText(ERROR_ALREADY_EXISTS) + ")"),
              std::string::npos)
        << entries[0].text;
    EXPECT_NE(entries[0].text.find(Line("_LogRestoreFile",
                                        {point + "\\" + MirrorPath(data_ / "free.txt"), data_ / "free.txt"})),
              std::string::npos);

    // Once the user's file has gone, restoring again brings the backup back; the rest still waits.
    ASSERT_TRUE(::DeleteFileA((data_ / "taken.txt").c_str()));
    ASSERT_TRUE(RestoreRow(0));
    EXPECT_EQ(test::ReadFile(data_ / "taken.txt"), "backed-up taken");
    EXPECT_FALSE(test::Exists(takenBackup));
    EXPECT_EQ(Status(), "3 files could not be restored; they stay in the restore point.");
    for (const std::string& file : homeless)
        EXPECT_EQ(test::ReadFile(file), "kept") << file;
    EXPECT_EQ(test::ReadLogEntries(LogFolder()).size(), 2u);
}

// A cleaning writes its restore point and has not removed all its files yet: restore points wait.
TEST_F(RescueManagerTest, RestoreAndDeleteWaitWhileACleaningRuns) {
    const std::string point = Point("2025-01-31_08-05-09");
    BackUp(point, data_ / "a.txt", "a");
    HeldCleaning cleaning(session_);
    Open();
    list_.Select(0);
    Press(IDC_RESCUE_RESTORE);
    Press(IDC_RESCUE_DELETE);
    EXPECT_EQ(prompts_.messages, (std::vector<std::string>{Translate("_RescueDialogCleaningRuns"),
                                                           Translate("_RescueDialogCleaningRuns")}));
    EXPECT_EQ(prompts_.styles[0], static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_FALSE(dialog_.Working());
    EXPECT_TRUE(test::Exists(point + "\\" + MirrorPath(data_ / "a.txt")));
    EXPECT_FALSE(test::Exists(data_ / "a.txt"));

    ASSERT_TRUE(cleaning.Finish());
    ASSERT_TRUE(RestoreRow(0));
    EXPECT_EQ(test::ReadFile(data_ / "a.txt"), "a");
    EXPECT_FALSE(test::Exists(point));
}

// While the test does not dispatch messages, the worker waits in its first control update, so the
// restore is certainly still running when the test presses the buttons.
TEST_F(RescueManagerTest, ClosingIsRefusedWhileARestoreRunsAndASecondPressStartsNothing) {
    const std::string point = Point("2025-01-31_08-05-09");
    BackUp(point, data_ / "a.txt", "a");
    Open();
    list_.Select(0);
    prompts_.answers = {IDYES};
    Press(IDC_RESCUE_RESTORE);
    ASSERT_TRUE(dialog_.Working());
    EXPECT_FALSE(Enabled(IDC_RESCUE_RESTORE));
    EXPECT_FALSE(Enabled(IDC_RESCUE_BROWSE));
    EXPECT_FALSE(Enabled(IDC_RESCUE_DELETE));

    // A quick second press (Enter reaches a disabled default button too) asks nothing and starts nothing.
    ::SendMessageA(window_, WM_COMMAND, MAKEWPARAM(IDC_RESCUE_RESTORE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window_, IDC_RESCUE_RESTORE)));
    EXPECT_EQ(prompts_.messages.size(), 1u);

    Press(IDCANCEL);
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[1], Translate("_CancelRequestThreadExit"));
    EXPECT_EQ(prompts_.styles[1], static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(::IsWindow(window_));

    ASSERT_TRUE(test::PumpUntil([&] { return !dialog_.Working(); }));
    EXPECT_EQ(test::ReadFile(data_ / "a.txt"), "a");
    EXPECT_FALSE(test::Exists(point));
    EXPECT_EQ(test::ReadLogEntries(LogFolder()).size(), 1u);
    Press(IDCANCEL);  // now it closes
    EXPECT_FALSE(::IsWindow(window_));
    EXPECT_EQ(prompts_.messages.size(), 2u);
}

TEST_F(RescueManagerTest, ClosingTheDialogMidRestoreWaitsAndKeepsTheBackup) {
    const std::string point = Point("2025-01-31_08-05-09");
    BackUp(point, data_ / "a.txt", "a");
    BackUp(point, data_ / "b.txt", "b");
    Open();
    list_.Select(0);
    prompts_.answers = {IDYES};
    Press(IDC_RESCUE_RESTORE);
    ASSERT_TRUE(dialog_.Working());
    // The window goes while the worker waits for its first update: it is stopped before any copy.
    ::DestroyWindow(window_);
    EXPECT_FALSE(dialog_.Working());
    EXPECT_TRUE(test::Exists(point + "\\" + MirrorPath(data_ / "a.txt")));
    EXPECT_TRUE(test::Exists(point + "\\" + MirrorPath(data_ / "b.txt")));
    EXPECT_FALSE(test::Exists(data_ / "a.txt"));
}

// Each row shows how much its point holds and how many days old it is by its name; below the list,
// what all of them hold.
TEST_F(RescueManagerTest, ShowsEachPointsSizeAndAgeAndTheTotalHeld) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME time;
    ::SystemTimeToFileTime(&now, &time);
    ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
    ticks.QuadPart -= 3 * 864'000'000'000ULL;
    time = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME then;
    ::FileTimeToSystemTime(&time, &then);
    const std::string recent = Point(RestorePointName(then));
    BackUp(recent, data_ / "a.tmp", std::string(1024 * 1024, 'a'));
    BackUp(recent, data_ / "sub\\b.tmp", std::string(512 * 1024, 'b'));
    const std::string old = Point("2020-01-01_00-00-00");
    BackUp(old, data_ / "c.tmp", std::string(256 * 1024, 'c'));
    Open();

    ASSERT_EQ(list_.Count(), 2);
    EXPECT_EQ(dialog_.RowPath(1), recent);
    // Each size in the unit that fits it.
    EXPECT_EQ(list_.Text(1, 1), "1.50 MB");
    EXPECT_EQ(list_.Text(1, 2), "3");
    EXPECT_EQ(list_.Text(0, 1), "256 KB");
    std::string days = list_.Text(0, 2);
    days.erase(std::remove(days.begin(), days.end(), ','), days.end());  // "2,537": grouped
    EXPECT_GE(std::stoi(days), 6 * 365);                                 // made in 2020
    const HWND total = ::GetDlgItem(window_, IDC_RESCUE_TOTAL);
    EXPECT_EQ(test::WindowText(total), FormatText(Translate("_RescueTotalHeld"), {std::string("1.75 MB")}));
    EXPECT_TRUE(test::ShowsItsTextWhole(total));

    // After a point's removal the total is what is left.
    list_.Select(0);
    prompts_.answers = {IDYES};
    Press(IDC_RESCUE_DELETE);
    ASSERT_TRUE(test::PumpUntil([&] { return !dialog_.Working() && list_.Count() == 1; }));
    EXPECT_EQ(test::WindowText(total), FormatText(Translate("_RescueTotalHeld"), {std::string("1.50 MB")}));
}

// In German the list, the restore question and the sizes read as a German reader expects: the day
// before the month (24.12.2024 is not 12 December to them), a 24-hour clock, a decimal comma; the
// window closes with "Schließen", since nothing is left to cancel.
TEST_F(RescueManagerTest, SpeaksTheChosenLanguagesDatesAndNumbers) {
    LanguageTable& table = LanguageTable::Instance();
    ASSERT_TRUE(table.SetTranslation(test::SourceFile("data/Languages/de.language")));
    SetCurrentLocale(LocaleForLanguage("de", ""));
    BackUp(Point("2024-12-24_18-00-00"), data_ / "a.tmp", std::string(1536, 'a'));
    Open();
    table.SetTranslation("");
    SetCurrentLocale(TextLocale());

    ASSERT_EQ(list_.Count(), 1);
    // Day, month, year, and the hour of a 24-hour clock.
    EXPECT_EQ(list_.Text(0, 0).rfind("24.12.2024 18:00", 0), 0u) << list_.Text(0, 0);
    EXPECT_EQ(list_.Text(0, 1), "1,50 KB");
    wchar_t close[32] = {};
    ::GetDlgItemTextW(window_, IDCANCEL, close, 32);
    EXPECT_EQ(std::wstring(close), L"Schlie\u00DFen");
    list_.Select(0);
    prompts_.answers = {IDNO};
    Press(IDC_RESCUE_RESTORE);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].find(list_.Text(0, 0)), std::string::npos) << prompts_.messages[0];
}
