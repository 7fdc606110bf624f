#include "clean/ActivityLog.h"

ActivityLog::ActivityLog() {
    CLSID clsid{};
    if (FAILED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid)))
        return;
    ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                       IID_ILogwrightLog, log_.put_void());
}

bool ActivityLog::SetDataPath(const std::string& path) {
    if (!log_)
        return false;
    win::Bstr text(path);
    return SUCCEEDED(log_->SetDataPath(text.get()));
}

bool ActivityLog::AddEntry(const std::string& type, const std::string& category,
                           const std::string& subcategory, const std::string& source,
                           const std::string& text) {
    if (!log_)
        return false;
    win::Bstr typeText(type), categoryText(category), subcategoryText(subcategory), sourceText(source),
        bodyText(text);
    return SUCCEEDED(log_->AddEntry(typeText.get(), categoryText.get(), subcategoryText.get(),
                                    sourceText.get(), bodyText.get()));
}

bool ActivityLog::ShowViewer() {
    if (!log_)
        return false;
    // The viewer interface is the property page of the same object; without one the component
    // shows its own viewer.
    win::ComPtr<IUnknown> viewer = log_.As<IUnknown>(IID_IPropertyPage);
    return SUCCEEDED(log_->ShowViewer(0, viewer.get()));
}

void OpenActivityLogViewer(const std::string& dataFolder) {
    ActivityLog log;
    if (!log.Available())
        return;
    log.SetDataPath(dataFolder);
    log.ShowViewer();
}
