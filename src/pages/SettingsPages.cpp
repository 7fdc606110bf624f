#include "pages/SettingsPages.h"

#include <algorithm>
#include <string>

#include "core/DataFolders.h"
#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "core/ProgramPath.h"
#include "clean/BackupStore.h"
#include "config/CleanOptionSettings.h"
#include "config/ConfigDocument.h"
#include "config/FactoryDescriptions.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "pages/ApplicationsDialog.h"
#include "resources/ResourceIds.h"
#include "scan/ScanResults.h"
#include "win/Prompts.h"

namespace {

constexpr DWORD kCheckListStyle = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;

// The option check boxes in load and save order, matching ScanOption.
constexpr int kOptionBoxes[kScanOptionCount] = {
    IDC_OPTIONS_NOTACCESSED, IDC_OPTIONS_SKIPREADONLY,     IDC_OPTIONS_SKIPSYSTEM, IDC_OPTIONS_SKIPHIDDEN,
    IDC_OPTIONS_ZEROLENGTH,  IDC_OPTIONS_INVALIDSHORTCUTS, IDC_OPTIONS_TEMP,       IDC_OPTIONS_IETEMP,
    IDC_OPTIONS_RECENT,      IDC_OPTIONS_IEHISTORY,        IDC_OPTIONS_IECOOKIES};

// The texts a policy adds, after the note: ": a; b".
std::string AddedDetail(const std::vector<std::string>& added) {
    std::string text;
    for (const std::string& item : added)
        text += (text.empty() ? ": " : "; ") + item;
    return text;
}

}  // namespace

void RemoveSelectedRow(HWND page, const win::ListView& list) {
    int row = list.Selected();
    if (row < 0) {
        AskUser(page, "_YouMustSelectAnItem", MB_OK | MB_ICONINFORMATION);
        return;
    }
    list.Delete(row);
    if (list.Count() > 0)
        list.Select(row < list.Count() ? row : list.Count() - 1);
}

// ---- Junk-file patterns ----

PatternPage::PatternPage(std::vector<JunkPattern>& patterns)
    : SettingsPage(IDD_PAGE_PATTERNS, IDB_SIDE_PATTERNS, patterns, ReadJunkPatternsStrictly, ReadJunkPatterns,
                   WriteJunkPatterns) {}

void PatternPage::SetUpControls() {
    list_ = win::ListView(Item(IDC_PATTERNS_LIST));
    const UINT dpi = win::WindowDpi(Handle());
    list_.AddColumn(0, Translate("_JunkName"), win::ScaleToDpi(200, dpi));
    list_.AddColumn(1, Translate("_JunkDescription"), win::ScaleToDpi(400, dpi));
    list_.SetExtendedStyle(kCheckListStyle);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_PATTERNS_LIST, win::Anchor::GrowBoth},
                              {IDC_PATTERNS_ADD, win::Anchor::MoveDown},
                              {IDC_PATTERNS_DELETE, win::Anchor::MoveDown},
                              {IDC_PATTERNS_MODIFY, win::Anchor::MoveDown},
                              {IDC_PATTERNS_CHECKALL, win::Anchor::MoveDown},
                              {IDC_PATTERNS_UNCHECKALL, win::Anchor::MoveDown},
                              {IDC_PAGE_DEFAULT, win::Anchor::MoveBottomRight}});
}

void PatternPage::AppendRow(const std::string& mask, const std::string& description, bool ticked) {
    int row = list_.Append(mask);
    list_.SetText(row, 1, description);
    list_.SetTicked(row, ticked);
}

void PatternPage::Show(const std::vector<JunkPattern>& rows) {
    list_.DeleteAll();
    for (const JunkPattern& p : rows)
        AppendRow(p.file, DescriptionShown(p.description), p.checked);
    // The organisation's patterns are searched besides these; the list stays the user's own.
    ShowPolicyNote(!Forced().addedPatterns.empty(), AddedDetail(Forced().addedPatterns));
}

std::vector<JunkPattern> PatternPage::Collect() const {
    std::vector<JunkPattern> rows;
    for (int row = 0; row < list_.Count(); ++row)
        rows.push_back({list_.Text(row, 0), DescriptionStored(list_.Text(row, 1)), list_.IsTicked(row)});
    return rows;
}

