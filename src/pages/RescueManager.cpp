#include "pages/RescueManager.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "clean/BackupStore.h"
#include "clean/PointExpiry.h"
#include "config/CleanOptionSettings.h"
#include "resources/ResourceIds.h"
#include "win/Dpi.h"
#include "win/Prompts.h"

RescueManager::RescueManager(Session& session) : session_(session) {}

RescueManager::~RescueManager() {
    WaitForWork();
}

std::string RescueManager::RowPath(int row) const {
    if (row < 0 || row >= list_.Count())
        return {};
    const auto index = static_cast<size_t>(list_.Data(row));
    std::lock_guard<std::mutex> lock(rowsLock_);
    return index < rows_.size() ? rows_[index].path : std::string();
}

bool RescueManager::OnInit() {
    win::CentreWindow(Handle());
    list_ = win::ListView(Item(IDC_RESCUE_LIST));
    const UINT dpi = win::WindowDpi(Handle());
    list_.AddColumn(0, Translate("_RescueDialogListColDate"), win::ScaleToDpi(250, dpi));
    list_.AddColumn(1, Translate("_RescueDialogListColSize"), win::ScaleToDpi(100, dpi), 0, LVCFMT_RIGHT);
    list_.AddColumn(2, Translate("_RescueDialogListColAge"), win::ScaleToDpi(90, dpi), 0, LVCFMT_RIGHT);
    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    LanguageTable::Instance().TranslateWindow(Handle());
    // The organisation may keep every restore point until it removes them itself.
    const bool removalAllowed = !session_.CurrentPolicy().noPointRemoval;
    Enable(IDC_RESCUE_DELETE, removalAllowed);
    ::ShowWindow(Item(IDC_POLICY_NOTE), removalAllowed ? SW_HIDE : SW_SHOWNA);
    // Setting the field refreshes the list through its change notification.
    SetItemText(IDC_RESCUE_FOLDER, session_.RescueFolder());
    // The list, rather than the read-only field before it, takes the keyboard.
    ::SetFocus(list_.Handle());
    return false;
}

bool RescueManager::OnCommand(int id, int code, HWND) {
    switch (id) {
        case IDC_RESCUE_FOLDER:
            if (code == EN_CHANGE)
                RefreshRestorePointList();
            return true;
        case IDC_RESCUE_BROWSE:
            Browse();
            return true;
        case IDC_RESCUE_RESTORE:
            Restore();
            return true;
        case IDC_RESCUE_DELETE:
            Delete();
            return true;
        case IDCANCEL:
            Cancel();
            return true;
    }
    return false;
}

void RescueManager::OnDestroy() {
    WaitForWork();
}

void RescueManager::RefreshRestorePointList() {
    // The whole folder, at any length: a folder cut short would list another folder's points.
    const std::string root = ItemText(IDC_RESCUE_FOLDER);
    std::vector<RestorePoint> points = FindRestorePoints(root);
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    struct Row {
        std::string text, size, age;
    };
    std::vector<Row> texts;
    texts.reserve(points.size());
    uint64_t total = 0;
    for (const RestorePoint& point : points) {
        // Walked here: a few thousand files take a few milliseconds (measured in bench/), and a
        // point is rarely larger than one cleaning.
        const uint64_t bytes = RestorePointSize(point.path);
        total += bytes;
        int days = 0;
        const bool dated = RestorePointAgeInDays(point, now, days);
        texts.push_back({RestorePointDisplayText(point), SizeText(bytes),
                         dated ? CountText(static_cast<uint64_t>(std::max(0, days))) : std::string()});
    }
    // No row outlives the restore point it points to: the list empties before the vector changes
    // and fills after. The lock is never held across a message to the list, which the interface
    // thread answers.
    list_.DeleteAll();
    {
        std::lock_guard<std::mutex> lock(rowsLock_);
        rows_ = std::move(points);
    }
    for (size_t index = 0; index < texts.size(); ++index) {
        const int row = list_.Append(texts[index].text, static_cast<LPARAM>(index));
        list_.SetText(row, 1, texts[index].size);
        list_.SetText(row, 2, texts[index].age);
    }
    SetItemText(IDC_RESCUE_TOTAL, FormatText(Translate("_RescueTotalHeld"), {SizeText(total)}));
}

