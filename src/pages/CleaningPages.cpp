#include "pages/CleaningPages.h"

#include <commctrl.h>

#include "core/AskUser.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "clean/ActivityLog.h"
#include "resources/ResourceIds.h"
#include "win/Prompts.h"

CleaningPage::CleaningPage(Session& session)
    : WizardPage(IDD_PAGE_CLEANING, IDB_SIDE_CLEANING), session_(session) {}

void CleaningPage::InitPage() {
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_CLEANING_STATUS, win::Anchor::GrowWidth},
                              {IDC_CLEANING_PROGRESS, win::Anchor::GrowWidth},
                              {IDC_CLEANING_STOP, win::Anchor::MoveBottomRight}});
    Enable(IDC_CLEANING_STOP, false);
}

bool CleaningPage::StopWithConfirmation() {
    if (AskUser(Handle(), "_StopCleanConfirm", MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return false;
    return session_.StopCleaning();
}

bool CleaningPage::OnCommand(int id, int, HWND) {
    if (id != IDC_CLEANING_STOP)
        return false;
    StopWithConfirmation();
    return true;
}

// The 32-bit range message, so that more than 65,535 files do not wrap the bar.
void CleaningPage::SetProgressRange(int maximum) {
    ::SendMessageW(Item(IDC_CLEANING_PROGRESS), PBM_SETRANGE32, 0, maximum);
}
void CleaningPage::SetProgressPosition(int position) {
    ::SendMessageW(Item(IDC_CLEANING_PROGRESS), PBM_SETPOS, position, 0);
}
void CleaningPage::SetStatusText(const std::string& text) {
    SetItemText(IDC_CLEANING_STATUS, text);
}
void CleaningPage::ShowRunning(bool running) {
    Enable(IDC_CLEANING_STOP, running);
}

ResultsPage::ResultsPage() : WizardPage(IDD_PAGE_RESULTS, IDB_SIDE_RESULTS) {}

void ResultsPage::InitPage() {
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth}});
}

bool ResultsPage::OnCommand(int id, int, HWND) {
    if (id != IDC_RESULTS_LOGVIEWER)
        return false;
    OpenActivityLogViewer(ProgramLogFolder());
    return true;
}
