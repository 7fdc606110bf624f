#pragma once
// One activity-log entry of this program: a header, a blank line, then each line followed by a
// blank line, written under the program's own type, category and source.

#include <initializer_list>
#include <string>

#include "app/FormatText.h"

class ActivityLog;

class LogEntry {
  public:
    // headerKey and every line key are language keys; the texts are translated here.
    explicit LogEntry(const char* headerKey);
    void Add(const char* lineKey, std::initializer_list<FormatArg> args);
    const std::string& Text() const { return text_; }
    // Adds the entry to log under the translated subcategory; false when the log did not take it.
    bool Write(ActivityLog& log, const char* subcategoryKey) const;

  private:
    std::string text_;
};
