#include "pages/CleaningPages.h"

#include <commctrl.h>

#include <algorithm>

#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "core/ProgramPath.h"
#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "clean/PointExpiry.h"
#include "resources/ResourceIds.h"
#include "win/PathParts.h"
#include "win/Prompts.h"
#include "win/Text.h"

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
    if (AskUser(Handle(), "_StopCleanConfirm", MB_YESNO | MB_ICONQUESTION) != IDYES)
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
    // The heading says what the page is doing, so it must not say "cleaning" once it has ended.
    SetItemText(IDC_PAGE_DESCRIPTION,
                Translate(running ? "_CleaningDescription" : "_CleaningDescriptionDone"));
    Enable(IDC_CLEANING_STOP, running);
    ShowStatusAsPaths(IDC_CLEANING_STATUS, running);
}

ResultsPage::ResultsPage(const Session& session)
    : WizardPage(IDD_PAGE_RESULTS, IDB_SIDE_RESULTS), session_(session) {}

namespace {

// A control's place in its dialog's client area.
RECT PlaceOf(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The height a static control needs to show its text whole, wrapped at its width.
int TextHeight(HWND control, int width) {
    const std::wstring text = win::Wide(win::WindowText(control));
    HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return rect.bottom;
}

}  // namespace

void ResultsPage::InitPage() {
    description_ = PlaceOf(Item(IDC_PAGE_DESCRIPTION));
    logButton_ = PlaceOf(Item(IDC_RESULTS_LOGVIEWER));
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth}});
}

bool ResultsPage::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR&) {
    if (message == WM_SHOWWINDOW && wParam)
        ShowOutcome();
    return false;
}

namespace {

// How much the run put into its restore point, until when the point is kept, and what it freed.
std::string HeldText(const CleaningJob& cleaning) {
    const CleaningJob::Counts& counts = cleaning.counts;
    const std::string held = SizeText(counts.bytesHeld);
    const std::string freed = SizeText(counts.bytesFreed);
    RestorePoint point;
    SYSTEMTIME expiry{};
    if (cleaning.pointExpiryDays > 0 && ParseRestorePointName(win::NamePartOf(counts.restorePoint), point) &&
        RestorePointExpiry(point, cleaning.pointExpiryDays, expiry)) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        return FormatText(Translate("_ResultsHeldUntil"), {held, DayText(expiry, now), freed});
    }
    return FormatText(Translate("_ResultsHeldForEver"), {held, freed});
}

}  // namespace

std::string ResultsText(const ScanResults& found, const CleaningJob& cleaning) {
    if (found.Count() == 0 || cleaning.cleaningSet.Count() == 0)
        return Translate("_ResultsNothingFound");
    const CleaningJob::Counts& counts = cleaning.counts;
    const char* opening = counts.removed + counts.recycled == 0 ? "_ResultsNothingDone"
                          : cleaning.everyFileHandled           ? "_CleanerResultsDescription"
                                                                : "_ResultsNotEveryFile";
    std::string text =
        Translate(opening) + "\r\n\r\n" +
        FormatText(Translate("_ResultsCounts"),
                   {CountText(counts.removed), CountText(counts.recycled), CountText(counts.kept),
                    CountText(counts.failed), SizeText(counts.bytesFreed)});
    if (!counts.restorePoint.empty())
        text += "\r\n" + FormatText(Translate("_ResultsRestorePoint"), {counts.restorePoint}) + "\r\n" +
                HeldText(cleaning);
    else if (cleaning.backup)
        text += "\r\n" + Translate("_ResultsNoRestorePoint");
    if (cleaning.keptInUse > 0)
        text += "\r\n\r\n" + FormatText(PluralForm(Translate("_ResultsKeptInUse"), cleaning.keptInUse),
                                        {CountText(cleaning.keptInUse)});
    return text;
}

// The description grows downwards as far as its text needs, and the log button moves below it.
void ResultsPage::ShowOutcome() {
    SetItemText(IDC_PAGE_DESCRIPTION, ResultsText(session_.Results(), session_.Cleaning()));
    HWND description = Item(IDC_PAGE_DESCRIPTION);
    const RECT now = PlaceOf(description);
    const int width = now.right - now.left;
    const int height =
        std::max(static_cast<int>(description_.bottom - description_.top), TextHeight(description, width));
    const int shift = description_.top + height - description_.bottom;
    ::MoveWindow(description, now.left, now.top, width, height, TRUE);
    ::MoveWindow(Item(IDC_RESULTS_LOGVIEWER), logButton_.left, logButton_.top + shift,
                 logButton_.right - logButton_.left, logButton_.bottom - logButton_.top, TRUE);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth}});
}

bool ResultsPage::OnCommand(int id, int, HWND) {
    if (id != IDC_RESULTS_LOGVIEWER)
        return false;
    OpenActivityLogViewer(ProgramLogFolder());
    return true;
}
