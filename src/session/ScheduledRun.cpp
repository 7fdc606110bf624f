#include "session/ScheduledRun.h"

#include "clean/ActivityLog.h"
#include "clean/LogEntry.h"
#include "config/ConfigDocument.h"
#include "config/ScheduleSettings.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "scan/ScanResults.h"
#include "win/Text.h"

namespace {

std::optional<uint64_t> SystemFreeSpace(const std::string& drive) {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(win::Wide(drive).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return available.QuadPart;
}

FreeSpaceCheck& FreeSpace() {
    static FreeSpaceCheck check = &SystemFreeSpace;
    return check;
}

void WriteAutomaticEntry(const DataFolders& data, const LogEntry& entry) {
    ActivityLog log;
    log.SetDataPath(data.LogDataFolder());
    entry.Write(log, "_LogLogCategoryAutomatic");
}

constexpr uint64_t kGigabyte = 1024ULL * 1024 * 1024;

}  // namespace

void SetFreeSpaceCheck(FreeSpaceCheck check) {
    FreeSpace() = check ? std::move(check) : &SystemFreeSpace;
}

std::string SystemDrive() {
    wchar_t windows[MAX_PATH];
    const UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n < 3 || n >= MAX_PATH)
        return "C:\\";
    return win::Narrow(std::wstring_view(windows, 3));
}

UnattendedEnd RunScheduled(Session& session, const UnattendedRequest& request, std::string* reason) {
    const Policy& policy = session.CurrentPolicy();
    // A task left behind from before the organisation said no runs nothing.
    if (policy.automatic == false) {
        LogEntry entry("_LogAutomaticHeader");
        entry.Add("_LogAutomaticNotAllowed", {});
        WriteAutomaticEntry(session.Data(), entry);
        if (reason)
            *reason = Translate("_LogAutomaticNotAllowed");
        return UnattendedEnd::Done;
    }
    // Forced on, the organisation's schedule says when space is enough and which folders go too.
    const ScheduleValues schedule =
        policy.automatic ? policy.schedule : ReadScheduleSettings(session.ConfigPath());
    if (schedule.freeSpaceBelowGb > 0) {
        const std::string drive = SystemDrive();
        const std::optional<uint64_t> free = FreeSpace()(drive);
        // A figure that cannot be read does not stop the cleaning: it was asked for on a schedule.
        if (free && *free > static_cast<uint64_t>(schedule.freeSpaceBelowGb) * kGigabyte) {
            LogEntry entry("_LogAutomaticHeader");
            entry.Add("_LogAutomaticSkipped",
                      {drive, SizeText(*free),
                       SizeText(static_cast<uint64_t>(schedule.freeSpaceBelowGb) * kGigabyte)});
            WriteAutomaticEntry(session.Data(), entry);
            WriteEvent(
                SpaceEnoughEvent(drive, static_cast<double>(*free) / kGigabyte, schedule.freeSpaceBelowGb));
            return UnattendedEnd::Done;
        }
    }
    std::string why;
    UnattendedRequest scheduled = request;
    scheduled.placesOnly = true;
    scheduled.trigger = EventTrigger::Automatic;
    if (policy.automatic)
        scheduled.folders = policy.schedule.folders;
    const UnattendedEnd end = session.RunUnattended(scheduled, &why);
    if (reason)
        *reason = why;
    LogEntry entry("_LogAutomaticHeader");
    if (end == UnattendedEnd::NoConfiguration) {
        entry.Add("_LogAutomaticNothingDone", {why});
    } else {
        const CleaningJob::Counts& counts = session.Cleaning().counts;
        entry.Add("_ResultsCounts",
                  {CountText(counts.removed), CountText(counts.recycled), CountText(counts.kept),
                   CountText(counts.failed), SizeText(counts.bytesFreed)});
        if (!counts.restorePoint.empty())
            entry.Add("_ResultsRestorePoint", {counts.restorePoint});
        else
            entry.Add("_LogAutomaticNoRestorePoint", {});
    }
    WriteAutomaticEntry(session.Data(), entry);
    return end;
}

std::optional<AutomaticRunRecord> LastAutomaticRun(const std::string& logFolder) {
    CLSID clsid{};
    win::ComPtr<ILogwrightLog> log;
    if (FAILED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                  IID_ILogwrightLog, log.put_void())))
        return std::nullopt;
    log->SetDataPath(win::Bstr(logFolder).get());
    long count = 0;
    if (FAILED(log->GetEntryCount(&count)))
        return std::nullopt;
    // The entry is known by its subcategory, in the language now spoken or in English (the
    // language may have changed since the run).
    const std::string spoken = Translate("_LogLogCategoryAutomatic");
    for (long i = 0; i < count; ++i) {
        win::Bstr time, subcategory, text;
        log->GetEntry(i, time.put(), nullptr, nullptr, subcategory.put(), nullptr);
        const std::string name = subcategory.ToText();
        if (name != spoken && name != "Automatic cleaning")
            continue;
        log->GetEntryText(i, text.put());
        return AutomaticRunRecord{time.ToText(), text.ToText()};
    }
    return std::nullopt;
}

std::string DescribeAutomaticRun(const WizardSettings& settings, const std::vector<std::string>& folders) {
    auto joined = [](const std::vector<std::string>& items) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : ", ") + item;
        return text;
    };
    std::string text = folders.empty() ? Translate("_AutoCleanSummaryTicked")
                                       : FormatText(Translate("_AutoCleanSummaryFolders"), {joined(folders)});
    std::vector<std::string> patterns, skipped;
    for (const JunkPattern& pattern : settings.patterns)
        if (pattern.checked)
            patterns.push_back(pattern.file);
    for (const SkipFolder& skip : settings.skipFolders)
        if (skip.checked)
            skipped.push_back(skip.folder);
    // One sentence a line; appended piece by piece (a literal before a temporary text trips a
    // false -Wrestrict warning of GCC 12).
    auto line = [&text](const std::string& sentence) { text.append("\r\n").append(sentence); };
    line(patterns.empty() ? Translate("_AutoCleanSummaryNoPatterns")
                          : FormatText(Translate("_AutoCleanSummaryPatterns"), {joined(patterns)}));
    line(skipped.empty() ? Translate("_AutoCleanSummaryNoSkip")
                         : FormatText(Translate("_AutoCleanSummarySkip"), {joined(skipped)}));
    const CleanOptionValues& clean = settings.cleanOptions;
    line(clean.backup ? FormatText(Translate("_AutoCleanSummaryBackup"), {clean.backupDirectory})
                      : Translate("_AutoCleanSummaryNoBackup"));
    text.append(" ").append(Translate(clean.removal == RemovalMode::RecycleBin
                                          ? "_AutoCleanSummaryRecycle"
                                          : "_AutoCleanSummaryPermanent"));
    return text;
}
