// The wizard frame on the real resources: button states, routes, the scan inputs it reads from the
// settings pages, stopping a scan, ending the program, and a cleaning through the pages.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "clean/BackupStore.h"
#include "pages/RescueManager.h"
#include "resources/ResourceIds.h"
#include "support/ConfigText.h"
#include "support/WindowTest.h"
#include "win/Text.h"
#include "win/ListView.h"
#include "wizard/WizardFrame.h"

namespace {

std::string TestConfig() {
    test::ConfigParts config;
    config.patterns = {
        test::PatternRow("1", "Temporary file", "*.tmp"), test::PatternRow("0", "Backup copy", "*.bak"),
        test::PatternRow("1", "Later temporary", "*.TMP"), test::PatternRow("1", "Crash dump", "*.dmp")};
    config.options = test::ScanOptions(
        {test::NotAccessedOption("0", "0", "12abc", "12"), test::Option("SkipReadOnlyFiles", "1", "1"),
         test::Option("SkipSystemFiles", "0", "1"), test::Option("SkipHiddenFiles", "1", "0"),
         test::Option("FindZeroLengthFiles", "1", "0"), test::Option("FindInvalidShortcuts", "0", "1"),
         test::Option("FindTemp", "0", "1"), test::Option("FindIETemp", "0", "1")});
    config.skipFolders = {test::FolderRow("1", "C:\\skip-me"), test::FolderRow("0", "C:\\not-skipped")};
    return test::ConfigText(config);
}

bool Enabled(HWND frame, int id) {
    return ::IsWindowEnabled(::GetDlgItem(frame, id));
}
bool Visible(HWND frame, int id) {
    return ::IsWindowVisible(::GetDlgItem(frame, id));
}

class WizardFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(data_ / "other\\keep.tmp", "never searched");
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
    void Pre() { test::Click(frameWindow_, IDC_FRAME_PRE); }
    void GoTo(int page) {
        while (frame_.CurrentPage() < page)
            Next();
    }
    HWND PageItem(int page, int id) { return ::GetDlgItem(frame_.Page(page).Handle(), id); }
    // Unticks every drive, so a scan searches only what the test adds.
    void NoRoots() { test::Click(frame_.Page(WizardFrame::kFolders).Handle(), IDC_FOLDERS_REMOVEALL); }
    // Expands the folder tree down to folder with the keyboard and ticks it with Space, as a user would.
    void TickFolder(const std::string& folder) {
        HWND tree = PageItem(WizardFrame::kFolders, IDC_FOLDERS_TREE);
        HTREEITEM item = nullptr;
        size_t start = 0;
        while (start <= folder.size()) {
            size_t end = folder.find('\\', start);
            if (end == std::string::npos)
                end = folder.size();
            const std::string name = folder.substr(start, end - start);
            if (item && !(TreeView_GetItemState(tree, item, TVIS_EXPANDED) & TVIS_EXPANDED)) {
                TreeView_SelectItem(tree, item);
                ::SendMessageA(tree, WM_KEYDOWN, VK_ADD, 0);  // expands, and the page fills the folder
            }
            HTREEITEM child = item ? TreeView_GetChild(tree, item) : TreeView_GetRoot(tree);
            for (; child; child = TreeView_GetNextSibling(tree, child)) {
                char text[MAX_PATH] = {};
                TVITEMA tv{};
                tv.mask = TVIF_TEXT | TVIF_HANDLE;
                tv.hItem = child;
                tv.pszText = text;
                tv.cchTextMax = sizeof(text);
                ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
                if (_stricmp(text, name.c_str()) == 0)
                    break;
            }
            ASSERT_TRUE(child) << "no tree item " << name;
            item = child;
            start = end + 1;
        }
        TreeView_SelectItem(tree, item);
        ::SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
    }
    // Scans the folder junk below the test's data folder and goes on to the clean options page.
    void ScanJunkToCleanOptions() {
        NoRoots();
        ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "junk"));
        GoTo(WizardFrame::kSkip);
        Next();
        ASSERT_TRUE(WaitForScanEnd());
        Next();  // report
        Next();  // clean options
        ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kCleanOptions);
    }
    bool WaitForScanEnd() {
        return test::PumpUntil(
            [&] { return !frame_.CurrentSession().ScanRunning() && Enabled(frameWindow_, IDC_FRAME_NEXT); });
    }
    // The button states as "Help Pre Next Cancel", each E(nabled), D(isabled) or H(idden).
    std::string Buttons() {
        std::string s;
        for (int id : {IDC_FRAME_HELP, IDC_FRAME_PRE, IDC_FRAME_NEXT, IDC_FRAME_CANCEL})
            s += !Visible(frameWindow_, id) ? 'H' : Enabled(frameWindow_, id) ? 'E' : 'D';
        return s;
    }

    // The program's own message loop: the frame's dialog manager sees every message first.
    void DialogPump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // Each message goes to the dialog it belongs to: the frame, or a dialog opened over it.
            HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (msg.message == WM_QUIT || (root && ::IsDialogMessageW(root, &msg)))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // A key pressed and released on the focused control, with Shift held when asked.
    void Press(WPARAM key, bool shift = false) {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        HWND focus = ::GetFocus();
        ::PostMessageW(focus, WM_KEYDOWN, key, 1);
        ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        DialogPump();
        keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
    }
    // Alt and a letter.
    void AccessKey(wchar_t letter) {
        ::PostMessageW(::GetFocus(), WM_SYSCHAR, letter, 0x20000001);
        DialogPump();
    }
    // Tabs (or Shift+Tabs) until the focus is on target, the focus usable after every step.
    ::testing::AssertionResult TabTo(HWND target, bool back = false) {
        for (int step = 0; step < 40 && ::GetFocus() != target; ++step) {
            Press(VK_TAB, back);
            if (auto usable = FocusUsable(); !usable)
                return usable;
        }
        if (::GetFocus() != target)
            return ::testing::AssertionFailure() << "Tab never reached control " << ::GetDlgCtrlID(target);
        return ::testing::AssertionSuccess();
    }
    // A worker just started may end at any moment, greying the focused button from its own thread
    // and posting the frame's focus fix: the focus is usable once the messages of that moment are
    // handled.
    ::testing::AssertionResult FocusSettlesUsable() {
        ::testing::AssertionResult usable = ::testing::AssertionFailure();
        test::PumpUntil([&] {
            DialogPump();
            usable = FocusUsable();
            return static_cast<bool>(usable);
        });
        return usable;
    }
    // Whether the focus is on a visible, enabled control of the current page or of the frame.
    ::testing::AssertionResult FocusUsable() {
        HWND focus = ::GetFocus();
        HWND page = frame_.Page(frame_.CurrentPage()).Handle();
        if (!focus)
            return ::testing::AssertionFailure() << "no focus on page " << frame_.CurrentPage();
        const int id = ::GetDlgCtrlID(focus);
        if (::GetParent(focus) != frameWindow_ && !::IsChild(page, focus))
            return ::testing::AssertionFailure()
                   << "focus on control " << id << " outside page " << frame_.CurrentPage();
        if (!::IsWindowVisible(focus) || !::IsWindowEnabled(focus))
            return ::testing::AssertionFailure() << "focus on hidden or disabled control " << id;
        return ::testing::AssertionSuccess();
    }

    test::ProgramFolder program_{TestConfig()};
    // The files a scan looks at, outside the program's folder (which a scan always skips). A
    // folder "other" beside the ones a test ticks keeps their parent from being ticked whole.
    test::TempFolder data_;
    test::RecordingPrompts prompts_;
    WizardFrame frame_;
    HWND frameWindow_ = nullptr;
};

}  // namespace

