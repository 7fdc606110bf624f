#include "session/Session.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <optional>

#include "clean/ActivityLog.h"
#include "clean/LogEntry.h"
#include "config/ConfigDocument.h"
#include "config/RuleSettings.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "scan/ResultsCsv.h"
#include "session/ProgramRules.h"
#include "session/ScanInputs.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/ComPtr.h"
#include "win/Text.h"
#include "win/TruePath.h"

namespace {

bool IsFolder(const std::string& path) {
    const win::ResultOf<DWORD> attributes = win::FileAttributes(path);
    return attributes && (attributes.Value() & FILE_ATTRIBUTE_DIRECTORY);
}

// A root typed on the command line, as Windows' own path rules read it: the "\\?\" form is the
// same folder as the plain one, and a final step's trailing dots and blanks are dropped. The
// exact name wins where it is a folder of its own ("a." beside "a"), and a step that would be left
// with no name ("...") stays as typed: read as its parent it would widen the run.
std::string TypedRoot(const std::string& typed) {
    std::string root = win::TypedFullPath(win::WithoutDevicePrefix(typed));
    if (IsFolder(root))
        return root;
    const size_t step = root.find_last_of('\\') + 1;
    size_t end = root.size();
    while (end > step && (root[end - 1] == '.' || root[end - 1] == ' '))
        --end;
    if (end > step && end < root.size())
        root.resize(end);
    return root;
}

// One activity-log entry naming the folders a scan could not read, each with the system's reason,
// and how many more there were; false when the log did not take it.
bool LogUnreadFolders(const std::string& logFolder, const std::vector<UnreadFolder>& folders, size_t count) {
    // A scan's end runs on its worker, whose apartment ended with the search.
    win::ComApartment com;
    LogEntry entry("_LogUnreadFoldersHeader");
    for (const UnreadFolder& folder : folders)
        entry.Add("_LogFolderNotRead", {folder.path}, folder.error);
    if (count > folders.size())
        entry.Add("_LogMoreFoldersNotRead", {static_cast<long long>(count - folders.size())});
    ActivityLog log;
    log.SetDataPath(logFolder);
    return entry.Write(log, "_LogLogCategoryScan");
}

}  // namespace

Session::Session(std::string programFolder, Policy policy)
    : Session(DataFoldersBeside(programFolder), std::move(policy)) {}

Session::Session(DataFolders data, Policy policy) : data_(std::move(data)), policy_(std::move(policy)) {
    scan_.recordUnreadFolders = [this](const std::vector<UnreadFolder>& folders, size_t count) {
        return LogUnreadFolders(data_.LogDataFolder(), folders, count);
    };
}

WizardSettings Session::Effective(WizardSettings settings) const {
    ApplyPolicy(policy_, settings);
    return settings;
}

std::string Session::ConfigPath() const {
    return data_.ConfigPath();
}

std::string Session::RescueFolder() const {
    if (policy_.backupFolder)
        return *policy_.backupFolder;
    return wizardBackupFolder_.empty() ? ReadBackupDirectory(ConfigPath()) : wizardBackupFolder_;
}

std::vector<std::string> Session::OwnFolders(const WizardSettings& settings) const {
    // The restore points, those the cleaning will write and those the rescue manager lists, and
    // the program's own files are never junk.
    const std::vector<std::string> backupFolders = {settings.cleanOptions.backupDirectory,
                                                    ReadBackupDirectory(ConfigPath())};
    return OwnSkipFolders(data_.program, backupFolders, data_.OutsideProgram());
}

