#include "session/Session.h"

#include <atomic>
#include <cwchar>

#include "clean/ActivityLog.h"
#include "config/ConfigDocument.h"
#include "core/ProgramPath.h"
#include "scan/ResultsCsv.h"
#include "session/ScanInputs.h"
#include "win/FileSystem.h"
#include "win/PathParts.h"
#include "win/Text.h"

Session::Session(std::string programFolder) : programFolder_(std::move(programFolder)) {}

std::string Session::ConfigPath() const {
    return programFolder_ + "\\config.xml";
}

void Session::PrepareScan(const WizardSettings& settings, std::vector<std::string> roots) {
    if (ScanRunning())
        return;
    // The restore points, those the cleaning will write and those the rescue manager lists, and
    // the program's own files are never junk.
    const std::vector<std::string> backupFolders = {settings.cleanOptions.backupDirectory,
                                                    ReadBackupDirectory(ConfigPath())};
    SetScanInputs(scan_, settings.patterns, settings.scanOptions, settings.skipFolders,
                  OwnSkipFolders(programFolder_, backupFolders));
    // A folder given on the command line may be relative, or written with "/" or ".." steps: the
    // walk and every file call take the one full form it names now. A full path stays exactly as
    // it is, a final dot or blank of a name included.
    for (std::string& root : roots)
        if (!win::IsFullPath(root) || root.find('/') != std::string::npos ||
            ("\\" + root + "\\").find("\\.") != std::string::npos)
            root = win::FullPathOf(root);
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

void Session::PrepareCleaning(const CleanOptionValues& options) {
    cleaning_.removal = options.removal;
    cleaning_.backup = options.backup;
    cleaning_.backupFolder = options.backupDirectory;
    cleaning_.logFolder = ActivityLogDataFolder(programFolder_);
    cleaning_.cleaningSet = scan_.results.TickedRows();
}

bool Session::StartCleaning(const CleanOptionValues& options, win::JobProgress* progress, HWND promptOwner,
                            std::function<void()> completed) {
    if (CleaningRunning())
        return false;
    PrepareCleaning(options);
    cleaning_.progress = progress;
    cleaning_.promptOwner = promptOwner;
    cleaning_.canAsk = true;
    cleaning_.completed = std::move(completed);
    return ::StartCleaning(cleaning_);
}

UnattendedEnd Session::RunUnattended(const UnattendedRequest& request) {
    if (!ConfigDocument(ConfigPath()).IsLoaded())
        return UnattendedEnd::NoConfiguration;
    const WizardSettings settings = ReadWizardSettings(ConfigPath());
    PrepareScan(settings, request.folders.empty() ? FixedDrives() : request.folders);

    std::atomic<bool> never{false};
    const win::StopToken noStop(&never);
    scan_.results.Clear();
    RunScan(scan_, noStop);
    if (!request.reportFile.empty()) {
        std::vector<size_t> rows(scan_.results.Count());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = i;
        return WriteResultsCsv(request.reportFile, scan_.results, rows) ? UnattendedEnd::Done
                                                                        : UnattendedEnd::SomeKept;
    }
    PrepareCleaning(settings.cleanOptions);
    cleaning_.canAsk = false;
    RunCleaning(cleaning_, noStop);
    return cleaning_.everyFileHandled ? UnattendedEnd::Done : UnattendedEnd::SomeKept;
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
    restore_.logFolder = ActivityLogDataFolder(programFolder_);
    restore_.progress = progress;
    restore_.completed = std::move(completed);
    return ::StartRestore(restore_);
}

bool Session::StartRemoval(const std::string& restorePoint, win::JobProgress* progress,
                           std::function<void(win::JobEnd)> completed) {
    if (CleaningRunning() || RescueBusy())
        return false;
    removal_.restorePoint = restorePoint;
    removal_.logFolder = ActivityLogDataFolder(programFolder_);
    removal_.progress = progress;
    removal_.completed = std::move(completed);
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