TEST_F(WizardFrameTest, OpensOnTheWelcomePageTranslatedWithItsCaption) {
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kWelcome);
    EXPECT_EQ(Buttons(), "EDEE");
    EXPECT_EQ(test::WindowText(::GetDlgItem(frameWindow_, IDC_FRAME_NEXT)), Translate("_Next"));
    EXPECT_NE(Translate("_Next"), "_Next");
    // The test program carries the program's resources, version information included.
    EXPECT_EQ(test::WindowText(frameWindow_), "Quillmoor (1.0)");
    char menuText[64] = {};
    ::GetMenuStringA(::GetMenu(frameWindow_), 0, menuText, sizeof(menuText), MF_BYPOSITION);
    EXPECT_EQ(std::string(menuText), Translate("_File"));
}

TEST_F(WizardFrameTest, NextAndPreWalkTheSettingsPages) {
    for (int page = WizardFrame::kFolders; page <= WizardFrame::kSkip; ++page) {
        Next();
        EXPECT_EQ(frame_.CurrentPage(), page);
        EXPECT_EQ(Buttons(), "EEEE");
        EXPECT_TRUE(::IsWindowVisible(frame_.Page(page).Handle()));
    }
    for (int page = WizardFrame::kOptions; page >= WizardFrame::kWelcome; --page) {
        Pre();
        EXPECT_EQ(frame_.CurrentPage(), page);
    }
    EXPECT_EQ(Buttons(), "EDEE");
}

