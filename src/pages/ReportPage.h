#pragma once
// The report page: one ticked row per found file with its size and reason, and a summary line.

#include "pages/WizardPage.h"
#include "scan/ScanResults.h"
#include "win/ListView.h"

class ReportPage : public WizardPage {
public:
    ReportPage();

    // Copies the results and lists them afresh, every row ticked.
    void Fill(const ScanResults& results);
    const win::ListView& List() const { return list_; }

protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;

private:
    ScanResults results_;
    win::ListView list_;
};
