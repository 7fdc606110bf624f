#include "support/LogEntries.h"

#include <Logwright.h>

#include "win/ComPtr.h"

namespace test {

std::vector<LogEntry> ReadLogEntries(const std::string& dataFolder) {
    std::vector<LogEntry> entries;
    CLSID clsid;
    win::ComPtr<ILogwrightLog> log;
    if (FAILED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ILogwrightLog, log.put_void())))
        return entries;
    log->SetDataPath(win::Bstr(dataFolder).get());
    long count = 0;
    log->GetEntryCount(&count);
    for (long i = 0; i < count; ++i) {
        win::Bstr subcategory, text;
        log->GetEntry(i, nullptr, nullptr, nullptr, subcategory.put(), nullptr);
        log->GetEntryText(i, text.put());
        entries.push_back({subcategory.ToText(), text.ToText()});
    }
    return entries;
}

}  // namespace test