TEST_F(WizardFrameTest, TheScanReadsItsInputsFromTheSettingsPages) {
    NoRoots();
    GoTo(WizardFrame::kSkip);
    Next();  // starts the scan
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kScanning);
    ASSERT_TRUE(WaitForScanEnd());
    const ScanJob& job = frame_.CurrentSession().Scan();
    EXPECT_TRUE(job.roots.empty());
    EXPECT_EQ(job.masks,
              (TextMap{{"*.TMP", "Later temporary"}, {"*.dmp", "Crash dump"}, {"*.tmp", "Temporary file"}}));
    EXPECT_EQ(job.skipFolders, std::vector<std::string>{"C:\\skip-me"});
    EXPECT_EQ(job.ownFolders, (std::vector<std::string>{program_ / "Backup", program_.Path()}));
    EXPECT_EQ(job.options.months, 12);
    EXPECT_TRUE(job.options.skipReadOnly);
    EXPECT_FALSE(job.options.skipSystem);
    EXPECT_TRUE(job.options.skipHidden);
    EXPECT_TRUE(job.options.findZeroLength);
    EXPECT_FALSE(job.options.findInvalidShortcuts);
    EXPECT_FALSE(job.options.findNotAccessed);
    EXPECT_FALSE(job.findTemp);
}

TEST_F(WizardFrameTest, AScanWithoutResultsGoesStraightToTheResultsPage) {
    NoRoots();
    GoTo(WizardFrame::kSkip);
    Next();
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kScanning, IDC_SCANNING_STATUS)),
              Translate("_StateStringSearchCompleted"));
    EXPECT_FALSE(::IsWindowEnabled(PageItem(WizardFrame::kScanning, IDC_SCANNING_STOP)));
    Next();
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kResults);
    EXPECT_EQ(Buttons(), "EHHE");
    EXPECT_EQ(test::WindowText(::GetDlgItem(frameWindow_, IDC_FRAME_CANCEL)), Translate("_FinishButton"));
}

