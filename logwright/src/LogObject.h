#pragma once
// The COM object behind ProgID "Logwright.Log": the ILogwrightLog operations on a LogStore, and
// an IPropertyPage that shows the log (a LogPanel) inside any property frame, ShowViewer's own
// frame included. Apartment-threaded: one thread uses an instance.

#include <windows.h>
#include <ocidl.h>

#include <Logwright.h>

#include <string>
#include <vector>

#include "LogPanel.h"
#include "LogStore.h"

namespace logwright {

class LogObject final : public ILogwrightLog, public ILogwrightViewerTexts, public IPropertyPage {
  public:
    LogObject();
    ~LogObject();
    LogObject(const LogObject&) = delete;
    LogObject& operator=(const LogObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // ILogwrightLog
    HRESULT STDMETHODCALLTYPE ShowViewer(long owner, IUnknown* viewer) override;
    HRESULT STDMETHODCALLTYPE SetDataPath(BSTR path) override;
    HRESULT STDMETHODCALLTYPE GetDataPath(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE GetEntryCount(long* count) override;
    HRESULT STDMETHODCALLTYPE GetEntry(long index, BSTR* time, BSTR* type, BSTR* category, BSTR* subcategory,
                                       BSTR* source) override;
    HRESULT STDMETHODCALLTYPE GetEntryText(long index, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE AddEntry(BSTR type, BSTR category, BSTR subcategory, BSTR source,
                                       BSTR text) override;

    // ILogwrightViewerTexts
    HRESULT STDMETHODCALLTYPE SetViewerText(long item, BSTR text) override;

    // IPropertyPage
    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR helpFolder) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

  private:
    const LogEntry* SnapshotEntry(long index);
    // The page shows the log of the first object it was given, or this object's own.
    std::wstring PageDataPath() const;
    void ReleasePageObject();

    volatile LONG refs_ = 1;
    LogStore store_;
    std::vector<LogEntry> snapshot_;
    bool haveSnapshot_ = false;

    IPropertyPageSite* site_ = nullptr;
    ILogwrightLog* pageObject_ = nullptr;
    LogPanel panel_;
    ViewerTexts texts_;
};

}  // namespace logwright
