#include "wizard/WizardFrame.h"

#include <tuple>

#include "core/DataFolders.h"
#include "core/AskUser.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "core/VersionInfo.h"
#include "resources/ResourceIds.h"
#include "session/ProgramPolicy.h"
#include "wizard/MenuCommands.h"
#include "win/Dpi.h"
#include "win/Prompts.h"

namespace {

// The session of this program: its user's data where this installation keeps it, under the
// organisation's policy, whose ignored values go to that data's log. The data folders are looked
// up once (a registry read and the profile's known folders).
Session ProgramSession() {
    const DataFolders data = ProgramDataFolders();
    return Session(data, ReadProgramPolicy(data.LogDataFolder()));
}

}  // namespace

WizardFrame::WizardFrame()
    : session_(ProgramSession()),
      patterns_(settings_.patterns),
      options_(settings_.scanOptions),
      skip_(settings_.skipFolders),
      scanning_(session_),
      cleanOptions_(settings_.cleanOptions),
      cleaning_(session_),
      results_(session_),
      pages_{&welcome_,  &folders_, &patterns_,     &options_,  &skip_,
             &scanning_, &report_,  &cleanOptions_, &cleaning_, &results_} {
    patterns_.ObeyPolicy(session_.CurrentPolicy());
    options_.ObeyPolicy(session_.CurrentPolicy());
    skip_.ObeyPolicy(session_.CurrentPolicy());
    cleanOptions_.ObeyPolicy(session_.CurrentPolicy());
}

HWND WizardFrame::Open() {
    return Create(IDD_WIZARD, nullptr);
}

bool WizardFrame::OnInit() {
    win::CentreWindow(Handle());
    pane_.Attach(Item(IDC_FRAME_PANE));
    for (WizardPage* page : pages_)
        pane_.Add(page->CreateIn(pane_.Handle()));
    pane_.Show(kWelcome);
    ApplyButtonStates();
    // The frame's own controls only: the pages translated themselves before they loaded their
    // settings, and a second pass would expand "\n" or "\r" inside data such as a folder path.
    LanguageTable::Instance().TranslateWindowOnly(Handle());
    for (HWND child = ::GetWindow(Handle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        LanguageTable::Instance().TranslateWindowOnly(child);
    LanguageTable::Instance().TranslateMenu(::GetMenu(Handle()));
    if (session_.CurrentPolicy().noTypedUrlTool)
        ::EnableMenuItem(::GetMenu(Handle()), ID_TOOLS_TYPEDURLS, MF_BYCOMMAND | MF_GRAYED);
    languageMenu_.Fill(::GetMenu(Handle()), ProgramDirectory());
    ::DrawMenuBar(Handle());
    banner_ = win::FitPicture(Item(IDC_FRAME_BANNER), IDB_BANNER);
    // Both icons at the sizes the system uses at its DPI, from the sizes the icon holds; shared
    // copies, which the system frees.
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    for (auto [which, width, height] :
         {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON}, std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
        HANDLE icon = ::LoadImageW(module, MAKEINTRESOURCEW(IDI_QUILLMOOR), IMAGE_ICON,
                                   ::GetSystemMetrics(width), ::GetSystemMetrics(height), LR_SHARED);
        ::SendMessageW(Handle(), WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
    const std::string caption = ProductString("ProductName") + " (" + ProductString("ProductVersion") + ")";
    win::SetWindowTextOf(Handle(), caption);
    ::SetFocus(Item(IDC_FRAME_NEXT));
    return false;
}

void WizardFrame::ApplyButtonStates() {
    const int page = pane_.Current();
    const bool workerPage = page == kScanning || page == kCleaning;
    Enable(IDC_FRAME_HELP, true);
    Enable(IDC_FRAME_PRE, page != kWelcome && !workerPage);
    Enable(IDC_FRAME_NEXT, !workerPage);
    Enable(IDC_FRAME_CANCEL, true);
    if (page == kResults) {
        ::ShowWindow(Item(IDC_FRAME_PRE), SW_HIDE);
        ::ShowWindow(Item(IDC_FRAME_NEXT), SW_HIDE);
        SetItemText(IDC_FRAME_CANCEL, Translate("_FinishButton"));
    }
}

void WizardFrame::WorkerDoneCallback(void* frame) {
    auto* self = static_cast<WizardFrame*>(frame);
    // The worker's page disabled its Stop button, which may have had the focus: the focus moves on
    // once the frame's thread gets to it, a message queued before Next comes back.
    ::PostMessageW(self->Handle(), kWorkerEnded, 0, 0);
    self->Enable(IDC_FRAME_NEXT, true);
    self->Enable(IDC_FRAME_PRE, true);
}

void WizardFrame::KeepFocusUsable() {
    HWND focus = ::GetFocus();
    const bool container =
        focus == Handle() || focus == pane_.Handle() || ::GetParent(focus) == pane_.Handle();
    if (focus && !container && ::IsChild(Handle(), focus) && ::IsWindowVisible(focus) &&
        ::IsWindowEnabled(focus))
        return;
    HWND target = pane_.Current() >= 0 ? win::FirstTabStop(Page(pane_.Current()).Handle()) : nullptr;
    for (int id : {IDC_FRAME_NEXT, IDC_FRAME_CANCEL}) {
        HWND button = Item(id);
        if (!target && ::IsWindowVisible(button) && ::IsWindowEnabled(button))
            target = button;
    }
    // Through the dialog manager, which also marks a button that gets the focus as the one Enter presses.
    if (target)
        ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

bool WizardFrame::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_FRAME_CANCEL:
            EndProgram();
            return true;
        case IDC_FRAME_NEXT:
            NextStep();
            return true;
        case IDC_FRAME_PRE:
            PreviousStep();
            return true;
        case ID_TOOLS_RESCUE:
            // The rescue manager opens on the backup folder the clean options page holds now.
            cleanOptions_.Store();
            session_.SetWizardBackupFolder(settings_.cleanOptions.backupDirectory);
            RunMenuCommand(Handle(), session_, id);
            return true;
        case IDC_FRAME_HELP:
        case ID_TOOLS_TYPEDURLS:
        case ID_TOOLS_LOGWRIGHT:
        case ID_HELP_WEBSITE:
        case ID_HELP_CONTACT:
        case ID_HELP_ABOUT:
            RunMenuCommand(Handle(), session_, id);
            return true;
    }
    if (languageMenu_.Handles(id)) {
        languageMenu_.Choose(Handle(), id);
        return true;
    }
    return false;
}

bool WizardFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    // No default button: Enter presses the focused button only. The dialog manager would otherwise
    // find a settings page's Defaults and let Enter in a list reset the page.
    if (message == DM_GETDEFID) {
        ::SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, 0);
        result = TRUE;
        return true;
    }
    if (message == kWorkerEnded) {
        KeepFocusUsable();
        return true;
    }
    if (message == WM_CLOSE) {
        EndProgram();
        result = TRUE;
        return true;
    }
    // Where the frame is wider than the banner picture, the strips beside it take the banner's
    // edge colour, so the banner reads as one band across the window.
    if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == Item(IDC_FRAME_BANNER)) {
        if (!bannerEdge_)
            bannerEdge_.reset(::CreateSolidBrush(kBannerEdge));
        ::SetBkColor(reinterpret_cast<HDC>(wParam), kBannerEdge);
        result = reinterpret_cast<INT_PTR>(bannerEdge_.get());
        return true;
    }
    return false;
}

