#pragma once
// The program's side of the activity log component "Logwright.Log". Each use creates its own
// instance on the calling thread; when the component is missing every operation does nothing,
// and no failure of it ever reaches the user or ends a run.

#include <string>

#include "win/ComPtr.h"

struct ILogwrightLog;

class ActivityLog {
public:
    // Creates the component by its ProgID; the calling thread must have initialised COM.
    ActivityLog();
    ~ActivityLog();
    ActivityLog(const ActivityLog&) = delete;
    ActivityLog& operator=(const ActivityLog&) = delete;

    bool Available() const noexcept { return static_cast<bool>(log_); }

    void SetDataPath(const std::string& folder);
    void AddEntry(const std::string& type, const std::string& category, const std::string& subcategory,
                  const std::string& source, const std::string& text);
    // Shows the viewer (owner 0) and returns when it closes.
    void ShowViewer();

private:
    win::ComPtr<ILogwrightLog> log_;
};

// The viewer command of the menu and the results page: create, point at the data folder, show.
void ShowActivityLogViewer(const std::string& dataFolder);