std::string Session::RulesInputs(const std::vector<std::string>& own) const {
    std::string inputs;
    for (const std::string& folder : own)
        inputs += folder + '\n';
    std::vector<std::string> files = ProgramRuleFiles(data_.program, ConfigPath(), policy_);
    files.push_back(ConfigPath());
    for (const std::string& file : files) {
        inputs += file;
        if (const win::ResultOf<WIN32_FILE_ATTRIBUTE_DATA> data = win::FileAttributeData(file)) {
            const WIN32_FILE_ATTRIBUTE_DATA& facts = data.Value();
            for (DWORD part : {facts.nFileSizeHigh, facts.nFileSizeLow, facts.ftLastWriteTime.dwHighDateTime,
                               facts.ftLastWriteTime.dwLowDateTime})
                inputs += ' ' + std::to_string(part);
        }
        inputs += '\n';
    }
    return inputs;
}

Session::PreparedRules Session::PrepareRules(const std::vector<std::string>& own, std::string inputs) const {
    PreparedRules prepared;
    prepared.inputs = std::move(inputs);
    prepared.places = ProtectedPlaces::Current(own);
    // The ticked cleaning rules, as config.xml keeps the ticks.
    prepared.items = ProgramRules(data_.program, ConfigPath(), prepared.places, policy_);
    const RuleVariables variables = RuleVariables::Current();
    prepared.rulePlaces = RulePlaces(prepared.items, variables);
    prepared.cacheRoots = CacheRoots(variables);
    prepared.cacheExclusions = OfferedRuleFolders(prepared.items, variables);
    prepared.keptCacheApplications = KeptCacheApplications(ReadRuleChoices(ConfigPath()));
    return prepared;
}

void Session::PrepareRulesAhead(const WizardSettings& settings) {
    if (ScanRunning())
        return;
    const std::vector<std::string> own = OwnFolders(Effective(settings));
    std::string inputs = RulesInputs(own);
    if (rulesAhead_.valid() && inputs == rulesAheadInputs_)
        return;
    rulesAheadInputs_ = inputs;
    // A preparation for other inputs is waited for here (by the future's end) before the next starts.
    rulesAhead_ = std::async(std::launch::async, [this, own, inputs = std::move(inputs)]() mutable {
        win::ComApartment com;  // config.xml is read through MSXML
        return PrepareRules(own, std::move(inputs));
    });
}

void Session::PrepareScan(const WizardSettings& given, std::vector<std::string> roots) {
    if (ScanRunning())
        return;
    const WizardSettings settings = Effective(given);
    const std::vector<std::string> own = OwnFolders(settings);
    SetScanInputs(scan_, settings.patterns, settings.scanOptions, settings.skipFolders, own);
    // The rules prepared ahead count only where nothing they were made from has changed since.
    std::string inputs = RulesInputs(own);
    std::optional<PreparedRules> prepared;
    if (rulesAhead_.valid()) {
        try {
            PreparedRules ahead = rulesAhead_.get();
            if (ahead.inputs == inputs)
                prepared = std::move(ahead);
        } catch (...) {
            // A preparation that failed is made again here, where its failure reaches the caller.
        }
        rulesAheadInputs_.clear();
    }
    if (!prepared)
        prepared = PrepareRules(own, std::move(inputs));
    scan_.protectedPlaces = std::move(prepared->places);
    // Their log says why an entry the user may miss in this scan was left out, as the scan saw it.
    WriteRulesLog(RulesLogPath(ConfigPath()), prepared->items);
    scan_.rulePlaces = std::move(prepared->rulePlaces);
    scan_.cacheRoots = std::move(prepared->cacheRoots);
    scan_.keptCacheApplications = std::move(prepared->keptCacheApplications);
    scan_.cacheExclusions = std::move(prepared->cacheExclusions);
    // Each root is walked in its true form, so that the cleaning finds every listed file again at
    // its path through the open file: a root in short form, in another case or through a link
    // would have every file kept as reached elsewhere. Nothing in a root is normalised: a name
    // from the folder tree is exact, a final dot or blank included.
    for (std::string& root : roots)
        root = win::TruePathOf(root).Value();
    scan_.roots = std::move(roots);
}

bool Session::StartScan(ScanProgress* progress, std::function<void()> completed) {
    if (ScanRunning())
        return false;
    scan_.results.Clear();
    scan_.progress = progress;
    scan_.completed = std::move(completed);
    return scan_.Start();
}

