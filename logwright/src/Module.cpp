// The DLL's entry points: class factory, unloading, and per-user registration.
#include "Module.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <Logwright.h>

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "win/UniqueHandle.h"

#include "LogObject.h"

namespace logwright {

namespace {

volatile LONG g_moduleRefs = 0;
HINSTANCE g_module = nullptr;

// The one class factory, a static object: its references count as module references, so the DLL
// stays loaded while a caller holds it.
class ClassFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        ModuleAddRef();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        ModuleRelease();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) LogObject;
        if (!object)
            return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ModuleAddRef();
        else
            ModuleRelease();
        return S_OK;
    }
};

ClassFactory g_factory;

// Registration lives under the current user's classes, so no administrator is needed.
constexpr const wchar_t* kClassesRoot = L"Software\\Classes\\";
constexpr const wchar_t* kFriendlyName = L"Logwright activity log";

std::wstring ClsidText() {
    wchar_t text[64] = {};
    ::StringFromGUID2(CLSID_LogwrightLog, text, 64);
    return text;
}

std::wstring ClsidKey() {
    return L"CLSID\\" + ClsidText();
}

struct RegValue {
    std::wstring key;     // below Software\Classes
    const wchar_t* name;  // null for the default value
    std::wstring data;
};

// Everything registration writes, parents before children.
std::vector<RegValue> RegistrationValues(const std::wstring& modulePath) {
    std::wstring clsidKey = ClsidKey();
    return {
        {clsidKey, nullptr, kFriendlyName},
        {clsidKey + L"\\InprocServer32", nullptr, modulePath},
        {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsidKey + L"\\ProgID", nullptr, LOGWRIGHT_PROGID},
        {LOGWRIGHT_PROGID, nullptr, kFriendlyName},
        {std::wstring(LOGWRIGHT_PROGID) + L"\\CLSID", nullptr, ClsidText()},
    };
}

HRESULT FromWin32(LONG error) {
    return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error);
}

std::wstring ReadText(HKEY root, const std::wstring& path, const wchar_t* name = nullptr) {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t text[2 * MAX_PATH] = {};
    DWORD size = sizeof text - sizeof(wchar_t), type = 0;
    LONG error = ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    return error == ERROR_SUCCESS && type == REG_SZ ? text : std::wstring();
}

HRESULT WriteValues(HKEY root, const std::wstring& prefix, const std::vector<RegValue>& values) {
    for (const RegValue& value : values) {
        win::UniqueRegKey key;
        LONG error = ::RegCreateKeyExW(root, (prefix + value.key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, key.put(), nullptr);
        if (error != ERROR_SUCCESS)
            return FromWin32(error);
        error = ::RegSetValueExW(key.get(), value.name, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.data.c_str()),
                                 static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t)));
        if (error != ERROR_SUCCESS)
            return FromWin32(error);
    }
    return S_OK;
}

// Removes the values registration wrote, then each key that holds nothing else, children first:
// a value or subkey that someone else put there stays, with the keys above it.
HRESULT RemoveValues(HKEY root, const std::wstring& prefix, const std::vector<RegValue>& values) {
    HRESULT result = S_OK;
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        std::wstring path = prefix + it->key;
        win::UniqueRegKey key;
        LONG error = ::RegOpenKeyExW(root, path.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, key.put());
        if (error == ERROR_FILE_NOT_FOUND)
            continue;
        if (error != ERROR_SUCCESS) {
            result = FromWin32(error);
            continue;
        }
        error = ::RegDeleteValueW(key.get(), it->name);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
            result = FromWin32(error);
        DWORD subkeys = 0, valueCount = 0;
        bool empty = ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                        &valueCount, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                     subkeys == 0 && valueCount == 0;
        key.reset();
        if (empty) {
            error = ::RegDeleteKeyW(root, path.c_str());
            if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND)
                result = FromWin32(error);
        }
    }
    return result;
}

// A value as the registry holds it, of any type.
struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

