#pragma once
// Shared by the tests of the activity log component: a registered copy of the built DLL (from
// LogwrightDll.h), and a probe that finds and drives the component's viewer window from another thread.

#include <windows.h>
#include <commctrl.h>

#include <Logwright.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "support/LogwrightDll.h"

namespace test {

struct ViewerSearch {
    const wchar_t* caption;
    HWND found;
};

inline BOOL CALLBACK MatchViewer(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<ViewerSearch*>(context);
    wchar_t caption[64] = {};
    ::GetWindowTextW(hwnd, caption, 64);
    if (::IsWindowVisible(hwnd) && wcscmp(caption, search->caption) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The viewer's top-level window made by the given thread, by its caption, waiting up to about ten
// seconds.
inline HWND FindViewer(DWORD threadId, const wchar_t* caption = logwright_viewer::kCaption) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        ViewerSearch search{caption, nullptr};
        ::EnumThreadWindows(threadId, MatchViewer, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

struct DescendantSearch {
    int id;
    HWND found;
};

inline BOOL CALLBACK MatchDescendant(HWND hwnd, LPARAM context) {
    auto* search = reinterpret_cast<DescendantSearch*>(context);
    if (::GetDlgCtrlID(hwnd) != search->id)
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A control anywhere below 'parent' with the given id.
inline HWND FindDescendant(HWND parent, int id) {
    DescendantSearch search{id, nullptr};
    ::EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline int ListCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

inline std::wstring ListCell(HWND list, int row, int column) {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

inline void SelectRow(HWND list, int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
}

inline int SelectedRow(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

inline std::wstring WindowText(HWND hwnd) {
    int n = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = ::GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

// Runs a body that opens the viewer (and blocks until it closes) on its own thread; the destructor
// closes a viewer left open by a failed check, so no test hangs on it.
class ViewerThread {
  public:
    // caption: the viewer's caption in the language it was given.
    explicit ViewerThread(std::function<HRESULT()> body, std::wstring caption = logwright_viewer::kCaption)
        : caption_(std::move(caption)), thread_([this, body] {
              id_ = ::GetCurrentThreadId();
              result_ = body();
              done_ = true;
          }) {
        while (!id_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ViewerThread() {
        if (!done_)
            Close();
        thread_.join();
    }
    ViewerThread(const ViewerThread&) = delete;
    ViewerThread& operator=(const ViewerThread&) = delete;

    // The viewer window, once it shows (null if it does not within the wait).
    HWND Frame() const { return FindViewer(id_, caption_.c_str()); }
    // Presses Close (as Esc or the Close button do) and waits for the body to return.
    void Close() {
        if (HWND frame = FindViewer(id_, caption_.c_str()))
            ::PostMessageW(frame, WM_COMMAND, IDCANCEL, 0);
        WaitDone();
    }
    bool WaitDone() const {
        for (int attempt = 0; attempt < 1000 && !done_; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return done_;
    }
    bool Done() const { return done_; }
    HRESULT Result() const { return result_; }
    DWORD ThreadId() const { return id_; }

  private:
    const std::wstring caption_;
    std::atomic<DWORD> id_{0};
    std::atomic<HRESULT> result_{E_PENDING};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace test
