#include "pages/ScanningPage.h"

#include "core/AskUser.h"
#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "win/Prompts.h"

ScanningPage::ScanningPage(Session& session)
    : WizardPage(IDD_PAGE_SCANNING, IDB_SIDE_SCANNING), session_(session) {}

void ScanningPage::InitPage() {
    roots_ = win::ListView(Item(IDC_SCANNING_ROOTS));
    const UINT dpi = win::WindowDpi(Handle());
    roots_.AddColumn(0, Translate("_ListviewTragetFolder"), win::ScaleToDpi(200, dpi));
    roots_.AddColumn(1, Translate("_ListviewScanstate"), win::ScaleToDpi(300, dpi));
    roots_.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_SCANNING_ROOTS, win::Anchor::GrowBoth},
                              {IDC_SCANNING_STATUS, win::Anchor::MoveDownGrowWidth},
                              {IDC_SCANNING_FOUND, win::Anchor::MoveDownGrowWidth},
                              {IDC_SCANNING_STOP, win::Anchor::MoveBottomRight}});
    Enable(IDC_SCANNING_STOP, false);
}

void ScanningPage::ResetRootRows() {
    roots_.DeleteAll();
    const std::string notComplete = Translate("_StateNotComplete");
    for (const std::string& root : session_.Scan().roots)
        roots_.SetText(roots_.Append(root), 1, notComplete);
}

bool ScanningPage::StopWithConfirmation() {
    if (AskUser(Handle(), "_StopscanConfirm", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    return session_.StopScan();
}

bool ScanningPage::OnCommand(int id, int, HWND) {
    if (id != IDC_SCANNING_STOP)
        return false;
    StopWithConfirmation();
    return true;
}

void ScanningPage::SetStatusText(const std::string& text) {
    SetItemText(IDC_SCANNING_STATUS, text);
}
void ScanningPage::SetFoundCountText(const std::string& text) {
    SetItemText(IDC_SCANNING_FOUND, text);
}
int ScanningPage::RootRowCount() {
    return roots_.Count();
}
std::string ScanningPage::RootStateText(int row) {
    return roots_.Text(row, 1);
}
void ScanningPage::SetRootStateText(int row, const std::string& text) {
    roots_.SetText(row, 1, text);
}
void ScanningPage::ShowRunning(bool running) {
    // The heading says what the page is doing, so it must not say "searching" once it has ended.
    SetItemText(IDC_PAGE_DESCRIPTION,
                Translate(running ? "_ScanningDescription" : "_ScanningDescriptionDone"));
    Enable(IDC_SCANNING_STOP, running);
    ShowStatusAsPaths(IDC_SCANNING_STATUS, running);
}