// While the test does not dispatch messages, the worker waits in its first control update, so
// the scan is certainly still running when the test presses Stop or Cancel.
TEST_F(WizardFrameTest, StopAndExitWhileAScanRuns) {
    test::WriteFile(data_ / "tree\\a.tmp");
    NoRoots();
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "tree"));
    GoTo(WizardFrame::kSkip);
    const ScanJob& job = frame_.CurrentSession().Scan();
    Next();
    ASSERT_TRUE(job.worker.IsRunning());
    EXPECT_EQ(Buttons(), "EDDE");

    prompts_.answers = {IDOK};
    test::Click(frameWindow_, IDC_FRAME_CANCEL);  // refused while scanning
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0], Translate("_ExitProramRequestCancelScanThread"));
    EXPECT_TRUE(::IsWindow(frameWindow_));

    HWND page = frame_.Page(WizardFrame::kScanning).Handle();
    // A question answered Yes or No: "Cancel" would read as "stop" to the user who wants to stop.
    prompts_.answers = {IDNO};
    test::Click(page, IDC_SCANNING_STOP);
    EXPECT_EQ(prompts_.messages.back(), Translate("_StopscanConfirm"));
    EXPECT_EQ(prompts_.styles.back(), static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(job.worker.IsRunning());
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kScanning, IDC_PAGE_DESCRIPTION)),
              Translate("_ScanningDescription"));

    prompts_.answers = {IDYES};
    test::Click(page, IDC_SCANNING_STOP);
    EXPECT_FALSE(job.worker.IsRunning());
    // Once the search has ended, the heading no longer says it is searching.
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kScanning, IDC_PAGE_DESCRIPTION)),
              Translate("_ScanningDescriptionDone"));
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kScanning, IDC_SCANNING_STATUS)),
              Translate("_StateStringSearchStopped"));
    EXPECT_FALSE(::IsWindowEnabled(PageItem(WizardFrame::kScanning, IDC_SCANNING_STOP)));
    EXPECT_EQ(Buttons(), "EEEE");

    Pre();  // back to the folders for a new pass
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kFolders);
}

TEST_F(WizardFrameTest, StoppingMarksTheSearchedRootCompleteAndLeavesTheRest) {
    for (int i = 0; i < 20; ++i)
        test::WriteFile(data_ / ("r0\\f" + std::to_string(i) + ".tmp"));
    test::WriteFile(data_ / "r1\\x.tmp");
    NoRoots();
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "r0"));
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "r1"));
    GoTo(WizardFrame::kSkip);
    Next();
    const ScanJob& job = frame_.CurrentSession().Scan();
    ASSERT_EQ(job.roots, (std::vector<std::string>{data_ / "r0", data_ / "r1"}));
    ASSERT_TRUE(job.worker.IsRunning());
    win::ListView rows(PageItem(WizardFrame::kScanning, IDC_SCANNING_ROOTS));
    // The worker goes as far as marking its first root; it cannot reach the second without us.
    ASSERT_TRUE(
        test::DeliverSentMessagesUntil([&] { return rows.Text(0, 1) == Translate("_stateScanning"); }));
    prompts_.answers = {IDYES};
    test::Click(frame_.Page(WizardFrame::kScanning).Handle(), IDC_SCANNING_STOP);
    EXPECT_FALSE(job.worker.IsRunning());
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Text(0, 1), Translate("_StateComplete"));
    EXPECT_EQ(rows.Text(1, 1), Translate("_StateNotComplete"));
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kScanning, IDC_SCANNING_STATUS)),
              Translate("_StateStringSearchStopped"));
    EXPECT_EQ(job.results.ToTextMap().count(data_ / "r1\\x.tmp"), 0u);
    Next();  // on with what was found so far
    EXPECT_TRUE(frame_.CurrentPage() == WizardFrame::kReport ||
                frame_.CurrentPage() == WizardFrame::kResults);
}

