#include "clean/LogEntry.h"

#include <cstdio>

#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "win/SystemError.h"

LogEntry::LogEntry(const char* headerKey) : text_(FormatText("%s\r\n\r\n", {Translate(headerKey)})) {}

void LogEntry::Add(const char* lineKey, std::initializer_list<FormatArg> args, DWORD error) {
    std::string line = FormatText(Translate(lineKey), args);
    if (error != ERROR_SUCCESS)
        line += " (" + win::SystemErrorText(error) + ")";
    text_ += line + "\r\n\r\n";
}

void LogEntry::AddShellFailure(const char* lineKey, std::initializer_list<FormatArg> args, int shellCode) {
    std::string line = FormatText(Translate(lineKey), args);
    if (shellCode != 0) {
        char code[16];
        std::snprintf(code, sizeof(code), "0x%X", static_cast<unsigned>(shellCode));
        line += " (" + FormatText(Translate("_LogShellCode"), {std::string(code)}) + ")";
    }
    text_ += line + "\r\n\r\n";
}

bool LogEntry::Write(ActivityLog& log, const char* subcategoryKey) const {
    return log.AddEntry(Translate("_LogType"), Translate("_LogCategory"), Translate(subcategoryKey),
                        Translate("_LogSource"), text_);
}
