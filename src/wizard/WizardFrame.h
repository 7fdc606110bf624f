#pragma once
// The main window: the banner, the page pane with the ten pages, and Help, Pre, Next and Cancel.
// The frame owns the session and the settings; the pages show them, and the frame, not the pages,
// decides where to go and starts the session's scan and cleaning.

#include <array>

#include "config/WizardSettings.h"
#include "win/UniqueHandle.h"

#include "pages/CleaningPages.h"
#include "pages/FolderPage.h"
#include "pages/ReportPage.h"
#include "pages/ScanningPage.h"
#include "pages/SettingsPages.h"
#include "pages/WizardPage.h"
#include "session/Session.h"
#include "wizard/LanguageMenu.h"
#include "wizard/PagePane.h"

class WizardFrame : public win::Dialog {
  public:
    enum PageIndex {
        kWelcome,
        kFolders,
        kPatterns,
        kOptions,
        kSkip,
        kScanning,
        kReport,
        kCleanOptions,
        kCleaning,
        kResults,
        kPageCount
    };

    WizardFrame();
    // The session's workers report to the pages: they end before anything goes.
    ~WizardFrame() override { session_.Shutdown(); }

    // Creates the frame window (modeless, no owner); null when it cannot be created.
    HWND Open();
    int CurrentPage() const { return pane_.Current(); }
    WizardPage& Page(int index) { return *pages_[static_cast<size_t>(index)]; }
    Session& CurrentSession() { return session_; }
    ScanningPage& Scanning() { return scanning_; }
    CleaningPage& Cleaning() { return cleaning_; }
    ReportPage& Report() { return report_; }
    FolderPage& Folders() { return folders_; }

    // Enables Pre and Next when a worker has ended; runs on the worker's thread.
    static void WorkerDoneCallback(void* frame);

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void OnDestroy() override { session_.Shutdown(); }

  private:
    void ApplyButtonStates();
    // Leaves the keyboard focus where it is when that is a visible, enabled control, and otherwise
    // puts it on the page's first control, on Next, or on Cancel.
    void KeepFocusUsable();
    // Posted when a worker has ended, so the focus moves on this window's own thread.
    static constexpr UINT kWorkerEnded = WM_APP + 1;
    void NextStep();
    void PreviousStep();
    // Puts every settings page's controls into the settings, which scans and cleanings start from.
    void StoreSettings();
    void StartScan();
    void BuildReport();
    void StartCleaningRun();
    void EndProgram();
    void MenuCommand(int id);

    static constexpr COLORREF kBannerEdge = RGB(10, 38, 102);
    win::UniqueGdiObject<HBRUSH> bannerEdge_;  // the strips beside the banner picture
    win::UniqueGdiObject<HBITMAP> banner_;     // the banner at the frame's DPI, when not 96
    LanguageMenu languageMenu_;
    WizardSettings settings_;  // before the pages, which keep references to its parts
    Session session_;          // before the pages, which are views of it
    PagePane pane_;
    WelcomePage welcome_;
    FolderPage folders_;
    PatternPage patterns_;
    OptionsPage options_;
    SkipPage skip_;
    ScanningPage scanning_;
    ReportPage report_;
    CleanOptionsPage cleanOptions_;
    CleaningPage cleaning_;
    ResultsPage results_;
    std::array<WizardPage*, kPageCount> pages_;
};