void RescueManager::Browse() {
    const std::string folder = win::CurrentPrompts().BrowseForFolder();
    if (!folder.empty())
        SetItemText(IDC_RESCUE_FOLDER, folder);
}

void RescueManager::SetBusy(bool busy) const {
    // A button about to be greyed hands the focus to the list, so the keyboard goes on working.
    HWND focus = ::GetFocus();
    if (busy && (focus == Item(IDC_RESCUE_BROWSE) || focus == Item(IDC_RESCUE_DELETE) ||
                 focus == Item(IDC_RESCUE_RESTORE)))
        ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list_.Handle()), TRUE);
    Enable(IDC_RESCUE_BROWSE, !busy);
    Enable(IDC_RESCUE_DELETE, !busy && !session_.CurrentPolicy().noPointRemoval);
    // "_Restore" comes last: it enabled is the sign that the dialog may close.
    Enable(IDC_RESCUE_RESTORE, !busy);
}

std::string RescueManager::ConfirmedRow(const char* questionKey, bool namesRow) {
    // A press that arrives after a job began (Enter on the default button) changes nothing.
    if (Working() || !::IsWindowEnabled(Item(IDC_RESCUE_RESTORE)))
        return {};
    // The cleaning writes its restore point and has not yet removed all its files.
    if (session_.CleaningRunning()) {
        AskUser(Handle(), "_RescueDialogCleaningRuns", MB_OK | MB_ICONINFORMATION);
        return {};
    }
    const int row = list_.Selected();
    if (row < 0) {
        AskUser(Handle(), "_YouMustSelectAnItem", MB_OK | MB_ICONINFORMATION);
        return {};
    }
    const std::string question =
        namesRow ? FormatText(Translate(questionKey), {list_.Text(row, 0)}) : Translate(questionKey);
    if (AskUserText(Handle(), question, MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return {};
    // The restore point the user agreed to, whatever the selection does while the job starts.
    return RowPath(row);
}

void RescueManager::Restore() {
    const std::string point = ConfirmedRow("_RescueDialogResotoreConfirm", true);
    if (!point.empty())
        session_.StartRestore(point, this, [this](win::JobEnd end) { JobEnded(end); });
}

void RescueManager::Delete() {
    const std::string point = ConfirmedRow("_AreYouSureDelteBackupFile", false);
    if (!point.empty())
        session_.StartRemoval(point, this, [this](win::JobEnd end) { JobEnded(end); });
}

void RescueManager::JobEnded(win::JobEnd end) {
    // A stop means the dialog is closing: it is left alone then.
    if (end != win::JobEnd::Stopped)
        RefreshRestorePointList();
}

void RescueManager::WaitForWork() {
    // Waits for the worker's thread, so a job making its final updates has made them too.
    session_.StopRescue();
}

void RescueManager::Cancel() {
    if (::IsWindowEnabled(Item(IDC_RESCUE_RESTORE)))
        End(IDCANCEL);
    else
        AskUser(Handle(), "_CancelRequestThreadExit", MB_OK | MB_ICONINFORMATION);
}

void RescueManager::SetStatusText(const std::string& text) {
    SetItemText(IDC_RESCUE_STATUS, text);
}

// The 32-bit range message, so that more than 65,535 files do not wrap the bar.
void RescueManager::SetProgressRange(int maximum) {
    ::SendMessageW(Item(IDC_RESCUE_PROGRESS), PBM_SETRANGE32, 0, maximum);
}

void RescueManager::SetProgressPosition(int position) {
    ::SendMessageW(Item(IDC_RESCUE_PROGRESS), PBM_SETPOS, position, 0);
}

// A restore stops only when the dialog closes, so while it runs the dialog's commands are off.
void RescueManager::ShowRunning(bool running) {
    SetBusy(running);
}