TEST_F(WizardFrameTest, NothingTickedInTheReportSkipsTheCleaning) {
    test::WriteFile(data_ / "junk\\a.tmp");
    NoRoots();
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "junk"));
    GoTo(WizardFrame::kSkip);
    Next();
    ASSERT_TRUE(WaitForScanEnd());
    EXPECT_EQ(frame_.CurrentSession().Scan().roots, (std::vector<std::string>{data_ / "junk"}));
    Next();
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kReport);
    win::ListView report(PageItem(WizardFrame::kReport, IDC_REPORT_LIST));
    ASSERT_EQ(report.Count(), 1);
    EXPECT_EQ(report.Text(0, 0), data_ / "junk\\a.tmp");
    EXPECT_TRUE(report.IsTicked(0));
    EXPECT_EQ(report.Text(0, 1), "0.00");             // one byte
    EXPECT_EQ(report.Text(0, 2), "Later temporary");  // "*.TMP" sorts before "*.tmp" and matches first
    test::Click(frame_.Page(WizardFrame::kReport).Handle(), IDC_REPORT_REMOVEALL);
    Next();
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kResults);
    EXPECT_TRUE(test::Exists(data_ / "junk\\a.tmp"));
    // Nothing was cleaned, and the results do not offer to show what was done.
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kResults, IDC_PAGE_DESCRIPTION)),
              Translate("_ResultsNothingFound"));
}

TEST_F(WizardFrameTest, CleaningThroughThePagesBacksUpAndDeletes) {
    test::WriteFile(data_ / "junk\\a.tmp", "a");
    test::WriteFile(data_ / "junk\\b.bak", "unticked pattern");
    test::WriteFile(data_ / "junk\\keep.txt", "keep");
    NoRoots();
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "junk"));
    GoTo(WizardFrame::kSkip);
    Next();
    ASSERT_TRUE(WaitForScanEnd());
    Next();  // report
    ASSERT_EQ(win::ListView(PageItem(WizardFrame::kReport, IDC_REPORT_LIST)).Count(), 1);
    Next();  // clean options
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kCleanOptions);
    Pre();  // back to the report, ticks unchanged
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kReport);
    EXPECT_TRUE(win::ListView(PageItem(WizardFrame::kReport, IDC_REPORT_LIST)).IsTicked(0));
    Next();
    // The backup folder shows the path variable expanded.
    HWND folder = PageItem(WizardFrame::kCleanOptions, IDC_CLEANOPTIONS_FOLDER);
    EXPECT_EQ(test::WindowText(folder), program_ / "Backup");
    // A relative backup folder would put the restore point where the rescue manager never looks.
    ::SetWindowTextA(folder, "Backup");
    Next();
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kCleanOptions);
    EXPECT_EQ(prompts_.messages, std::vector<std::string>{Translate("_BackupDirectoryUnusable")});
    EXPECT_TRUE(test::Exists(data_ / "junk\\a.tmp"));
    ::SetWindowTextA(folder, (program_ / "Backup").c_str());
    Next();  // cleaning
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kCleaning);
    ASSERT_TRUE(test::PumpUntil([&] { return Enabled(frameWindow_, IDC_FRAME_NEXT); }));
    EXPECT_EQ(test::WindowText(PageItem(WizardFrame::kCleaning, IDC_CLEANING_STATUS)),
              FormatText(Translate("_CleaningPageStateCompleteCounts"), {1LL, 0LL}));
    // Once the cleaning has ended, its status is a sentence that wraps rather than a path shortened
    // in the middle: a longer one, as in another language, shows whole.
    HWND status = PageItem(WizardFrame::kCleaning, IDC_CLEANING_STATUS);
    EXPECT_EQ(::GetWindowLongW(status, GWL_STYLE) & SS_ELLIPSISMASK, 0);
    const std::string finished =
        FormatText(Translate("_CleaningPageStateFinishedKept"), {1234567LL, 1234567LL, 1234567LL, 1234567LL});
    ::SetWindowTextW(status, win::Wide(finished + " " + finished.substr(0, finished.size() / 2)).c_str());
    EXPECT_TRUE(test::ShowsItsTextWhole(status));
    EXPECT_FALSE(test::Exists(data_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(data_ / "junk\\b.bak"));
    EXPECT_TRUE(test::Exists(data_ / "junk\\keep.txt"));
    const auto points = FindRestorePoints(program_ / "Backup");
    ASSERT_EQ(points.size(), 1u);
    // With a restore point, the cleaning asked nothing beyond the unusable folder.
    EXPECT_EQ(prompts_.messages.size(), 1u);
    Next();
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kResults);
    // The results name what was done and the restore point that holds it.
    const std::string results = test::WindowText(PageItem(WizardFrame::kResults, IDC_PAGE_DESCRIPTION));
    EXPECT_NE(results.find(Translate("_CleanerResultsDescription")), std::string::npos) << results;
    EXPECT_NE(results.find(FormatText(Translate("_ResultsRestorePoint"), {points[0].path})),
              std::string::npos)
        << results;
}

