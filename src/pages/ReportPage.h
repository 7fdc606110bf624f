#pragma once
// The report page: above, the kinds of junk found (one row per reason, largest first, with its
// count, size, a bar for its share and a tick for all its files); below, one ticked row per found
// file with its size and reason, the ticked total, a summary line, sorting by a click on a column
// header, and the file details dialog for the selected row. Choosing a kind lists only its files
// ("Show all" lists every one again). The file list is a view of the scan's results (an
// owner-data list): it holds no rows of its own, the results hold each row's texts and tick, and
// what is shown, sorted or not, is a list of the results' rows kept by the page.

#include <vector>

#include "pages/WizardPage.h"
#include "scan/ReportSummary.h"
#include "scan/ScanResults.h"
#include "win/ListView.h"

class ReportPage : public WizardPage {
  public:
    ReportPage();

    // Lists the results afresh in path order, every row ticked, while a small status window shows
    // the progress. The page shows these results, not a copy: they must outlive the listing, and
    // nullptr empties it.
    void Fill(ScanResults* results);
    const win::ListView& List() const { return list_; }
    const win::ListView& Kinds() const { return kinds_; }
    // The results' row (in path order) that a list row shows.
    size_t ResultRow(int row) const { return ModelRow(row); }

  protected:
    void InitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR* header, LRESULT& result) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  private:
    bool HasRow(int row) const;
    size_t ModelRow(int row) const;  // the results' row a list row shows
    void GiveRow(LVITEMW& item);
    bool DrawShortenedPath(NMLVCUSTOMDRAW& draw, LRESULT& result);
    // Ticks or unticks a row of the list, or every row for -1.
    void SetTicked(int row, bool ticked);
    void ToggleTick(int row);
    // The kinds' list: its rows afresh, or only their ticks and the ticked total after a tick.
    void FillKinds();
    void ShowKindTicks();
    void ToggleKind(int kindRow);
    // Lists the files of one reason, or every file for SIZE_MAX.
    void ShowReason(size_t reason);
    bool DrawKindBar(NMLVCUSTOMDRAW& draw, LRESULT& result);
    static LRESULT CALLBACK KindsProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    void SortByColumn(int column);
    void FitColumnsToTexts();
    // The first row from start on (then from the top, with wrap) whose path begins with prefix, in
    // any letter case (or is it, when partial is false), as typing in the list looks for it; -1
    // when there is none.
    int FindRow(const std::string& prefix, int start, bool partial, bool wrap) const;
    // The list's shortcut menu: "Export list..." writes the rows in their current order to a CSV file.
    void ShowListMenu(LPARAM screenPoint);
    void ExportList();
    // Opens the file details dialog for the selected row; without one, asks for a selection
    // when askWhenNone is set and does nothing otherwise.
    void ShowDetails(bool askWhenNone);

    ScanResults* results_ = nullptr;
    std::vector<uint32_t> view_;  // list row -> results' row, in the order the list shows
    win::ListView list_;
    win::ListView kinds_;
    std::vector<ReportKind> kindRows_;  // the kinds' list's rows, in its order
    size_t shownReason_ = SIZE_MAX;     // the kind whose files the list shows; SIZE_MAX: every file
    win::UniqueImageList checkImages_;
};
