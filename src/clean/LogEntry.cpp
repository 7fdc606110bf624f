#include "clean/LogEntry.h"

#include "app/LanguageTable.h"
#include "clean/ActivityLog.h"

LogEntry::LogEntry(const char* headerKey) : text_(FormatText("%s\r\n\r\n", {Translate(headerKey)})) {}

void LogEntry::Add(const char* lineKey, std::initializer_list<FormatArg> args) {
    text_ += FormatText(Translate(lineKey) + "\r\n\r\n", args);
}

bool LogEntry::Write(ActivityLog& log, const char* subcategoryKey) const {
    return log.AddEntry(Translate("_LogType"), Translate("_LogCategory"), Translate(subcategoryKey),
                        Translate("_LogSource"), text_);
}
