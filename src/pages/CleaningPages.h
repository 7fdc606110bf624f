#pragma once
// The cleaning page, which hosts the cleaning worker and shows its progress, and the results page
// that closes the wizard.

#include <string>

#include "clean/CleaningEngine.h"
#include "pages/WizardPage.h"

class CleaningPage : public WizardPage, public win::JobProgress {
  public:
    CleaningPage();
    ~CleaningPage() override;

    // Modes, backup folder, cleaning set and callback, filled by the frame before the start.
    CleaningJob& Job() { return job_; }
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
    CleaningJob job_;
};

class ResultsPage : public WizardPage {
  public:
    ResultsPage();

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
};
