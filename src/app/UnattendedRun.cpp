#include "app/UnattendedRun.h"

#include <windows.h>

#include <atomic>
#include <cstring>

#include "clean/ActivityLog.h"
#include "clean/CleaningEngine.h"
#include "config/CleanOptionSettings.h"
#include "config/ConfigDocument.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "scan/ResultsCsv.h"
#include "scan/ScanLocations.h"
#include "scan/ScanSettings.h"
#include "scan/ScanWorker.h"

namespace {

// Every fixed drive, as the folder page starts with them ticked.
std::vector<std::string> FixedDrives() {
    std::vector<std::string> drives;
    char names[128] = {};
    const DWORD n = ::GetLogicalDriveStringsA(sizeof(names), names);
    if (n == 0 || n > sizeof(names))
        return drives;
    for (const char* drive = names; *drive; drive += std::strlen(drive) + 1)
        if (::GetDriveTypeA(drive) == DRIVE_FIXED)
            drives.push_back(drive);
    return drives;
}

}  // namespace

int RunUnattended(const CommandLine& command, const std::string& programFolder) {
    // Never the factory settings: a cleaning nobody watches does only what the user chose.
    const std::string configPath = programFolder + "\\config.xml";
    if (!ConfigDocument(configPath).IsLoaded())
        return kExitNoConfiguration;
    const CleanOptionValues clean = ReadCleanOptions(configPath);

    std::atomic<bool> never{false};
    const win::StopToken noStop(&never);
    ScanJob scan;
    scan.roots = command.folders.empty() ? FixedDrives() : command.folders;
    SetScanInputs(scan, ReadJunkPatterns(configPath), ReadScanOptions(configPath),
                  ReadSkipFolders(configPath), OwnSkipFolders(programFolder, {clean.backupDirectory}));
    RunScan(scan, noStop);

    if (command.mode == CommandLine::Mode::Report) {
        std::vector<size_t> rows(scan.results.Count());
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = i;
        return WriteResultsCsv(command.reportFile, scan.results, rows) ? kExitDone : kExitSomeKept;
    }

    CleaningJob job;
    job.deletePermanently = !clean.moveToRecycleBin;
    job.moveToRecycleBin = clean.moveToRecycleBin;
    job.backup = clean.backup;
    job.backupFolder = clean.backupDirectory;
    job.cleaningSet = std::move(scan.results);
    job.logFolder = ActivityLogDataFolder(programFolder);
    job.canAsk = false;
    RunCleaning(job, noStop);
    return job.everyFileHandled ? kExitDone : kExitSomeKept;
}
