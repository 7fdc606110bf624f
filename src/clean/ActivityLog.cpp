#include "clean/ActivityLog.h"

#include <ocidl.h>

#include "Logwright.h"

ActivityLog::ActivityLog() {
    CLSID clsid;
    if (FAILED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid))) return;
    ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                       IID_ILogwrightLog, log_.put_void());
}

ActivityLog::~ActivityLog() = default;

void ActivityLog::SetDataPath(const std::string& folder) {
    if (log_) log_->SetDataPath(win::Bstr(folder).get());
}

void ActivityLog::AddEntry(const std::string& type, const std::string& category, const std::string& subcategory,
                           const std::string& source, const std::string& text) {
    if (!log_) return;
    log_->AddEntry(win::Bstr(type).get(), win::Bstr(category).get(), win::Bstr(subcategory).get(),
                   win::Bstr(source).get(), win::Bstr(text).get());
}

void ActivityLog::ShowViewer() {
    if (!log_) return;
    auto page = log_.As<IUnknown>(IID_IPropertyPage);
    log_->ShowViewer(0, page.get());
}

void ShowActivityLogViewer(const std::string& dataFolder) {
    ActivityLog log;
    log.SetDataPath(dataFolder);
    log.ShowViewer();
}