void Session::PrepareCleaning(const CleanOptionValues& given) {
    CleanOptionValues options = given;
    ApplyPolicy(policy_, options);
    cleaning_.removal = options.removal;
    cleaning_.backup = options.backup;
    // The restore points are made where the backup folder truly is, so that the cleaning finds
    // each one it made at its path; a text that names no full path stays as it is, and is refused.
    cleaning_.backupFolder = win::TruePathOfText(options.backupDirectory).Value();
    cleaning_.pointExpiryDays = options.ExpiryDays();
    cleaning_.logFolder = data_.LogDataFolder();
    cleaning_.cleaningSet = scan_.results.TickedRows();
    cleaning_.emptiedFoldersGo = scan_.emptiedFoldersGo;
    // A rule's emptied folders never take a protected place or a chosen root with them.
    const ProtectedPlaces& places = scan_.protectedPlaces;
    cleaning_.foldersThatStay = scan_.roots;
    for (const std::vector<std::string>* folders : {&places.wholeTree, &places.rootOnly, &places.never})
        cleaning_.foldersThatStay.insert(cleaning_.foldersThatStay.end(), folders->begin(), folders->end());
}

bool Session::StartCleaning(const CleanOptionValues& options, win::JobProgress* progress, HWND promptOwner,
                            std::function<void()> completed) {
    // A restore or a restore point's removal in progress works on the backup folder too.
    if (CleaningRunning() || RescueBusy())
        return false;
    PrepareCleaning(options);
    cleaning_.progress = progress;
    cleaning_.promptOwner = promptOwner;
    cleaning_.canAsk = true;
    cleaning_.completed = [this, completed = std::move(completed)] {
        WriteEvent(CleaningEvent(cleaning_, EventTrigger::Wizard));
        if (completed)
            completed();
    };
    return ::StartCleaning(cleaning_);
}

UnattendedEnd Session::RunUnattended(const UnattendedRequest& request, std::string* reason) {
    auto nothingDone = [&](std::string why) {
        // A cleaning that could not start is an outcome the organisation wants to see too.
        if (request.kind == UnattendedKind::Clean) {
            CleaningJob none;
            WriteEvent(CleaningEvent(none, request.trigger, why));
        }
        if (reason)
            *reason = std::move(why);
        return UnattendedEnd::NoConfiguration;
    };
    if (!ConfigDocument(ConfigPath()).IsLoaded())
        return nothingDone(FormatText(Translate("_CommandLineNoConfiguration"), {ConfigPath()}));
    // A damaged setting read leniently would widen the run or empty it in silence: a tick read as
    // off, months as 0, a skip folder as nothing. Nothing is done, and the reason says which.
    StrictlyRead<WizardSettings> read = ReadScanSettingsStrictly(ConfigPath());
    if (!read.unreadable.empty())
        return nothingDone(
            FormatText(Translate("_CommandLineSettingUnreadable"), {read.unreadable, ConfigPath()}));
    WizardSettings settings = std::move(read.values);
    // A damaged clean setting would turn backup off, or choose a removal, in silence.
    if (request.kind == UnattendedKind::Clean) {
        StrictCleanOptions clean = ReadCleanOptionsStrictly(ConfigPath());
        if (!clean.unreadable.empty())
            return nothingDone(
                FormatText(Translate("_CommandLineSettingUnreadable"), {clean.unreadable, ConfigPath()}));
        settings.cleanOptions = std::move(clean.values);
    }
    std::vector<std::string> roots;
    for (const std::string& folder : request.folders)
        roots.push_back(TypedRoot(folder));
    PrepareScan(settings, roots.empty() && !request.placesOnly ? FixedDrives() : std::move(roots));
    // A folder given that is not there (or no folder) was not searched: the run did not go as asked.
    bool everyRootRead = std::all_of(scan_.roots.begin(), scan_.roots.end(), IsFolder);
    // Nor was one that is the backup folder or the program's own, or lies inside one: the scan
    // leaves those out, and a run that quietly searched nothing would pass for a clean one.
    std::vector<std::string> notSearched;
    for (const std::string& root : scan_.roots)
        if (IsOwnFolderOrBelow(root, scan_.ownFolders))
            notSearched.push_back(root);
    if (!notSearched.empty()) {
        everyRootRead = false;
        std::string text;
        for (const std::string& root : notSearched)
            text +=
                (text.empty() ? "" : "\r\n") + FormatText(Translate("_CommandLineRootNotSearched"), {root});
        if (reason)
            *reason = text;
        LogEntry entry("_LogUnattendedHeader");
        for (const std::string& root : notSearched)
            entry.Add("_CommandLineRootNotSearched", {root});
        ActivityLog log;
        log.SetDataPath(data_.LogDataFolder());
        entry.Write(log, "_LogLogCategoryUnattended");
    }

    std::atomic<bool> never{false};
    const win::StopToken noStop(&never);
    scan_.results.Clear();
    RunScan(scan_, noStop);
    if (scan_.unreadableFolders > 0)
        (void)LogUnreadFolders(data_.LogDataFolder(), scan_.unreadFolders, scan_.unreadableFolders);
    bool asAsked = everyRootRead;
    if (request.kind == UnattendedKind::Report) {
        std::vector<size_t> rows(scan_.results.Count());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = i;
        asAsked = WriteResultsCsv(request.reportFile, scan_.results, rows) && asAsked;
    } else {
        PrepareCleaning(settings.cleanOptions);
        cleaning_.canAsk = false;
        cleaning_.end = win::JobEnd::Finished;
        RunCleaning(cleaning_, noStop);
        WriteEvent(CleaningEvent(cleaning_, request.trigger));
        asAsked = cleaning_.everyFileHandled && asAsked;
    }
    return asAsked ? UnattendedEnd::Done : UnattendedEnd::SomeKept;
}