bool PatternPage::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_PATTERNS_ADD: {
            PatternDialog dialog("_AddJunkFileDialogCaption", "", "");
            if (win::CurrentPrompts().RunModal(dialog, IDD_PATTERN, Handle()) == IDOK)
                AppendRow(dialog.Mask(), dialog.Description(), true);
            return true;
        }
        case IDC_PATTERNS_MODIFY: {
            int row = list_.Selected();
            if (row < 0) {
                AskUser(Handle(), "_YouMustSelectAnItem", MB_OK | MB_ICONINFORMATION);
                return true;
            }
            PatternDialog dialog("_ModifyJunkFileDialogCaption", list_.Text(row, 0), list_.Text(row, 1));
            if (win::CurrentPrompts().RunModal(dialog, IDD_PATTERN, Handle()) == IDOK) {
                list_.SetText(row, 0, dialog.Mask());
                list_.SetText(row, 1, dialog.Description());
            }
            return true;
        }
        case IDC_PATTERNS_DELETE:
            RemoveSelectedRow(Handle(), list_);
            return true;
        case IDC_PATTERNS_CHECKALL:
        case IDC_PATTERNS_UNCHECKALL:
            for (int row = 0; row < list_.Count(); ++row)
                list_.SetTicked(row, id == IDC_PATTERNS_CHECKALL);
            return true;
        case IDC_PAGE_DEFAULT:
            ShowFactoryValues();
            return true;
    }
    return false;
}

bool PatternDialog::OnInit() {
    win::CentreWindow(Handle());
    win::SetWindowTextOf(Handle(), captionKey_);
    if (!mask_.empty())
        SetItemText(IDC_PATTERN_MASK, mask_);
    if (!description_.empty())
        SetItemText(IDC_PATTERN_DESCRIPTION, description_);
    LanguageTable::Instance().TranslateWindow(Handle());
    // The fields hold data, not keys: put them back in case translation touched them.
    SetItemText(IDC_PATTERN_MASK, mask_);
    SetItemText(IDC_PATTERN_DESCRIPTION, description_);
    ::SetFocus(Item(IDC_PATTERN_MASK));
    return false;
}

bool PatternDialog::OnCommand(int id, int, HWND) {
    if (id == IDOK) {
        std::string mask = ItemText(IDC_PATTERN_MASK);
        if (mask.empty()) {
            AskUser(Handle(), "_JunkFileNameIsNULL", MB_OK | MB_ICONINFORMATION);
            return true;
        }
        mask_ = mask;
        description_ = ItemText(IDC_PATTERN_DESCRIPTION);
        End(IDOK);
        return true;
    }
    if (id == IDCANCEL) {
        End(IDCANCEL);
        return true;
    }
    return false;
}

// ---- Scan options ----

OptionsPage::OptionsPage(ScanOptionValues& options)
    : SettingsPage(IDD_PAGE_OPTIONS, IDB_SIDE_OPTIONS, options, ReadScanOptionsStrictly, ReadScanOptions,
                   WriteScanOptions) {}

void OptionsPage::SetUpControls() {
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_OPTIONS_APPLICATIONS, win::Anchor::MoveDown},
                              {IDC_PAGE_DEFAULT, win::Anchor::MoveBottomRight}});
}

void OptionsPage::Show(const ScanOptionValues& values) {
    shown_ = values;
    ScanOptionValues forced = values;
    ApplyPolicy(Forced(), forced);
    bool anyForced = false;
    for (int i = 0; i < kScanOptionCount; ++i) {
        SetChecked(kOptionBoxes[i], forced.checked[static_cast<size_t>(i)]);
        Enable(kOptionBoxes[i], !Forced().LocationForced(i));
        anyForced = anyForced || Forced().LocationForced(i);
    }
    SetItemText(IDC_OPTIONS_MONTHS, values.months);
    ShowMonthsWord();
    const Policy& policy = Forced();
    ShowPolicyNote(anyForced || policy.noWinapp2 || !policy.rulesOn.empty() || !policy.rulesOff.empty());
}

ScanOptionValues OptionsPage::Collect() const {
    ScanOptionValues values;
    for (int i = 0; i < kScanOptionCount; ++i)
        values.checked[static_cast<size_t>(i)] =
            Forced().LocationForced(i) ? shown_.checked[static_cast<size_t>(i)] : IsChecked(kOptionBoxes[i]);
    values.months = ItemText(IDC_OPTIONS_MONTHS).substr(0, 254);
    return values;
}