TEST_F(WizardFrameTest, EndingDuringACleaningAsksAndStopsIt) {
    for (int i = 0; i < 50; ++i)
        test::WriteFile(data_ / ("junk\\f" + std::to_string(i) + ".tmp"));
    NoRoots();
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "junk"));
    GoTo(WizardFrame::kSkip);
    Next();
    ASSERT_TRUE(WaitForScanEnd());
    Next();
    Next();
    Next();  // the cleaning starts and waits for its first control update
    ASSERT_TRUE(frame_.CurrentSession().CleaningRunning());
    prompts_.answers = {IDNO};
    test::Click(frameWindow_, IDC_FRAME_CANCEL);
    EXPECT_EQ(prompts_.messages.back(), Translate("_ExitRequestStopCleaning"));
    EXPECT_TRUE(::IsWindow(frameWindow_));
    prompts_.answers = {IDYES};
    test::Click(frameWindow_, IDC_FRAME_CANCEL);
    EXPECT_FALSE(::IsWindow(frameWindow_));
    EXPECT_FALSE(frame_.CurrentSession().CleaningRunning());
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(WizardFrameTest, EndingSavesTheSettingsAndPostsExitCodeTwo) {
    GoTo(WizardFrame::kOptions);
    test::Click(frame_.Page(WizardFrame::kOptions).Handle(), IDC_OPTIONS_RECENT);
    test::Click(frameWindow_, IDC_FRAME_CANCEL);
    EXPECT_FALSE(::IsWindow(frameWindow_));
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    std::string config = test::ReadFile(program_ / "config.xml");
    EXPECT_NE(config.find("<FindRecent checked=\"1\""), std::string::npos) << config;
}

