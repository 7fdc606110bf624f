#include "clean/ActivityLog.h"

#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "win/Text.h"

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
    if (win::ComPtr<ILogwrightViewerTexts> texts =
            log_.As<ILogwrightViewerTexts>(IID_ILogwrightViewerTexts)) {
        // One row per text of the viewer.
        const struct {
            long item;
            std::string text;
        } words[] = {
            {logwright_viewer::kCaptionText, Translate("_LogViewerCaption")},
            {logwright_viewer::kTimeColumn, Translate("_LogViewerColumnTime")},
            {logwright_viewer::kCategoryColumn, Translate("_LogViewerColumnCategory")},
            {logwright_viewer::kSubcategoryColumn, Translate("_LogViewerColumnSubcategory")},
            {logwright_viewer::kSourceColumn, Translate("_LogViewerColumnSource")},
            {logwright_viewer::kCloseButton, Translate("_Close")},
            {logwright_viewer::kLocaleName, win::Narrow(CurrentLocale().name)},
        };
        for (const auto& word : words) {
            win::Bstr text(word.text);
            (void)texts->SetViewerText(word.item, text.get());
        }
    }
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