void WizardFrame::NextStep() {
    switch (pane_.Current()) {
        case kWelcome:
        case kFolders:
        case kPatterns:
        case kOptions:
            // The rules are prepared while the pages before the scan show, so Next on the skip
            // page starts the walk at once.
            session_.PrepareRulesAhead(settings_);
            pane_.Next();
            break;
        case kCleaning:
            pane_.Next();
            break;
        case kSkip:
            StartScan();
            pane_.Next();
            break;
        case kScanning:
            BuildReport();
            break;
        case kReport:
            if (session_.Results().TickedCount() == 0)
                pane_.Show(kResults);
            else
                pane_.Next();
            break;
        case kCleanOptions:
            if (!cleanOptions_.ReadyToClean(session_.Results().TickedCount(),
                                            session_.Results().TickedSize()))
                break;
            StartCleaningRun();
            pane_.Next();
            break;
        default:
            break;
    }
    ApplyButtonStates();
    KeepFocusUsable();
}

void WizardFrame::PreviousStep() {
    switch (pane_.Current()) {
        case kFolders:
        case kPatterns:
        case kOptions:
        case kSkip:
        case kCleanOptions:
            pane_.Previous();
            break;
        case kScanning:
        case kReport:
        case kCleaning:
            pane_.Show(kFolders);
            break;
        default:
            break;
    }
    ApplyButtonStates();
    KeepFocusUsable();
}

void WizardFrame::StartScan() {
    scanning_.SetItemText(IDC_SCANNING_FOUND, "");
    if (session_.ScanRunning())
        return;
    // The inputs change only while no scan runs.
    StoreSettings();
    session_.PrepareScan(settings_, folders_.CollectSelection());
    // The report shows these results: it lets them go before they change.
    report_.Fill(nullptr);
    scanning_.ResetRootRows();
    session_.StartScan(&scanning_, [this] { WorkerDoneCallback(this); });
}

void WizardFrame::StoreSettings() {
    patterns_.Store();
    options_.Store();
    skip_.Store();
    cleanOptions_.Store();
}

void WizardFrame::BuildReport() {
    ScanResults& results = session_.Results();
    if (results.Count() == 0)
        pane_.Show(kResults);
    report_.Fill(&results);
    pane_.Next();
}

void WizardFrame::StartCleaningRun() {
    if (session_.CleaningRunning())
        return;
    StoreSettings();
    session_.StartCleaning(settings_.cleanOptions, &cleaning_, Handle(),
                           [this] { WorkerDoneCallback(this); });
}

void WizardFrame::EndProgram() {
    if (session_.ScanRunning()) {
        AskUser(Handle(), "_ExitProramRequestCancelScanThread", MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (session_.CleaningRunning()) {
        // Ending mid-file could leave a file copied but not removed, or worse: ask, then stop cleanly.
        if (AskUser(Handle(), "_ExitRequestStopCleaning", MB_YESNO | MB_ICONINFORMATION) != IDYES)
            return;
        session_.StopCleaning();
    }
    ::DestroyWindow(Handle());
    ::PostQuitMessage(2);
}