// Only the keyboard, as the program's message loop delivers it: every page's focus is usable, and a
// key acts on the control it was pressed on, never on another page or the frame's button of the
// same id.
TEST_F(WizardFrameTest, EveryPageWorksFromTheKeyboard) {
    test::WriteFile(data_ / "junk\\a.tmp", "a");
    test::WriteFile(data_ / "junk\\keep.txt", "keep");
    ASSERT_TRUE(FocusUsable());

    // About opens with the focus on its close button, which Enter presses.
    bool aboutFocused = false;
    prompts_.onDialog = [&](HWND dialog, int) {
        aboutFocused = ::GetFocus() == ::GetDlgItem(dialog, IDCANCEL) &&
                       LOWORD(::SendMessageW(dialog, DM_GETDEFID, 0, 0)) == IDCANCEL;
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
    };
    ::SendMessageW(frameWindow_, WM_COMMAND, ID_HELP_ABOUT, 0);
    EXPECT_EQ(prompts_.dialogs, std::vector<int>{IDD_ABOUT});
    EXPECT_TRUE(aboutFocused);
    prompts_.onDialog = nullptr;
    ASSERT_TRUE(FocusUsable());

    Press(VK_RETURN);  // on Next
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kFolders);
    EXPECT_TRUE(FocusUsable());
    NoRoots();
    ASSERT_NO_FATAL_FAILURE(TickFolder(data_ / "junk"));
    AccessKey(L'n');
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kPatterns);
    EXPECT_TRUE(FocusUsable());

    // The list's last row selected; Enter in the list presses no button of the page or frame.
    HWND list = PageItem(WizardFrame::kPatterns, IDC_PATTERNS_LIST);
    win::ListView rows(list);
    ASSERT_TRUE(TabTo(list));
    Press(VK_END);
    Press(VK_RETURN);
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kPatterns);
    ASSERT_EQ(rows.Count(), 4);
    // Enter and Space on Delete (the id of the frame's Next) each delete a row and stay.
    ASSERT_TRUE(TabTo(PageItem(WizardFrame::kPatterns, IDC_PATTERNS_DELETE)));
    Press(VK_RETURN);
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kPatterns);
    EXPECT_EQ(rows.Count(), 3);
    Press(VK_SPACE);
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kPatterns);
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.Text(0, 0), "*.tmp");
    EXPECT_TRUE(FocusUsable());
    // Enter on Add opens its dialog.
    ASSERT_TRUE(TabTo(PageItem(WizardFrame::kPatterns, IDC_PATTERNS_ADD), true));
    Press(VK_RETURN);
    EXPECT_EQ(prompts_.dialogs, (std::vector<int>{IDD_ABOUT, IDD_PATTERN}));
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kPatterns);

    // Leaving a page with the focus inside it puts the focus on the next page.
    AccessKey(L'n');
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kOptions);
    EXPECT_TRUE(FocusUsable());
    AccessKey(L'n');
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kSkip);
    ASSERT_TRUE(TabTo(::GetDlgItem(frameWindow_, IDC_FRAME_NEXT)));
    Press(VK_SPACE);
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kScanning);
    EXPECT_TRUE(FocusSettlesUsable());  // Next is disabled while the scan runs
    ASSERT_TRUE(WaitForScanEnd());
    DialogPump();
    EXPECT_TRUE(FocusUsable());  // Stop is disabled when it ends
    AccessKey(L'n');
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kReport);
    EXPECT_TRUE(FocusUsable());
    ASSERT_EQ(win::ListView(PageItem(WizardFrame::kReport, IDC_REPORT_LIST)).Count(), 1);
    ASSERT_TRUE(TabTo(::GetDlgItem(frameWindow_, IDC_FRAME_NEXT)));
    Press(VK_RETURN);
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kCleanOptions);
    EXPECT_TRUE(FocusUsable());
    Press(VK_RETURN);
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kCleaning);
    EXPECT_TRUE(FocusSettlesUsable());
    ASSERT_TRUE(test::PumpUntil([&] { return Enabled(frameWindow_, IDC_FRAME_NEXT); }));
    DialogPump();
    EXPECT_TRUE(FocusUsable());
    EXPECT_FALSE(test::Exists(data_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(data_ / "junk\\keep.txt"));
    AccessKey(L'n');
    ASSERT_EQ(frame_.CurrentPage(), WizardFrame::kResults);
    EXPECT_TRUE(FocusUsable());  // Next is hidden here

    // The restore, by keyboard in the rescue manager: the arrows pick the restore point, Alt and
    // the Restore button's letter restore it (Yes to the question), and the file is back.
    RescueManager rescue(frame_.CurrentSession());
    HWND window = rescue.Create(IDD_RESCUE, frameWindow_);
    ASSERT_TRUE(window);
    ::ShowWindow(window, SW_SHOW);
    ::SetActiveWindow(window);
    DialogPump();
    auto focusInRescue = [&] {
        HWND focus = ::GetFocus();
        return ::IsChild(window, focus) && ::IsWindowVisible(focus) && ::IsWindowEnabled(focus);
    };
    EXPECT_TRUE(focusInRescue());
    HWND points = ::GetDlgItem(window, IDC_RESCUE_LIST);
    for (int step = 0; step < 10 && ::GetFocus() != points; ++step) {
        Press(VK_TAB);
        EXPECT_TRUE(focusInRescue());
    }
    ASSERT_EQ(::GetFocus(), points);
    Press(VK_HOME);
    ASSERT_EQ(rescue.List().Selected(), 0);
    prompts_.answers = {IDYES};
    const std::string restoreText = Translate("_Restore");
    AccessKey(static_cast<wchar_t>(restoreText[restoreText.find('&') + 1]));
    ASSERT_TRUE(test::PumpUntil([&] { return !rescue.Working(); }));
    DialogPump();
    EXPECT_EQ(test::ReadFile(data_ / "junk\\a.tmp"), "a");
    EXPECT_TRUE(focusInRescue());
    Press(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(window));

    ::SetActiveWindow(frameWindow_);
    Press(VK_ESCAPE);
    EXPECT_FALSE(::IsWindow(frameWindow_));
}

