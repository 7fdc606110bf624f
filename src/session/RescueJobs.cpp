#include "session/RescueJobs.h"

#include "clean/ActivityLog.h"
#include "clean/LogEntry.h"
#include "clean/RestorePointTree.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "win/ComPtr.h"

namespace {

// Where a job reports when nobody watches it.
class Unwatched : public win::JobProgress {
  public:
    void SetStatusText(const std::string&) override {}
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void ShowRunning(bool) override {}
};

// The status a restore ends with: complete, what stays, or that the point was kept.
std::string RestoreEndText(const RestoreOutcome& outcome) {
    if (outcome.removed)
        return Translate("_RescueDialogStateRestoreComplete");
    if (outcome.left > 0)
        return FormatText(PluralForm(Translate("_RescueDialogStateRestoreIncomplete"), outcome.left),
                          {CountText(outcome.left)});
    return Translate("_RescueDialogStateRestorePointKept");
}

// Starts body on job's worker; the ending shows statusText (unless stopped), calls the completion,
// then gives the commands back.
template <typename JobType, typename Body, typename StatusText>
bool StartRescueJob(JobType& job, Body body, StatusText statusText) {
    if (job.worker.IsRunning())
        return false;
    if (job.progress)
        job.progress->ShowRunning(true);
    const bool started = job.worker.Start([&job, body](win::StopToken stop) { body(job, stop); },
                                          [&job, statusText](win::JobEnd end) {
                                              // A stop comes from the owner, which is closing: its window is
                                              // left alone.
                                              if (end == win::JobEnd::Stopped) {
                                                  if (job.completed)
                                                      job.completed(end);
                                                  return;
                                              }
                                              if (job.progress)
                                                  job.progress->SetStatusText(statusText(job));
                                              if (job.completed)
                                                  job.completed(end);
                                              if (job.progress)
                                                  job.progress->ShowRunning(false);
                                          });
    if (!started && job.progress)
        job.progress->ShowRunning(false);
    return started;
}

}  // namespace

bool StartRestore(RestoreJob& job) {
    return StartRescueJob(job, RunRestore, [](const RestoreJob& run) { return RestoreEndText(run.outcome); });
}

bool StartRemoval(RemovalJob& job) {
    // The list shows that the point went; a point that stays is named with the log's words.
    return StartRescueJob(job, RunRemoval, [](const RemovalJob& run) {
        return run.error == ERROR_SUCCESS
                   ? std::string()
                   : FormatText(Translate("_LogRemoveRestorePointFailed"), {run.restorePoint});
    });
}

void RunRestore(RestoreJob& job, win::StopToken stop) {
    // After a fault the outcome stays empty: whatever was not put back is still in the point.
    job.outcome = {};
    win::ComApartment com;
    Unwatched unwatched;
    win::JobProgress& progress = job.progress ? *job.progress : unwatched;
    progress.SetProgressPosition(0);
    job.outcome = RestoreFiles(job.restorePoint, job.logFolder, progress, stop.Flag());
}

void RunRemoval(RemovalJob& job, win::StopToken stop) {
    job.error = ERROR_CANCELLED;  // until the removal says otherwise
    win::ComApartment com;
    ActivityLog log;
    log.SetDataPath(job.logFolder);
    LogEntry entry("_LogRemoveRestorePointHeader");
    if (job.progress)
        job.progress->SetProgressPosition(0);
    job.error = RemoveRestorePoint(job.restorePoint, job.progress, stop.Flag()).Error();
    if (job.error == ERROR_SUCCESS)
        entry.Add("_LogRemoveRestorePoint", {job.restorePoint});
    else
        entry.Add("_LogRemoveRestorePointFailed", {job.restorePoint}, job.error);
    entry.Write(log, "_LogLogCategoryRemoveRestorePoint");
}
