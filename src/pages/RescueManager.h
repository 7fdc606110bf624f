#pragma once
// The rescue manager: the restore points under a backup folder, one of which can be copied back to
// where its files came from (on a worker thread, reporting to the status line and progress bar)
// or deleted. Both are recorded in the activity log.

#include <mutex>
#include <string>
#include <vector>

#include "clean/BackupStore.h"
#include "clean/RestoreFiles.h"
#include "win/Dialog.h"
#include "win/ListView.h"
#include "win/Job.h"
#include "win/JobProgress.h"

class RescueManager : public win::Dialog, private win::JobProgress {
  public:
    RescueManager();
    ~RescueManager() override;

    win::ListView List() const { return list_; }
    // The restore point a row stands for (its full path), or "" for no row.
    std::string RowPath(int row) const;
    // True until a restore's worker has made its last call on the dialog.
    bool Restoring() const { return worker_.IsBusy(); }

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

  private:
    // Lists the restore points under the folder in the backup folder field, oldest first.
    void RefreshRestorePointList();
    void Browse();
    void Restore();
    void Delete();
    void Cancel();
    // Tells the user that restore points wait while a cleaning runs; true when one runs.
    bool RefuseDuringCleaning() const;
    // Disables (or enables) "_Restore", "_Browse" and "_Delete" while work is in progress.
    void SetBusy(bool busy) const;
    // Waits until a running restore has ended, asking it to stop before its next copy.
    void WaitForRestore();

    // The worker's body, and its ending after a natural end or a fault.
    void RunRestore(win::StopToken stop);
    void EndRestore(win::JobEnd end);
    void SetStatusText(const std::string& text) override;
    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void ShowRunning(bool running) override;

    win::ListView list_;
    // The listed restore points; each list row carries its index here as item data. A finished
    // restore refreshes the list from its worker thread, so the vector is replaced under the lock.
    std::vector<RestorePoint> rows_;
    mutable std::mutex rowsLock_;
    std::string restorePoint_;  // what the running restore works on, fixed when the user said Yes
    std::string logFolder_;
    RestoreOutcome outcome_;  // what the last restore did
    // Last, so that it ends before anything the worker uses goes.
    win::Job worker_;
};
