#pragma once
// One activity-log entry of this program: a header, a blank line, then each line followed by a
// blank line, written under the program's own type, category and source. A failure's line ends
// with the system's reason, so the log says why a file was kept.

#include <windows.h>

#include <initializer_list>
#include <string>

#include "core/FormatText.h"

class ActivityLog;

class LogEntry {
  public:
    // headerKey and every line key are language keys; the texts are translated here.
    explicit LogEntry(const char* headerKey);
    // The line; for a failure with its error code, the system's reason follows in brackets.
    void Add(const char* lineKey, std::initializer_list<FormatArg> args, DWORD error = ERROR_SUCCESS);
    // The line, for a failure of the shell's file operation with its return code: the shell's own
    // code (not a system error code) follows in brackets.
    void AddShellFailure(const char* lineKey, std::initializer_list<FormatArg> args, int shellCode);
    const std::string& Text() const { return text_; }
    // Adds the entry to log under the translated subcategory; false when the log did not take it.
    bool Write(ActivityLog& log, const char* subcategoryKey) const;

  private:
    std::string text_;
};
