#pragma once
// One run of the program, as the wizard and the command line share it: the scan with its results,
// the cleaning of the ticked results, and the inputs both are built from (the settings, the
// program's own folders, the log folder). The wizard's pages are views of a session; the
// unattended run is a session without windows.

#include <windows.h>

#include <functional>
#include <future>
#include <utility>
#include <string>
#include <vector>

#include "clean/CleaningEngine.h"
#include "config/Policy.h"
#include "config/WizardSettings.h"
#include "core/DataFolders.h"
#include "scan/RuleCatalogue.h"
#include "scan/ScanWorker.h"
#include "session/EventLog.h"
#include "session/RescueJobs.h"

// What an unattended run does with what its scan finds.
enum class UnattendedKind {
    Clean,   // cleans it with the saved clean options
    Report,  // writes it to reportFile, removing nothing
};

// What an unattended run is asked to do.
struct UnattendedRequest {
    UnattendedKind kind = UnattendedKind::Clean;
    std::vector<std::string> folders;  // the roots as typed (win::TypedFullPath); none: every fixed drive
    std::string reportFile;            // for Report
    // No folders means no root at all, only the ticked places and rules (the automatic cleaning).
    bool placesOnly = false;
    // Who asked, as the cleaning's event says.
    EventTrigger trigger = EventTrigger::CommandLine;
};

// How an unattended run ended.
enum class UnattendedEnd {
    Done,             // everything went as asked
    SomeKept,         // done, but some file was kept or failed, a folder given was not there (or
                      // was the backup folder or the program's own: the reason says which), or
                      // the report was not written
    NoConfiguration,  // config.xml missing or unreadable: nothing was done
};