// A new user unticks the backup and keeps the permanent deletion: Next asks once, as Windows asks
// before a permanent delete, with No as the default. No keeps every file and the page; Yes cleans.
TEST_F(WizardFrameTest, APermanentDeletionWithoutARestorePointAsksFirst) {
    test::WriteFile(data_ / "junk\\a.tmp", std::string(512 * 1024, 'a'));
    test::WriteFile(data_ / "junk\\b.dmp", std::string(1024 * 1024, 'b'));
    test::WriteFile(data_ / "junk\\keep.txt", "keep");
    ASSERT_NO_FATAL_FAILURE(ScanJunkToCleanOptions());
    HWND page = frame_.Page(WizardFrame::kCleanOptions).Handle();
    ASSERT_EQ(::IsDlgButtonChecked(page, IDC_CLEANOPTIONS_PERMANENT), BST_CHECKED);
    test::Click(page, IDC_CLEANOPTIONS_BACKUP);
    ASSERT_EQ(::IsDlgButtonChecked(page, IDC_CLEANOPTIONS_BACKUP), BST_UNCHECKED);

    prompts_.answers = {IDNO};
    Next();
    EXPECT_EQ(
        prompts_.messages,
        std::vector<std::string>{"Delete 2 ticked files (1.50 MB) permanently? They cannot be restored."});
    EXPECT_EQ(prompts_.styles, std::vector<UINT>{MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2});
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kCleanOptions);
    EXPECT_FALSE(frame_.CurrentSession().CleaningRunning());
    test::PumpPending();
    EXPECT_TRUE(test::Exists(data_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(data_ / "junk\\b.dmp"));

    prompts_.answers = {IDYES};
    Next();
    EXPECT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kCleaning);
    ASSERT_TRUE(test::PumpUntil([&] { return Enabled(frameWindow_, IDC_FRAME_NEXT); }));
    EXPECT_FALSE(test::Exists(data_ / "junk\\a.tmp"));
    EXPECT_FALSE(test::Exists(data_ / "junk\\b.dmp"));
    EXPECT_EQ(test::ReadFile(data_ / "junk\\keep.txt"), "keep");
    EXPECT_TRUE(FindRestorePoints(program_ / "Backup").empty());
}

// The Recycle Bin can give the files back: nothing more is asked, without a restore point too.
TEST_F(WizardFrameTest, TheRecycleBinWithoutARestorePointAsksNothing) {
    test::WriteFile(data_ / "junk\\a.tmp", "a");
    ASSERT_NO_FATAL_FAILURE(ScanJunkToCleanOptions());
    HWND page = frame_.Page(WizardFrame::kCleanOptions).Handle();
    test::Click(page, IDC_CLEANOPTIONS_BACKUP);
    test::Click(page, IDC_CLEANOPTIONS_RECYCLE);
    ASSERT_EQ(::IsDlgButtonChecked(page, IDC_CLEANOPTIONS_PERMANENT), BST_UNCHECKED);
    Next();
    EXPECT_EQ(frame_.CurrentPage(), WizardFrame::kCleaning);
    ASSERT_TRUE(test::PumpUntil([&] { return Enabled(frameWindow_, IDC_FRAME_NEXT); }));
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_FALSE(test::Exists(data_ / "junk\\a.tmp"));
    EXPECT_EQ(frame_.CurrentSession().Cleaning().counts.recycled, 1u);
}
