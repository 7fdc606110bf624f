#include "LogViewer.h"

#include <Logwright.h>

#include "DialogTemplate.h"
#include "LogPanel.h"

namespace logwright {

namespace {

constexpr int kMargin = 8;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kMinWidth = 360;
constexpr int kMinHeight = 240;

// The frame's side of the page conversation; the frame has nothing to offer beyond the basics.
class PageSite : public IPropertyPageSite {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IPropertyPageSite) {
            *out = static_cast<IPropertyPageSite*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The site lives on the frame's stack and outlasts every page's hold on it (SetPageSite(null)
    // comes before the frame returns), so counting is only kept for form.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* locale) override {
        if (!locale)
            return E_POINTER;
        *locale = ::GetUserDefaultLCID();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

  private:
    ULONG refs_ = 1;
};

class ViewerFrame {
  public:
    ViewerFrame(const std::wstring& dataPath, IPropertyPage* page, IUnknown* pageObject,
                const ViewerTexts& texts)
        : dataPath_(dataPath), page_(page), pageObject_(pageObject), texts_(texts) {}

    HRESULT Run(HWND owner) {
        std::vector<WORD> tmpl = MakeDialogTemplate(
            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CLIPCHILDREN |
                DS_MODALFRAME | DS_CENTER,
            WS_EX_CONTROLPARENT, 420, 260, texts_.Get(logwright_viewer::kCaptionText).c_str());
        INT_PTR result =
            ::DialogBoxIndirectParamW(ThisModule(), reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()), owner,
                                      Proc, reinterpret_cast<LPARAM>(this));
        if (result == -1) {
            DWORD error = ::GetLastError();
            return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
        }
        return S_OK;
    }

  private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ViewerFrame*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
        try {
            switch (message) {
                case WM_INITDIALOG:
                    self = reinterpret_cast<ViewerFrame*>(lParam);
                    ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
                    self->hwnd_ = hwnd;
                    return self->OnInit();
                case WM_SIZE:
                    if (self)
                        self->Layout();
                    return TRUE;
                case WM_GETMINMAXINFO:
                    reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
                    return TRUE;
                case WM_COMMAND:
                    if (self && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK)) {
                        self->Teardown();
                        ::EndDialog(hwnd, IDCANCEL);
                        return TRUE;
                    }
                    break;
                case WM_DESTROY:
                    if (self)
                        self->Teardown();
                    break;
                default:
                    break;
            }
        } catch (...) {
            // Nothing may escape into the window system.
        }
        return FALSE;
    }

    RECT PageRect() const {
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        RECT r{kMargin, kMargin, client.right - kMargin, client.bottom - 2 * kMargin - kButtonHeight};
        if (r.right < r.left)
            r.right = r.left;
        if (r.bottom < r.top)
            r.bottom = r.top;
        return r;
    }

    INT_PTR OnInit() {
        HFONT font = reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0));
        close_ =
            ::CreateWindowExW(0, L"BUTTON", texts_.Get(logwright_viewer::kCloseButton).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, kButtonWidth,
                              kButtonHeight, hwnd_, reinterpret_cast<HMENU>(IDCANCEL), ThisModule(), nullptr);
        ::SendMessageW(close_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

        RECT rect = PageRect();
        if (page_ && !ActivatePage(rect))
            page_ = nullptr;
        if (!page_) {
            panel_.Create(hwnd_, rect, dataPath_, texts_);
            ::ShowWindow(panel_.Window(), SW_SHOW);
        }
        Layout();
        if (panel_.Created()) {
            ::SetFocus(::GetDlgItem(panel_.Window(), logwright_viewer::kListId));
            return FALSE;
        }
        return TRUE;
    }

    bool ActivatePage(const RECT& rect) {
        if (FAILED(page_->SetPageSite(&site_)))
            return false;
        if (pageObject_)
            page_->SetObjects(1, &pageObject_);
        if (FAILED(page_->Activate(hwnd_, &rect, TRUE))) {
            if (pageObject_)
                page_->SetObjects(0, nullptr);
            page_->SetPageSite(nullptr);
            return false;
        }
        page_->Show(SW_SHOW);
        pageActive_ = true;
        return true;
    }

    void Layout() {
        RECT client{};
        ::GetClientRect(hwnd_, &client);
        ::MoveWindow(close_, client.right - kMargin - kButtonWidth, client.bottom - kMargin - kButtonHeight,
                     kButtonWidth, kButtonHeight, TRUE);
        RECT r = PageRect();
        if (pageActive_) {
            page_->Move(&r);
        } else if (panel_.Created()) {
            ::MoveWindow(panel_.Window(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        }
    }

    void Teardown() {
        if (pageActive_) {
            pageActive_ = false;
            page_->Show(SW_HIDE);
            page_->Deactivate();
            if (pageObject_)
                page_->SetObjects(0, nullptr);
            page_->SetPageSite(nullptr);
        }
        panel_.Destroy();
    }

    std::wstring dataPath_;
    IPropertyPage* page_;
    IUnknown* pageObject_;
    const ViewerTexts& texts_;
    PageSite site_;
    LogPanel panel_;
    HWND hwnd_ = nullptr;
    HWND close_ = nullptr;
    bool pageActive_ = false;
};

}  // namespace

HRESULT ShowLogViewer(HWND owner, const std::wstring& dataPath, IPropertyPage* page, IUnknown* pageObject,
                      const ViewerTexts& texts) {
    if (owner && !::IsWindow(owner))
        owner = nullptr;
    ViewerFrame frame(dataPath, page, pageObject, texts);
    return frame.Run(owner);
}

}  // namespace logwright
