#pragma once
// The cleaning page, a view of the session's cleaning that shows its progress, and the results page
// that closes the wizard.

#include <string>

#include "pages/WizardPage.h"
#include "session/Session.h"
#include "win/JobProgress.h"

class CleaningPage : public WizardPage, public win::JobProgress {
  public:
    explicit CleaningPage(Session& session);
    // Stop button: asks first, then stops the worker; false when nothing was stopped.
    bool StopWithConfirmation();

    void SetProgressRange(int maximum) override;
    void SetProgressPosition(int position) override;
    void SetStatusText(const std::string& text) override;
    void ShowRunning(bool running) override;

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    Session& session_;
};

// What the results page says of a run: whether anything was done, the files removed, recycled,
// kept and failed, the space freed, the restore point with what it holds and until when it is
// kept, and the files another program held.
std::string ResultsText(const ScanResults& found, const CleaningJob& cleaning);

// The last page. Each time it is shown it says what the cleaning did (ResultsText).
class ResultsPage : public WizardPage {
  public:
    explicit ResultsPage(const Session& session);

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    void ShowOutcome();

    const Session& session_;
    RECT description_{};  // the description's and the log button's places in the template
    RECT logButton_{};
};
