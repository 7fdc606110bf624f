#pragma once
// The report page: one ticked row per found file with its size and reason, a summary line, sorting
// by a click on a column header, and the file details dialog for the selected row.

#include "pages/WizardPage.h"
#include "scan/ScanResults.h"
#include "win/ListView.h"

class ReportPage : public WizardPage {
  public:
    ReportPage();

    // Copies the results and lists them afresh, every row ticked, while a small status window
    // shows the progress.
    void Fill(const ScanResults& results);
    const win::ListView& List() const { return list_; }
    const ScanResults& Results() const { return results_; }

    // Sort kinds, kept as the data of each column's header item.
    enum SortKind { kSortText = 0, kSortNumber = 1 };

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;

  private:
    void SortByColumn(int column);
    // Opens the file details dialog for the selected row; without one, asks for a selection
    // when askWhenNone is set and does nothing otherwise.
    void ShowDetails(bool askWhenNone);

    ScanResults results_;
    win::ListView list_;
};
