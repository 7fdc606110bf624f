#pragma once
// A registered copy of the built activity log component for tests that use it, and the lock that
// keeps test programs from registering it at the same time.

#include <windows.h>

#include <LogwrightBuildPaths.h>

#include <stdexcept>
#include <string>

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

// A copy of the built Logwright.dll (or of 'source') in 'folder', loaded; Register() adds its per-user
// registration and the destructor removes it again (and unloads the copy).
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

}  // namespace test
