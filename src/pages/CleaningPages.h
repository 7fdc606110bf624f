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

class ResultsPage : public WizardPage {
  public:
    ResultsPage();

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
};
