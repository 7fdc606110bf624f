#pragma once
// The scanning page: a view of the session's scan, showing its progress with its controls.

#include "pages/WizardPage.h"
#include "scan/ScanWorker.h"
#include "session/Session.h"
#include "win/ListView.h"

class ScanningPage : public WizardPage, public ScanProgress {
  public:
    explicit ScanningPage(Session& session);

    // Makes one row per root of the session's scan, in order, each "not complete".
    void ResetRootRows();
    // Stop button: asks first, then stops the worker; false when nothing was stopped.
    bool StopWithConfirmation();

    // What the worker shows (called on its thread; the system hands each call to the page's thread).
    void SetStatusText(const std::string& text) override;
    void SetFoundCountText(const std::string& text) override;
    int RootRowCount() override;
    std::string RootStateText(int row) override;
    void SetRootStateText(int row, const std::string& text) override;
    void ShowRunning(bool running) override;

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    Session& session_;
    win::ListView roots_;
};
