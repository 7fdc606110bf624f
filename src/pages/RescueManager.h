#pragma once
// The rescue manager: the restore points under a backup folder, one of which can be copied back to
// where its files came from or deleted. Both run as the session's jobs, off the window's thread,
// reporting to the status line and progress bar; the dialog starts them and shows them.

#include <mutex>
#include <string>
#include <vector>

#include "clean/BackupStore.h"
#include "session/Session.h"
#include "win/Dialog.h"
#include "win/ListView.h"
#include "win/JobProgress.h"

class RescueManager : public win::Dialog, private win::JobProgress {
  public:
    explicit RescueManager(Session& session);
    ~RescueManager() override;

    win::ListView List() const { return list_; }
    // The restore point a row stands for (its full path), or "" for no row.
    std::string RowPath(int row) const;
    // True until a restore's or removal's worker has made its last call on the dialog.
    bool Working() const { return session_.RescueBusy(); }

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
    // The selected restore point, once the user said Yes to the question (with the row's text when
    // namesRow); "" otherwise. Restore points wait while the session's cleaning runs.
    std::string ConfirmedRow(const char* questionKey, bool namesRow);
    // Disables (or enables) "_Restore", "_Browse" and "_Delete" while work is in progress.
    void SetBusy(bool busy) const;
    // Waits until a running restore or removal has ended, asking it to stop before its next file.
    void WaitForWork();
    // A job's ending: the list shows what is left (not when the dialog is closing).
    void JobEnded(win::JobEnd end);
    void SetStatusText(const std::string& text) override;
    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void ShowRunning(bool running) override;

    Session& session_;
    win::ListView list_;
    // The listed restore points; each list row carries its index here as item data. A finished
    // job refreshes the list from its worker thread, so the vector is replaced under the lock.
    std::vector<RestorePoint> rows_;
    mutable std::mutex rowsLock_;
};