// The word after the months box agrees with the number in it ("1 month", Polish "2 miesiące" and
// "5 miesięcy"); without a number it keeps its general form.
void OptionsPage::ShowMonthsWord() {
    const std::string typed = ItemText(IDC_OPTIONS_MONTHS);
    uint64_t months = 0;
    bool number = !typed.empty() && typed.size() < 10;
    for (char c : typed) {
        number = number && c >= '0' && c <= '9';
        months = months * 10 + static_cast<uint64_t>(c - '0');
    }
    SetItemText(IDC_OPTIONS_MONTHS_LABEL,
                number ? PluralForm(Translate("_MonthsCounted"), months) : Translate("_Months"));
}

bool OptionsPage::OnCommand(int id, int code, HWND) {
    switch (id) {
        case IDC_OPTIONS_MONTHS:
            if (code == EN_CHANGE)
                ShowMonthsWord();
            return false;
        case IDC_PAGE_DEFAULT:
            ShowFactoryValues();
            return true;
        case IDC_OPTIONS_APPLICATIONS: {
            // The dialog stores its own choices on OK; the page's values are not involved.
            ApplicationsDialog dialog(ProgramDataFolders(), Forced());
            win::CurrentPrompts().RunModal(dialog, IDD_APPLICATIONS, Handle());
            return true;
        }
    }
    return false;
}

// ---- Skip folders ----

SkipPage::SkipPage(std::vector<SkipFolder>& folders)
    : SettingsPage(IDD_PAGE_SKIP, IDB_SIDE_OPTIONS, folders, ReadSkipFoldersStrictly, ReadSkipFolders,
                   WriteSkipFolders) {}

void SkipPage::SetUpControls() {
    list_ = win::ListView(Item(IDC_SKIP_LIST));
    const UINT dpi = win::WindowDpi(Handle());
    list_.AddColumn(0, Translate("_FoldersToSkipFromSearch"), win::ScaleToDpi(600, dpi));
    list_.SetExtendedStyle(kCheckListStyle);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_SKIP_LIST, win::Anchor::GrowBoth},
                              {IDC_SKIP_ADD, win::Anchor::MoveDown},
                              {IDC_SKIP_REMOVE, win::Anchor::MoveDown},
                              {IDC_PAGE_DEFAULT, win::Anchor::MoveBottomRight}});
}

void SkipPage::Show(const std::vector<SkipFolder>& rows) {
    list_.DeleteAll();
    for (const SkipFolder& f : rows)
        list_.SetTicked(list_.Append(f.folder), f.checked);
    ShowPolicyNote(!Forced().addedSkipFolders.empty(), AddedDetail(Forced().addedSkipFolders));
}

std::vector<SkipFolder> SkipPage::Collect() const {
    std::vector<SkipFolder> rows;
    for (int row = 0; row < list_.Count(); ++row)
        rows.push_back({list_.Text(row, 0), list_.IsTicked(row)});
    return rows;
}

bool SkipPage::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_SKIP_ADD: {
            std::string folder = win::CurrentPrompts().BrowseForFolder();
            if (!folder.empty())
                list_.SetTicked(list_.Append(folder), true);
            return true;
        }
        case IDC_SKIP_REMOVE:
            RemoveSelectedRow(Handle(), list_);
            return true;
        case IDC_PAGE_DEFAULT:
            ShowFactoryValues();
            return true;
    }
    return false;
}

// ---- Clean options ----

CleanOptionsPage::CleanOptionsPage(CleanOptionValues& options)
    : SettingsPage(IDD_PAGE_CLEANOPTIONS, IDB_SIDE_CLEANING, options, ReadCleanOptionsStrictly,
                   ReadCleanOptions, WriteCleanOptions) {}

void CleanOptionsPage::SetUpControls() {
    ::SendMessageW(Item(IDC_CLEANOPTIONS_DAYS), EM_LIMITTEXT, 4, 0);
    layout_.Attach(Handle(), {{IDC_PAGE_DESCRIPTION, win::Anchor::GrowWidth},
                              {IDC_OPTIONS_APPLICATIONS, win::Anchor::MoveDown},
                              {IDC_PAGE_DEFAULT, win::Anchor::MoveBottomRight}});
}