std::optional<RawValue> ReadRawValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG error = ::RegQueryValueExW(key.get(), name, nullptr, &value.type, nullptr, &size);
    if (error == ERROR_SUCCESS) {
        value.data.resize(size);
        error = ::RegQueryValueExW(key.get(), name, nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    if (error != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// What a registration is about to overwrite, so that a registration that does not take effect can
// be taken back and leave the entries as they were.
class SavedValues {
  public:
    SavedValues(HKEY root, const std::wstring& prefix, const std::vector<RegValue>& values)
        : root_(root), prefix_(prefix), values_(values) {
        for (const RegValue& value : values)
            before_.push_back(ReadRawValue(root, prefix + value.key, value.name));
    }

    // Puts back the values that were there and removes the others, with the keys left empty.
    void Restore() const {
        std::vector<RegValue> added;
        for (size_t i = 0; i < values_.size(); ++i)
            if (!before_[i])
                added.push_back(values_[i]);
        RemoveValues(root_, prefix_, added);
        for (size_t i = 0; i < values_.size(); ++i) {
            win::UniqueRegKey key;
            if (!before_[i] || ::RegOpenKeyExW(root_, (prefix_ + values_[i].key).c_str(), 0, KEY_SET_VALUE,
                                               key.put()) != ERROR_SUCCESS)
                continue;
            ::RegSetValueExW(key.get(), values_[i].name, 0, before_[i]->type, before_[i]->data.data(),
                             static_cast<DWORD>(before_[i]->data.size()));
        }
    }

  private:
    HKEY root_;
    std::wstring prefix_;
    std::vector<RegValue> values_;
    std::vector<std::optional<RawValue>> before_;
};

bool SameText(const std::wstring& a, const std::wstring& b) {
    return ::lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// Whether COM's view of the classes leads from the ProgID to this very DLL. Windows merges the
// user's classes into that view; Wine shows only the machine's classes there.
bool ClassesRootFindsModule(const std::wstring& modulePath) {
    return SameText(ReadText(HKEY_CLASSES_ROOT, std::wstring(LOGWRIGHT_PROGID) + L"\\CLSID"), ClsidText()) &&
           SameText(ReadText(HKEY_CLASSES_ROOT, ClsidKey() + L"\\InprocServer32"), modulePath);
}

// The machine copy carries a mark, so unregistering removes only a copy that registration made and
// never a machine-wide registration of the same DLL by an installer.
constexpr const wchar_t* kCopyMark = L"LogwrightUserCopy";

std::vector<RegValue> MachineCopyValues(const std::wstring& modulePath) {
    std::vector<RegValue> values = RegistrationValues(modulePath);
    values.insert(values.begin() + 1, RegValue{ClsidKey(), kCopyMark, L"1"});
    return values;
}

bool MachineCopyIsThisModule(const std::wstring& modulePath) {
    return ReadText(HKEY_LOCAL_MACHINE, kClassesRoot + ClsidKey(), kCopyMark) == L"1" &&
           SameText(ReadText(HKEY_LOCAL_MACHINE, kClassesRoot + ClsidKey() + L"\\InprocServer32"),
                    modulePath);
}

// Whether the machine's classes may take a copy of this DLL's registration: they hold no server
// for the class and no other class for the ProgID, or hold the copy this DLL made. A machine-wide
// registration of another copy (an installer's, or another folder's) is never overwritten.
bool MachineClassesFreeFor(const std::wstring& modulePath) {
    if (MachineCopyIsThisModule(modulePath))
        return true;
    const std::wstring progIdKey = std::wstring(kClassesRoot) + LOGWRIGHT_PROGID + L"\\CLSID";
    return !ReadRawValue(HKEY_LOCAL_MACHINE, kClassesRoot + ClsidKey() + L"\\InprocServer32", nullptr) &&
           (!ReadRawValue(HKEY_LOCAL_MACHINE, progIdKey, nullptr) ||
            SameText(ReadText(HKEY_LOCAL_MACHINE, progIdKey), ClsidText()));
}

// Whether the user's classes register this very DLL, so unregistering it may remove them.
bool UserRegistrationIsThisModule(const std::wstring& modulePath) {
    return SameText(ReadText(HKEY_CURRENT_USER, kClassesRoot + ClsidKey() + L"\\InprocServer32"), modulePath);
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

void ModuleAddRef() {
    ::InterlockedIncrement(&g_moduleRefs);
}
void ModuleRelease() {
    ::InterlockedDecrement(&g_moduleRefs);
}
long ModuleRefCount() {
    return g_moduleRefs;
}

}  // namespace logwright

using namespace logwright;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    // Thread notifications stay on: the statically linked runtime and thread library need them.
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (clsid != CLSID_LogwrightLog)
        return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
    return ModuleRefCount() == 0 ? S_OK : S_FALSE;
}

// Registers for the current user. Where COM does not look at the user's classes (Wine), the same
// entries are copied to the machine's classes as well, so that creation by ProgID works there too.
// A registration that COM would not find afterwards (because the machine's classes name another
// copy) is taken back and reported as failed.
STDAPI DllRegisterServer() {
    try {
        std::wstring path = ModulePath();
        if (path.empty())
            return SELFREG_E_CLASS;
        std::vector<RegValue> values = RegistrationValues(path);
        SavedValues user(HKEY_CURRENT_USER, kClassesRoot, values);
        if (FAILED(WriteValues(HKEY_CURRENT_USER, kClassesRoot, values))) {
            user.Restore();
            return SELFREG_E_CLASS;
        }
        if (ClassesRootFindsModule(path))
            return S_OK;
        if (MachineClassesFreeFor(path)) {
            std::vector<RegValue> copy = MachineCopyValues(path);
            SavedValues machine(HKEY_LOCAL_MACHINE, kClassesRoot, copy);
            if (SUCCEEDED(WriteValues(HKEY_LOCAL_MACHINE, kClassesRoot, copy)) &&
                ClassesRootFindsModule(path))
                return S_OK;
            machine.Restore();
        }
        user.Restore();
        return SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// Removes the user's registration and the machine copy this DLL made, each only while it names
// this DLL: the registration of another copy stays.
STDAPI DllUnregisterServer() {
    try {
        std::wstring path = ModulePath();
        if (path.empty())
            return SELFREG_E_CLASS;
        std::vector<RegValue> values = RegistrationValues(path);
        HRESULT machine = S_OK, user = S_OK;
        if (MachineCopyIsThisModule(path))
            machine = RemoveValues(HKEY_LOCAL_MACHINE, kClassesRoot, MachineCopyValues(path));
        if (UserRegistrationIsThisModule(path))
            user = RemoveValues(HKEY_CURRENT_USER, kClassesRoot, values);
        return SUCCEEDED(machine) && SUCCEEDED(user) ? S_OK : SELFREG_E_CLASS;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
