#pragma once
// Shared by the tests of the activity log component: a registered copy of the built DLL, and a
// probe that finds and drives the component's viewer window from another thread.

#include <windows.h>
#include <commctrl.h>

#include <Logwright.h>
#include <LogwrightBuildPaths.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

namespace test {

// Serialises the tests that register the component, should ctest run test programs side by side:
// they all use the one class id in the prefix's registry.
class RegistrationLock {
  public:
    RegistrationLock() : mutex_(::CreateMutexA(nullptr, FALSE, "Local\\QuillmoorLogwrightRegistrationTest")) {
        if (mutex_)
            ::WaitForSingleObject(mutex_, INFINITE);
    }
    ~RegistrationLock() {
        if (mutex_) {
            ::ReleaseMutex(mutex_);
            ::CloseHandle(mutex_);
        }
    }
    RegistrationLock(const RegistrationLock&) = delete;
    RegistrationLock& operator=(const RegistrationLock&) = delete;

  private:
    HANDLE mutex_;
};

// A copy of the built Logwright.dll (or of 'source') in 'folder', loaded; Register() adds its
// per-user registration and the destructor removes it again (and unloads the copy).
class LogwrightDll {
  public:
    explicit LogwrightDll(const std::string& folder, const std::string& source = LOGWRIGHT_DLL_BUILD_PATH)
        : path_(folder + "\\Logwright.dll") {
        if (!::CopyFileA(source.c_str(), path_.c_str(), FALSE))
            throw std::runtime_error("cannot copy " + source);
        module_ = ::LoadLibraryA(path_.c_str());
        if (!module_)
            throw std::runtime_error("cannot load " + path_);
        register_ = Export<HRESULT(WINAPI*)()>("DllRegisterServer");
        unregister_ = Export<HRESULT(WINAPI*)()>("DllUnregisterServer");
        canUnload_ = Export<HRESULT(WINAPI*)()>("DllCanUnloadNow");
        getClassObject_ = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    }
    ~LogwrightDll() {
        if (registered_)
            unregister_();
        ::FreeLibrary(module_);
    }
    LogwrightDll(const LogwrightDll&) = delete;
    LogwrightDll& operator=(const LogwrightDll&) = delete;

    HRESULT Register() {
        HRESULT hr = register_();
        registered_ = SUCCEEDED(hr);
        return hr;
    }
    HRESULT Unregister() {
        registered_ = false;
        return unregister_();
    }
    HRESULT CanUnloadNow() const { return canUnload_(); }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
        return getClassObject_(clsid, iid, out);
    }
    const std::string& Path() const { return path_; }

  private:
    template <typename F>
    F Export(const char* name) {
        auto f = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
        if (!f)
            throw std::runtime_error(std::string("missing export ") + name);
        return f;
    }

    std::string path_;
    HMODULE module_ = nullptr;
    bool registered_ = false;
    HRESULT(WINAPI* register_)() = nullptr;
    HRESULT(WINAPI* unregister_)() = nullptr;
    HRESULT(WINAPI* canUnload_)() = nullptr;
    HRESULT(WINAPI* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
};

inline BOOL CALLBACK MatchViewer(HWND hwnd, LPARAM result) {
    wchar_t caption[64] = {};
    ::GetWindowTextW(hwnd, caption, 64);
    if (::IsWindowVisible(hwnd) && wcscmp(caption, logwright_viewer::kCaption) == 0) {
        *reinterpret_cast<HWND*>(result) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The viewer's top-level window made by the given thread, waiting up to about ten seconds.
inline HWND FindViewer(DWORD threadId) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        HWND found = nullptr;
        ::EnumThreadWindows(threadId, MatchViewer, reinterpret_cast<LPARAM>(&found));
        if (found)
            return found;
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
    explicit ViewerThread(std::function<HRESULT()> body)
        : thread_([this, body] {
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
    HWND Frame() const { return FindViewer(id_); }
    // Presses Close (as Esc or the Close button do) and waits for the body to return.
    void Close() {
        if (HWND frame = FindViewer(id_))
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
    std::atomic<DWORD> id_{0};
    std::atomic<HRESULT> result_{E_PENDING};
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace test