void CleanOptionsPage::Show(const CleanOptionValues& given) {
    shown_ = given;
    CleanOptionValues values = given;
    const Policy& policy = Forced();
    ApplyPolicy(policy, values);
    Enable(IDC_CLEANOPTIONS_PERMANENT, !policy.RemovalForced());
    Enable(IDC_CLEANOPTIONS_RECYCLE, !policy.RemovalForced());
    Enable(IDC_CLEANOPTIONS_BACKUP, !policy.alwaysBackup);
    ShowPolicyNote(policy.RemovalForced() || policy.alwaysBackup || policy.backupFolder.has_value());
    const bool recycle = values.removal == RemovalMode::RecycleBin;
    SetChecked(IDC_CLEANOPTIONS_PERMANENT, !recycle);
    SetChecked(IDC_CLEANOPTIONS_RECYCLE, recycle);
    SetChecked(IDC_CLEANOPTIONS_BACKUP, values.backup);
    SetItemText(IDC_CLEANOPTIONS_FOLDER, values.backupDirectory);
    SetChecked(IDC_CLEANOPTIONS_EXPIRE, values.removeOldPoints);
    SetItemText(IDC_CLEANOPTIONS_DAYS, std::to_string(values.pointDays));
    UpdateBackupControls();
}

CleanOptionValues CleanOptionsPage::Collect() const {
    CleanOptionValues values;
    const Policy& policy = Forced();
    values.removal = !IsChecked(IDC_CLEANOPTIONS_PERMANENT) && IsChecked(IDC_CLEANOPTIONS_RECYCLE)
                         ? RemovalMode::RecycleBin
                         : RemovalMode::Permanent;
    if (policy.RemovalForced())
        values.removal = shown_.removal;
    values.backup = policy.alwaysBackup ? shown_.backup : IsChecked(IDC_CLEANOPTIONS_BACKUP);
    values.backupDirectory =
        policy.backupFolder ? shown_.backupDirectory : ItemText(IDC_CLEANOPTIONS_FOLDER).substr(0, 259);
    values.removeOldPoints = IsChecked(IDC_CLEANOPTIONS_EXPIRE);
    // An empty box or 0 would take every point at once: a day is the least kept.
    values.pointDays = std::max(1, ParseConfigInteger(ItemText(IDC_CLEANOPTIONS_DAYS).substr(0, 9)));
    return values;
}

bool CleanOptionsPage::ReadyToClean(size_t files, uint64_t bytes) {
    // The cleaning takes the organisation's choices over the user's, and so does the question.
    CleanOptionValues chosen = Collect();
    ApplyPolicy(Forced(), chosen);
    if (chosen.backup) {
        if (IsUsableBackupFolder(chosen.backupDirectory))
            return true;
        AskUser(Handle(), "_BackupDirectoryUnusable", MB_OK | MB_ICONINFORMATION);
        ::SetFocus(Item(IDC_CLEANOPTIONS_FOLDER));
        return false;
    }
    if (chosen.removal != RemovalMode::Permanent)
        return true;
    // Nothing will bring these files back: ask as Windows asks before a permanent delete, with No
    // as the answer Enter gives. The unattended run never comes here; its settings were chosen
    // when nobody was asked.
    const std::string question = FormatText(PluralForm(Translate("_PermanentDeletionConfirm"), files),
                                            {CountText(files), SizeText(bytes)});
    return AskUserText(Handle(), question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void CleanOptionsPage::UpdateBackupControls() {
    const bool backup = IsChecked(IDC_CLEANOPTIONS_BACKUP);
    const bool folderFree = !Forced().backupFolder;
    Enable(IDC_CLEANOPTIONS_FOLDER_LABEL, backup);
    Enable(IDC_CLEANOPTIONS_FOLDER, backup && folderFree);
    Enable(IDC_CLEANOPTIONS_BROWSE, backup && folderFree);
    const bool expire = IsChecked(IDC_CLEANOPTIONS_EXPIRE);
    Enable(IDC_CLEANOPTIONS_DAYS, expire);
    Enable(IDC_CLEANOPTIONS_DAYS_LABEL, expire);
}

bool CleanOptionsPage::OnCommand(int id, int, HWND) {
    switch (id) {
        case IDC_CLEANOPTIONS_BACKUP:
        case IDC_CLEANOPTIONS_EXPIRE:
            UpdateBackupControls();
            return true;
        case IDC_CLEANOPTIONS_BROWSE: {
            std::string folder = win::CurrentPrompts().BrowseForFolder();
            if (!folder.empty())
                SetItemText(IDC_CLEANOPTIONS_FOLDER, folder);
            return true;
        }
        case IDC_PAGE_DEFAULT:
            ShowFactoryValues();
            return true;
    }
    return false;
}