void Session::Shutdown() noexcept {
    scan_.worker.Shutdown();
    cleaning_.worker.Shutdown();
    restore_.worker.Shutdown();
    removal_.worker.Shutdown();
}

bool Session::StartRestore(const std::string& restorePoint, win::JobProgress* progress,
                           std::function<void(win::JobEnd)> completed) {
    if (CleaningRunning() || RescueBusy())
        return false;
    restore_.restorePoint = restorePoint;
    restore_.logFolder = data_.LogDataFolder();
    restore_.progress = progress;
    restore_.completed = [this, completed = std::move(completed)](win::JobEnd end) {
        WriteEvent(RestoreEvent(restore_.restorePoint, restore_.outcome));
        if (completed)
            completed(end);
    };
    return ::StartRestore(restore_);
}

bool Session::StartRemoval(const std::string& restorePoint, win::JobProgress* progress,
                           std::function<void(win::JobEnd)> completed) {
    if (CleaningRunning() || RescueBusy() || policy_.noPointRemoval)
        return false;
    removal_.restorePoint = restorePoint;
    removal_.logFolder = data_.LogDataFolder();
    removal_.progress = progress;
    removal_.completed = [this, completed = std::move(completed)](win::JobEnd end) {
        WriteEvent(RemovalEvent(removal_.restorePoint, removal_.error));
        if (completed)
            completed(end);
    };
    return ::StartRemoval(removal_);
}

void Session::StopRescue() noexcept {
    restore_.worker.Stop();
    removal_.worker.Stop();
}

std::vector<std::string> FixedDrives() {
    std::vector<std::string> drives;
    wchar_t names[128] = {};
    const DWORD n = ::GetLogicalDriveStringsW(128, names);
    if (n == 0 || n > 128)
        return drives;
    for (const wchar_t* drive = names; *drive; drive += std::wcslen(drive) + 1)
        if (::GetDriveTypeW(drive) == DRIVE_FIXED)
            drives.push_back(win::Narrow(drive));
    return drives;
}
