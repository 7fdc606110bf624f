#pragma once
// The log shown as a child window: a report list of the entries, newest first (time, category,
// subcategory, source), above a read-only text box with the selected entry's text. The list is
// virtual (owner data), so it asks only for the rows on screen and fills at once for any count.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "LogRecord.h"
#include "ViewerTexts.h"

namespace logwright {

class LogPanel {
  public:
    LogPanel() = default;
    ~LogPanel() { Destroy(); }
    LogPanel(const LogPanel&) = delete;
    LogPanel& operator=(const LogPanel&) = delete;

    // Creates the panel in 'parent' over 'rect' (parent client coordinates), showing the log kept
    // under dataPath (an empty path shows an empty list) with the texts given. The panel starts hidden.
    bool Create(HWND parent, const RECT& rect, const std::wstring& dataPath, const ViewerTexts& texts);
    void Destroy();
    // Reads the log under dataPath again and selects the newest entry.
    void Load(const std::wstring& dataPath);

    HWND Window() const { return hwnd_; }
    bool Created() const { return hwnd_ != nullptr; }
    size_t EntryCount() const { return entries_.size(); }

  private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void Layout(int width, int height);
    void OnGetDispInfo(NMLVDISPINFOW& info);
    void ShowSelectedText();

    HWND hwnd_ = nullptr;
    HWND list_ = nullptr;
    HWND text_ = nullptr;
    std::wstring pendingPath_;
    ViewerTexts texts_;
    std::vector<LogEntry> entries_;
    int shownIndex_ = -2;
};

}  // namespace logwright
