#include "tools/AutomaticCleaningDialog.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdio>

#include "config/ConfigDocument.h"
#include "config/WizardSettings.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "core/ProgramPath.h"
#include "resources/ResourceIds.h"
#include "session/ScheduledRun.h"
#include "session/ScheduledTask.h"
#include "win/Prompts.h"
#include "win/Text.h"

namespace {

constexpr const char* kKindKeys[] = {"_AutoCleanDaily", "_AutoCleanWeekly", "_AutoCleanMonthly",
                                     "_AutoCleanAtSignIn"};
constexpr const char* kDayKeys[] = {"_AutoCleanSunday",    "_AutoCleanMonday",   "_AutoCleanTuesday",
                                    "_AutoCleanWednesday", "_AutoCleanThursday", "_AutoCleanFriday",
                                    "_AutoCleanSaturday"};
constexpr int kTimeSteps = 48;  // every half hour
constexpr int kDefaultGb = 10;

// A row of a combo box (CB_ADDSTRING) or of the folder list (LB_ADDSTRING).
void AddString(HWND control, const std::string& text, UINT message = CB_ADDSTRING) {
    ::SendMessageW(control, message, 0, reinterpret_cast<LPARAM>(win::Wide(text).c_str()));
}

std::string ListText(HWND list, int row) {
    const LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, row, 0);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    ::SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return win::Narrow(text);
}

// The log's "YYYY-MM-DD hh:mm:ss" as the language spoken writes a time; as it stands when it does
// not read so.
std::string LogTimeText(const std::string& stamp) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(stamp.c_str(), "%4u-%2u-%2u %2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second) !=
            6 ||
        month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return stamp;
    const SYSTEMTIME time{static_cast<WORD>(year),
                          static_cast<WORD>(month),
                          0,
                          static_cast<WORD>(day),
                          static_cast<WORD>(hour),
                          static_cast<WORD>(minute),
                          static_cast<WORD>(second),
                          0};
    return DateTimeText(time, Seconds::kLeftOut);
}

std::string LocalTimeText(const SYSTEMTIME& time) {
    return DateTimeText(time, Seconds::kLeftOut);
}

