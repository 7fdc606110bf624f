#include "LogObject.h"

#include <new>

#include "LogViewer.h"
#include "Module.h"

namespace logwright {

namespace {

std::wstring FromBstr(BSTR text) {
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

HRESULT ToBstr(const std::wstring& text, BSTR* out) {
    if (!out)
        return S_OK;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// COM methods report failures as HRESULTs; no exception may cross the interface.
template <typename Body>
HRESULT Guarded(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace

LogObject::LogObject() {
    ModuleAddRef();
}

LogObject::~LogObject() {
    panel_.Destroy();
    ReleasePageObject();
    if (site_)
        site_->Release();
    ModuleRelease();
}

HRESULT LogObject::QueryInterface(REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ILogwrightLog) {
        *out = static_cast<ILogwrightLog*>(this);
    } else if (iid == IID_ILogwrightViewerTexts) {
        *out = static_cast<ILogwrightViewerTexts*>(this);
    } else if (iid == IID_IPropertyPage) {
        *out = static_cast<IPropertyPage*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG LogObject::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refs_));
}

ULONG LogObject::Release() {
    LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT LogObject::ShowViewer(long owner, IUnknown* viewer) {
    return Guarded([&] {
        IPropertyPage* page = nullptr;
        if (viewer)
            viewer->QueryInterface(IID_IPropertyPage, reinterpret_cast<void**>(&page));
        HWND ownerWindow = reinterpret_cast<HWND>(static_cast<LONG_PTR>(owner));
        HRESULT hr =
            ShowLogViewer(ownerWindow, store_.DataPath(), page, static_cast<ILogwrightLog*>(this), texts_);
        if (page)
            page->Release();
        return hr;
    });
}

HRESULT LogObject::SetViewerText(long item, BSTR text) {
    return Guarded([&] { return texts_.Set(item, FromBstr(text)) ? S_OK : E_INVALIDARG; });
}

HRESULT LogObject::SetDataPath(BSTR path) {
    return Guarded([&] {
        std::wstring text = FromBstr(path);
        if (text.empty() || text.find(L'\0') != std::wstring::npos)
            return E_INVALIDARG;
        store_ = LogStore(text);
        snapshot_.clear();
        haveSnapshot_ = false;
        return S_OK;
    });
}

HRESULT LogObject::GetDataPath(BSTR* path) {
    if (!path)
        return E_POINTER;
    *path = nullptr;
    return Guarded([&] {
        HRESULT hr = ToBstr(store_.DataPath(), path);
        if (FAILED(hr))
            return hr;
        return store_.HasPath() ? S_OK : S_FALSE;
    });
}

HRESULT LogObject::GetEntryCount(long* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return Guarded([&] {
        snapshot_ = store_.ReadAll();
        haveSnapshot_ = true;
        *count = static_cast<long>(snapshot_.size());
        return S_OK;
    });
}

const LogEntry* LogObject::SnapshotEntry(long index) {
    if (!haveSnapshot_) {
        snapshot_ = store_.ReadAll();
        haveSnapshot_ = true;
    }
    if (index < 0 || static_cast<size_t>(index) >= snapshot_.size())
        return nullptr;
    return &snapshot_[static_cast<size_t>(index)];
}

HRESULT LogObject::GetEntry(long index, BSTR* time, BSTR* type, BSTR* category, BSTR* subcategory,
                            BSTR* source) {
    for (BSTR* out : {time, type, category, subcategory, source})
        if (out)
            *out = nullptr;
    return Guarded([&] {
        const LogEntry* entry = SnapshotEntry(index);
        if (!entry)
            return E_INVALIDARG;
        std::pair<BSTR*, std::wstring> fields[] = {{time, FormatTime(entry->time)},
                                                   {type, entry->type},
                                                   {category, entry->category},
                                                   {subcategory, entry->subcategory},
                                                   {source, entry->source}};
        for (auto& [out, value] : fields) {
            if (FAILED(ToBstr(value, out))) {
                for (BSTR* done : {time, type, category, subcategory, source}) {
                    if (done && *done) {
                        ::SysFreeString(*done);
                        *done = nullptr;
                    }
                }
                return E_OUTOFMEMORY;
            }
        }
        return S_OK;
    });
}

HRESULT LogObject::GetEntryText(long index, BSTR* text) {
    if (!text)
        return E_POINTER;
    *text = nullptr;
    return Guarded([&] {
        const LogEntry* entry = SnapshotEntry(index);
        if (!entry)
            return E_INVALIDARG;
        return ToBstr(entry->text, text);
    });
}

HRESULT LogObject::AddEntry(BSTR type, BSTR category, BSTR subcategory, BSTR source, BSTR text) {
    return Guarded([&] {
        return store_.Add(FromBstr(type), FromBstr(category), FromBstr(subcategory), FromBstr(source),
                          FromBstr(text));
    });
}

// Property page.

std::wstring LogObject::PageDataPath() const {
    if (!pageObject_)
        return store_.DataPath();
    BSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(pageObject_->GetDataPath(&path)))
        result = FromBstr(path);
    ::SysFreeString(path);
    return result;
}

void LogObject::ReleasePageObject() {
    if (pageObject_) {
        ILogwrightLog* old = pageObject_;
        pageObject_ = nullptr;
        old->Release();
    }
}

HRESULT LogObject::SetPageSite(IPropertyPageSite* site) {
    if (site && site_)
        return E_UNEXPECTED;
    if (site)
        site->AddRef();
    if (site_)
        site_->Release();
    site_ = site;
    return S_OK;
}

HRESULT LogObject::Activate(HWND parent, LPCRECT rect, BOOL /*modal*/) {
    if (!rect)
        return E_POINTER;
    if (panel_.Created())
        return E_UNEXPECTED;
    return Guarded([&] {
        if (!panel_.Create(parent, *rect, PageDataPath(), texts_)) {
            DWORD error = ::GetLastError();
            return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
        }
        return S_OK;
    });
}

HRESULT LogObject::Deactivate() {
    panel_.Destroy();
    return S_OK;
}

HRESULT LogObject::GetPageInfo(PROPPAGEINFO* info) {
    if (!info)
        return E_POINTER;
    const wchar_t* title = texts_.Get(logwright_viewer::kCaptionText).c_str();
    size_t bytes = (wcslen(title) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!copy)
        return E_OUTOFMEMORY;
    memcpy(copy, title, bytes);
    info->cb = sizeof *info;
    info->pszTitle = copy;
    info->size = SIZE{560, 320};
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT LogObject::SetObjects(ULONG count, IUnknown** objects) {
    if (count > 0 && !objects)
        return E_POINTER;
    return Guarded([&] {
        ReleasePageObject();
        // A page shows one log; other objects than log objects are not for this page.
        for (ULONG i = 0; i < count && !pageObject_; ++i)
            if (objects[i])
                objects[i]->QueryInterface(IID_ILogwrightLog, reinterpret_cast<void**>(&pageObject_));
        if (panel_.Created())
            panel_.Load(PageDataPath());
        return S_OK;
    });
}

HRESULT LogObject::Show(UINT command) {
    if (!panel_.Created())
        return E_UNEXPECTED;
    ::ShowWindow(panel_.Window(), static_cast<int>(command));
    return S_OK;
}

HRESULT LogObject::Move(LPCRECT rect) {
    if (!rect)
        return E_POINTER;
    if (!panel_.Created())
        return E_UNEXPECTED;
    ::MoveWindow(panel_.Window(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                 TRUE);
    return S_OK;
}

// The page only shows the log; there is never anything to apply.
HRESULT LogObject::IsPageDirty() {
    return S_FALSE;
}
HRESULT LogObject::Apply() {
    return S_OK;
}
HRESULT LogObject::Help(LPCOLESTR) {
    return E_NOTIMPL;
}

HRESULT LogObject::TranslateAccelerator(MSG* message) {
    if (!message)
        return E_POINTER;
    if (panel_.Created() && ::IsDialogMessageW(panel_.Window(), message))
        return S_OK;
    return S_FALSE;
}

}  // namespace logwright