class Session {
  public:
    // A session of the program in programFolder with its data beside it. policy: what the
    // organisation set, laid over every setting the session is handed (Effective), so the wizard,
    // the command line and the automatic cleaning all obey the same values.
    explicit Session(std::string programFolder, Policy policy = {});
    // A session whose user data (config.xml, the factory restore points, the log) lies where data
    // says: the program runs with ProgramDataFolders().
    explicit Session(DataFolders data, Policy policy = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    // Stops whatever still runs, without telling anyone: its owner is going.
    ~Session() { Shutdown(); }

    const std::string& ProgramFolder() const noexcept { return data_.program; }
    const DataFolders& Data() const noexcept { return data_; }
    const Policy& CurrentPolicy() const noexcept { return policy_; }
    // The settings as a run takes them: settings with the policy laid over them.
    WizardSettings Effective(WizardSettings settings) const;
    std::string ConfigPath() const;
    // The backup folder the wizard uses now (the clean options' current value, expanded), which the
    // rescue manager opens with; "" when the wizard has none.
    void SetWizardBackupFolder(std::string folder) { wizardBackupFolder_ = std::move(folder); }
    // The folder whose restore points the rescue manager lists first: the wizard's, else the one
    // saved in config.xml; the policy's backup folder before either.
    std::string RescueFolder() const;

    // Sets the scan's inputs from the settings and the roots (full paths, taken exactly), with the
    // program's own folders (the settings' backup folder, config.xml's and the program folder)
    // left out; unless a scan runs. Every folder is taken in its true form (win::TruePathOf).
    // The cleaning rules it takes are prepared ahead where PrepareRulesAhead ran for the same
    // inputs (the backup folders, config.xml and the rule files, each unchanged on disk since);
    // otherwise here.
    void PrepareScan(const WizardSettings& settings, std::vector<std::string> roots);
    // Starts preparing the cleaning rules a scan with settings would take (the machine's facts and
    // variables, the catalogue, its places) on a thread of its own, so that the scan starts at once
    // when it is asked for: the wizard calls it while the pages before the scan show. Does nothing
    // while a preparation for the same inputs is under way or done.
    void PrepareRulesAhead(const WizardSettings& settings);
    // Empties the results and starts the prepared scan on its worker, reporting to progress;
    // completed runs once when it has ended. False when a scan runs already.
    bool StartScan(ScanProgress* progress, std::function<void()> completed);
    bool StopScan() { return scan_.worker.Stop(); }
    bool ScanRunning() const noexcept { return scan_.worker.IsRunning(); }
    const ScanJob& Scan() const noexcept { return scan_; }
    ScanResults& Results() noexcept { return scan_.results; }
    const ScanResults& Results() const noexcept { return scan_.results; }

    // Starts the cleaning of the ticked results with the clean options, reporting to progress;
    // promptOwner owns the shell's question where the Recycle Bin cannot take a file. False when a
    // cleaning, a restore or a restore point's removal runs already. Its event is written before
    // completed runs.
    bool StartCleaning(const CleanOptionValues& options, win::JobProgress* progress, HWND promptOwner,
                       std::function<void()> completed);
    bool StopCleaning() { return cleaning_.worker.Stop(); }
    bool CleaningRunning() const noexcept { return cleaning_.worker.IsRunning(); }
    const CleaningJob& Cleaning() const noexcept { return cleaning_; }

    // The whole run of "/auto" or "/report" on this thread, with the settings saved in config.xml
    // (never the factory ones): the scan, then the report or the cleaning, never asking anything.
    // A run whose patterns, scan options or skip folders, or a cleaning whose removal or backup
    // setting, cannot be read strictly does nothing (NoConfiguration). Roots are read as Windows
    // reads a typed path (the "\\?\" form, a final dot or blank dropped where the exact name is
    // no folder); a root that is one of the program's own folders is not searched, and says so in
    // reason and in the activity log (SomeKept).
    // When nothing was done, reason (if given) receives the translated text that says why. A
    // cleaning, done or not, writes its event (WriteEvent) with the request's trigger. COM must
    // be initialised on the calling thread.
    UnattendedEnd RunUnattended(const UnattendedRequest& request, std::string* reason = nullptr);

    // Stops every job without its completion and waits for its thread.
    void Shutdown() noexcept;

    // The rescue manager's work: restoring or removing one restore point at a time, reporting to
    // progress, with completed called once per run (see RestoreJob). Refused (false) while the
    // cleaning runs, which writes a restore point and has not yet removed all its files, or while
    // another restore or removal has not made its last call; a removal also where the policy does not
    // allow it.
    bool StartRestore(const std::string& restorePoint, win::JobProgress* progress,
                      std::function<void(win::JobEnd)> completed);
    bool StartRemoval(const std::string& restorePoint, win::JobProgress* progress,
                      std::function<void(win::JobEnd)> completed);
    // True until the restore or removal has made its last call.
    bool RescueBusy() const noexcept { return restore_.worker.IsBusy() || removal_.worker.IsBusy(); }
    // Stops a running restore or removal before its next file and waits for its thread; its
    // completion runs here with JobEnd::Stopped.
    void StopRescue() noexcept;
    const RestoreJob& Restore() const noexcept { return restore_; }
    const RemovalJob& Removal() const noexcept { return removal_; }

    // The rules a scan takes, with what they were prepared from.
    struct PreparedRules {
        std::string inputs;  // RulesInputs
        ProtectedPlaces places;
        std::vector<RuleItem> items;
        std::vector<ScanPlace> rulePlaces;
        std::vector<std::string> cacheRoots;
        std::vector<std::string> keptCacheApplications;
        std::vector<SearchExclusion> cacheExclusions;
    };

  private:
    void PrepareCleaning(const CleanOptionValues& options);
    // What the rules depend on besides the machine: the own folders, and config.xml's and each
    // rule file's path, size and last write.
    std::string RulesInputs(const std::vector<std::string>& own) const;
    PreparedRules PrepareRules(const std::vector<std::string>& own, std::string inputs) const;
    std::vector<std::string> OwnFolders(const WizardSettings& settings) const;

    DataFolders data_;
    Policy policy_;
    std::string wizardBackupFolder_;
    ScanJob scan_;
    CleaningJob cleaning_;
    RestoreJob restore_;
    RemovalJob removal_;
    // PrepareRulesAhead's work and its inputs; PrepareScan takes it (waiting for it to end).
    std::future<PreparedRules> rulesAhead_;
    std::string rulesAheadInputs_;
};

// The fixed drives ("C:\"), in drive order: what the folder page shows ticked, and what an
// unattended run without folders scans.
std::vector<std::string> FixedDrives();