bool SamePath(const std::string& a, const std::string& b) {
    return ::CompareStringOrdinal(win::Wide(a).c_str(), -1, win::Wide(b).c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::string Today() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char text[16];
    std::snprintf(text, sizeof(text), "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

}  // namespace

AutomaticCleaningDialog::AutomaticCleaningDialog(DataFolders data, std::string programPath, Policy policy)
    : data_(std::move(data)), programPath_(std::move(programPath)), policy_(std::move(policy)) {}

bool AutomaticCleaningDialog::OnInit() {
    win::CentreWindow(Handle());
    LanguageTable::Instance().TranslateWindow(Handle());
    for (const char* key : kKindKeys)
        AddString(Item(IDC_AUTOCLEAN_KIND), Translate(key));
    char time[8];
    for (int step = 0; step < kTimeSteps; ++step) {
        std::snprintf(time, sizeof(time), "%02d:%02d", step / 2, step % 2 * 30);
        AddString(Item(IDC_AUTOCLEAN_TIME), time);
    }
    Edit_LimitText(Item(IDC_AUTOCLEAN_GB), 6);

    stored_ = ReadScheduleSettings(data_.ConfigPath());
    if (policy_.automatic) {
        ::ShowWindow(Item(IDC_POLICY_NOTE), SW_SHOWNA);
        Show(*policy_.automatic ? policy_.schedule : ScheduleValues{});
        return true;
    }
    // The Task Scheduler holds the truth: a task removed or disabled there is off.
    const TaskState task = ReadScheduledTask();
    ScheduleValues shown = stored_;
    shown.enabled = task.exists && task.enabled;
    Show(shown);
    if (shown.enabled && !task.action.command.empty() && !SamePath(task.action.command, programPath_)) {
        const std::string question = FormatText(Translate("_AutoCleanMoved", true), {task.action.command});
        if (win::CurrentPrompts().MessageBox(Handle(), question, Translate("_AutoCleanDialog"),
                                             MB_YESNO | MB_ICONQUESTION) == IDYES)
            Apply();
    }
    return true;
}

void AutomaticCleaningDialog::Show(const ScheduleValues& values) {
    SetChecked(IDC_AUTOCLEAN_ENABLE, values.enabled);
    ComboBox_SetCurSel(Item(IDC_AUTOCLEAN_KIND), static_cast<int>(values.kind));
    FillDays(values.kind, values.kind == ScheduleKind::Monthly ? values.dayOfMonth - 1 : values.dayOfWeek);
    ComboBox_SetCurSel(Item(IDC_AUTOCLEAN_TIME), values.hour * 2 + (values.minute >= 30 ? 1 : 0));
    SetChecked(IDC_AUTOCLEAN_LOWSPACE, values.freeSpaceBelowGb > 0);
    SetItemText(IDC_AUTOCLEAN_GB,
                std::to_string(values.freeSpaceBelowGb > 0 ? values.freeSpaceBelowGb : kDefaultGb));
    ListBox_ResetContent(Item(IDC_AUTOCLEAN_FOLDERS));
    for (const std::string& folder : values.folders)
        AddString(Item(IDC_AUTOCLEAN_FOLDERS), folder, LB_ADDSTRING);
    UpdateStates();
}

void AutomaticCleaningDialog::FillDays(ScheduleKind kind, int selected) {
    HWND days = Item(IDC_AUTOCLEAN_DAY);
    ComboBox_ResetContent(days);
    if (kind == ScheduleKind::Monthly) {
        for (int day = 1; day <= 28; ++day)
            AddString(days, std::to_string(day));
    } else {
        for (const char* key : kDayKeys)
            AddString(days, Translate(key));
    }
    ComboBox_SetCurSel(days, std::clamp(selected, 0, ComboBox_GetCount(days) - 1));
}

ScheduleValues AutomaticCleaningDialog::Shown() const {
    ScheduleValues values;
    values.enabled = IsChecked(IDC_AUTOCLEAN_ENABLE);
    values.kind = static_cast<ScheduleKind>(std::max(0, ComboBox_GetCurSel(Item(IDC_AUTOCLEAN_KIND))));
    const int day = std::max(0, ComboBox_GetCurSel(Item(IDC_AUTOCLEAN_DAY)));
    values.dayOfWeek = values.kind == ScheduleKind::Monthly ? stored_.dayOfWeek : std::min(day, 6);
    values.dayOfMonth = values.kind == ScheduleKind::Monthly ? day + 1 : stored_.dayOfMonth;
    const int time = std::max(0, ComboBox_GetCurSel(Item(IDC_AUTOCLEAN_TIME)));
    values.hour = time / 2;
    values.minute = time % 2 * 30;
    values.freeSpaceBelowGb =
        IsChecked(IDC_AUTOCLEAN_LOWSPACE) ? std::max(1, ParseConfigInteger(ItemText(IDC_AUTOCLEAN_GB))) : 0;
    HWND list = Item(IDC_AUTOCLEAN_FOLDERS);
    for (int row = 0; row < ListBox_GetCount(list); ++row)
        values.folders.push_back(ListText(list, row));
    return values;
}

void AutomaticCleaningDialog::UpdateStates() {
    const bool free = !policy_.automatic;
    Enable(IDC_AUTOCLEAN_ENABLE, free);
    const bool on = IsChecked(IDC_AUTOCLEAN_ENABLE) && free;
    const auto kind = static_cast<ScheduleKind>(ComboBox_GetCurSel(Item(IDC_AUTOCLEAN_KIND)));
    Enable(IDC_AUTOCLEAN_KIND, on);
    Enable(IDC_AUTOCLEAN_DAY, on && (kind == ScheduleKind::Weekly || kind == ScheduleKind::Monthly));
    Enable(IDC_AUTOCLEAN_TIME, on && kind != ScheduleKind::AtSignIn);
    Enable(IDC_AUTOCLEAN_LOWSPACE, on);
    Enable(IDC_AUTOCLEAN_GB, on && IsChecked(IDC_AUTOCLEAN_LOWSPACE));
    Enable(IDC_AUTOCLEAN_FOLDERS, on);
    Enable(IDC_AUTOCLEAN_ADD, on);
    Enable(IDC_AUTOCLEAN_REMOVE, on && ListBox_GetCurSel(Item(IDC_AUTOCLEAN_FOLDERS)) >= 0);
    ShowTexts();
}

void AutomaticCleaningDialog::ShowTexts() {
    const ScheduleValues values = Shown();
    const std::string configPath = data_.ConfigPath();
    // What the run will really do: the user's settings with the organisation's laid over them.
    WizardSettings settings = ReadWizardSettings(configPath);
    ApplyPolicy(policy_, settings);
    SetItemText(IDC_AUTOCLEAN_SUMMARY, DescribeAutomaticRun(settings, values.folders));
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const std::optional<SYSTEMTIME> next = NextRunAfter(values, now);
    SetItemText(IDC_AUTOCLEAN_NEXT,
                !values.enabled                         ? Translate("_AutoCleanNextRunNone")
                : values.kind == ScheduleKind::AtSignIn ? Translate("_AutoCleanNextRunAtSignIn")
                : next ? FormatText(Translate("_AutoCleanNextRun"), {LocalTimeText(*next)})
                       : Translate("_AutoCleanNextRunNone"));
    const std::optional<AutomaticRunRecord> last = LastAutomaticRun(data_.LogDataFolder());
    if (!last) {
        SetItemText(IDC_AUTOCLEAN_LAST, Translate("_AutoCleanNeverRan"));
        return;
    }
    // The entry's lines without its heading and the blank lines between them.
    std::string lines;
    size_t start = last->text.find("\r\n");
    while (start != std::string::npos) {
        size_t end = last->text.find("\r\n", start + 2);
        const std::string line =
            last->text.substr(start + 2, end == std::string::npos ? end : end - start - 2);
        if (!line.empty())
            lines += (lines.empty() ? "" : "\r\n") + line;
        start = end;
    }
    SetItemText(IDC_AUTOCLEAN_LAST,
                FormatText(Translate("_AutoCleanLastRun", true), {LogTimeText(last->time), lines}));
}

bool AutomaticCleaningDialog::OnCommand(int id, int code, HWND) {
    switch (id) {
        case IDC_AUTOCLEAN_ENABLE:
        case IDC_AUTOCLEAN_LOWSPACE:
            UpdateStates();
            return true;
        case IDC_AUTOCLEAN_KIND:
            if (code == CBN_SELCHANGE) {
                const auto kind = static_cast<ScheduleKind>(ComboBox_GetCurSel(Item(IDC_AUTOCLEAN_KIND)));
                FillDays(kind, kind == ScheduleKind::Monthly ? stored_.dayOfMonth - 1 : stored_.dayOfWeek);
                UpdateStates();
            }
            return true;
        case IDC_AUTOCLEAN_DAY:
        case IDC_AUTOCLEAN_TIME:
            if (code == CBN_SELCHANGE)
                ShowTexts();
            return true;
        case IDC_AUTOCLEAN_FOLDERS:
            if (code == LBN_SELCHANGE)
                UpdateStates();
            return true;
        case IDC_AUTOCLEAN_ADD: {
            const std::string folder = win::CurrentPrompts().BrowseForFolder();
            if (!folder.empty()) {
                AddString(Item(IDC_AUTOCLEAN_FOLDERS), folder, LB_ADDSTRING);
                UpdateStates();
            }
            return true;
        }
        case IDC_AUTOCLEAN_REMOVE: {
            HWND list = Item(IDC_AUTOCLEAN_FOLDERS);
            const int row = ListBox_GetCurSel(list);
            if (row >= 0) {
                ListBox_DeleteString(list, row);
                ListBox_SetCurSel(list, std::min(row, ListBox_GetCount(list) - 1));
            }
            UpdateStates();
            return true;
        }
        case IDOK:
            // The organisation's choice is put in place at the program's start, not here.
            if (policy_.automatic || Apply())
                End(IDOK);
            return true;
        case IDCANCEL:
            End(IDCANCEL);
            return true;
    }
    return false;
}

bool AutomaticCleaningDialog::Apply() {
    ScheduleValues values = Shown();
    TaskChange change;
    if (values.enabled) {
        TaskXmlInputs inputs{values, programPath_, ThisUserId(), Today(),
                             Translate("_AutoCleanTaskDescription")};
        change = RegisterScheduledTask(ScheduledTaskXml(inputs));
    } else {
        change = RemoveScheduledTask();
    }
    if (!change.ok) {
        win::CurrentPrompts().MessageBox(Handle(),
                                         FormatText(Translate("_AutoCleanTaskFailed", true), {change.error}),
                                         Translate("_AutoCleanDialog"), MB_OK | MB_ICONERROR);
        return false;
    }
    // The dialog's memory of the choice keeps the schedule even while it is off.
    WriteScheduleSettings(data_.ConfigPath(), values);
    stored_ = values;
    return true;
}
