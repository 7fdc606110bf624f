// The activity log component as a COM server: per-user registration, creation by ProgID, the
// interface's operations, its property page, its viewer and the DLL's unloading rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogStore.h"
#include "support/LogwrightTest.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/Text.h"

namespace {

const wchar_t* const kClsidKey = L"Software\\Classes\\CLSID\\{A012166D-C978-4D10-A03F-04C178F9CE57}";
const wchar_t* const kProgIdKey = L"Software\\Classes\\Logwright.Log";

bool KeyExists(const std::wstring& path, HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// A string value; "<none>" when it is missing.
std::wstring RegText(const std::wstring& path, const wchar_t* name = nullptr, HKEY root = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return L"<none>";
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t), type = 0;
    LONG error = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(key);
    return error == ERROR_SUCCESS && type == REG_SZ ? text : L"<none>";
}

std::wstring Text(const win::Bstr& b) {
    return b.get() ? std::wstring(b.get(), ::SysStringLen(b.get())) : L"";
}

win::ComPtr<ILogwrightLog> CreateLog() {
    CLSID clsid{};
    win::ComPtr<ILogwrightLog> log;
    if (SUCCEEDED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid)))
        ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                           IID_ILogwrightLog, log.put_void());
    return log;
}

HRESULT Add(ILogwrightLog* log, const wchar_t* subcategory, const wchar_t* text) {
    win::Bstr type(L"Information"), category(L"Quillmoor"), sub(subcategory), source(L"Quillmoor"),
        body(text);
    return log->AddEntry(type.get(), category.get(), sub.get(), source.get(), body.get());
}

HRESULT SetPath(ILogwrightLog* log, const std::string& path) {
    win::Bstr text(path);
    return log->SetDataPath(text.get());
}

class LogwrightCom : public ::testing::Test {
  protected:
    test::RegistrationLock lock_;
    test::TempFolder dir_;
    win::ComApartment com_;
    test::LogwrightDll dll_{dir_.Path()};
};

// An object that is no property page.
class PlainObject : public IUnknown {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

}  // namespace

TEST_F(LogwrightCom, RegistersPerUserAndRemovesExactlyThat) {
    ASSERT_EQ(dll_.Register(), S_OK);
    std::wstring server = RegText(std::wstring(kClsidKey) + L"\\InprocServer32");
    EXPECT_EQ(::lstrcmpiW(server.c_str(), win::Wide(dll_.Path()).c_str()), 0) << win::Narrow(server.c_str());
    EXPECT_EQ(RegText(std::wstring(kClsidKey) + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(RegText(std::wstring(kClsidKey) + L"\\ProgID"), L"Logwright.Log");
    EXPECT_EQ(RegText(std::wstring(kProgIdKey) + L"\\CLSID"), L"{A012166D-C978-4D10-A03F-04C178F9CE57}");
    CLSID clsid{};
    ASSERT_EQ(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_LogwrightLog));

    // Something another program keeps under the ProgID stays when the component goes.
    HKEY other = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kProgIdKey) + L"\\Other").c_str(), 0,
                                nullptr, 0, KEY_WRITE, nullptr, &other, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(other);

    ASSERT_EQ(dll_.Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_FALSE(KeyExists(std::wstring(kProgIdKey) + L"\\CLSID"));
    EXPECT_TRUE(KeyExists(std::wstring(kProgIdKey) + L"\\Other"));
    EXPECT_EQ(RegText(kProgIdKey), L"<none>") << "the component's own name is removed";
    EXPECT_TRUE(FAILED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid)));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kProgIdKey) + L"\\Other").c_str());
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kProgIdKey);

    EXPECT_FALSE(KeyExists(kClsidKey, HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(KeyExists(std::wstring(kProgIdKey) + L"\\CLSID", HKEY_LOCAL_MACHINE));

    // Unregistering what is not there is no failure.
    EXPECT_EQ(dll_.Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(kProgIdKey));
}

TEST_F(LogwrightCom, CopiesTheRegistrationWhereWineLooksAndRemovesOnlyItsCopy) {
    ASSERT_EQ(dll_.Register(), S_OK);
    // COM on Wine reads only the machine's classes, so a marked copy of the user's entries is there.
    std::wstring server = RegText(std::wstring(kClsidKey) + L"\\InprocServer32", nullptr, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(::lstrcmpiW(server.c_str(), win::Wide(dll_.Path()).c_str()), 0);
    EXPECT_EQ(RegText(kClsidKey, L"LogwrightUserCopy", HKEY_LOCAL_MACHINE), L"1");
    EXPECT_EQ(RegText(std::wstring(kProgIdKey) + L"\\CLSID", nullptr, HKEY_LOCAL_MACHINE),
              L"{A012166D-C978-4D10-A03F-04C178F9CE57}");

    // Without the mark the machine entries are someone else's (an installer's) and stay.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClsidKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ::RegDeleteValueW(key, L"LogwrightUserCopy");
    ::RegCloseKey(key);
    ASSERT_EQ(dll_.Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_TRUE(KeyExists(std::wstring(kClsidKey) + L"\\InprocServer32", HKEY_LOCAL_MACHINE));

    // Put the mark back, so that unregistering cleans the machine's classes up again.
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kClsidKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const wchar_t one[] = L"1";
    ::RegSetValueExW(key, L"LogwrightUserCopy", 0, REG_SZ, reinterpret_cast<const BYTE*>(one), sizeof one);
    ::RegCloseKey(key);
    EXPECT_EQ(dll_.Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(kClsidKey, HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(KeyExists(kProgIdKey, HKEY_LOCAL_MACHINE));
}

TEST_F(LogwrightCom, ACopyInAnotherFolderLeavesTheRegisteredOneAlone) {
    ASSERT_EQ(dll_.Register(), S_OK);
    test::TempFolder otherFolder;
    test::LogwrightDll other(otherFolder.Path());
    const std::wstring server = std::wstring(kClsidKey) + L"\\InprocServer32";
    auto entries = [&] {
        std::vector<std::wstring> texts;
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            for (const std::wstring& key :
                 {std::wstring(kClsidKey), server, std::wstring(kProgIdKey) + L"\\CLSID"})
                texts.push_back(RegText(key, nullptr, root));
        return texts;
    };
    const std::vector<std::wstring> first = entries();
    ASSERT_EQ(::lstrcmpiW(first[4].c_str(), win::Wide(dll_.Path()).c_str()), 0);

    // COM on Wine finds the machine's registration, which names the first copy and stays: the
    // second copy's registration could not take effect, so it fails and puts the user's back.
    EXPECT_TRUE(FAILED(other.Register()));
    EXPECT_EQ(entries(), first);
    EXPECT_EQ(other.Unregister(), S_OK);
    EXPECT_EQ(entries(), first) << "nothing naming the first copy is removed by the second";

    // Once the first copy is gone, the second registers.
    ASSERT_EQ(dll_.Unregister(), S_OK);
    ASSERT_EQ(other.Register(), S_OK);
    EXPECT_EQ(
        ::lstrcmpiW(RegText(server, nullptr, HKEY_LOCAL_MACHINE).c_str(), win::Wide(other.Path()).c_str()),
        0);
}

TEST_F(LogwrightCom, KeepsEntriesUnderTheDataPath) {
    ASSERT_EQ(dll_.Register(), S_OK);
    win::ComPtr<ILogwrightLog> log = CreateLog();
    ASSERT_TRUE(log);

    win::Bstr path;
    EXPECT_EQ(log->GetDataPath(path.put()), S_FALSE);
    EXPECT_EQ(Text(path), L"");
    EXPECT_TRUE(FAILED(Add(log.get(), L"Backup", L"no path yet")));
    EXPECT_EQ(log->SetDataPath(nullptr), E_INVALIDARG);

    std::string data = dir_ / "Prog\\Log\\Data";
    ASSERT_EQ(SetPath(log.get(), data), S_OK);
    EXPECT_EQ(log->GetDataPath(path.put()), S_OK);
    EXPECT_EQ(Text(path), win::Wide(data));
    ASSERT_EQ(Add(log.get(), L"Backup", L"Files backed up:\r\n\r\na\r\n\r\n"), S_OK);
    ASSERT_EQ(Add(log.get(), L"Cleaning", L"Files deleted permanently:\r\n\r\n"), S_OK);

    long count = 0;
    ASSERT_EQ(log->GetEntryCount(&count), S_OK);
    EXPECT_EQ(count, 2);
    win::Bstr time, type, category, subcategory, source, text;
    ASSERT_EQ(log->GetEntry(0, time.put(), type.put(), category.put(), subcategory.put(), source.put()),
              S_OK);
    EXPECT_EQ(Text(subcategory), L"Cleaning");
    EXPECT_EQ(Text(type), L"Information");
    EXPECT_EQ(Text(category), L"Quillmoor");
    EXPECT_EQ(Text(source), L"Quillmoor");
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    EXPECT_EQ(Text(time).size(), 19u);
    EXPECT_EQ(Text(time).substr(0, 4), std::to_wstring(now.wYear));
    ASSERT_EQ(log->GetEntryText(1, text.put()), S_OK);
    EXPECT_EQ(Text(text), L"Files backed up:\r\n\r\na\r\n\r\n");
    EXPECT_EQ(log->GetEntry(1, nullptr, nullptr, nullptr, subcategory.put(), nullptr), S_OK);
    EXPECT_EQ(Text(subcategory), L"Backup");
    EXPECT_EQ(log->GetEntry(2, time.put(), nullptr, nullptr, nullptr, nullptr), E_INVALIDARG);
    EXPECT_EQ(time.get(), nullptr);
    EXPECT_EQ(log->GetEntryText(-1, text.put()), E_INVALIDARG);

    // What the component stored is on disk under the data path, for any other reader.
    std::vector<logwright::LogEntry> stored = logwright::LogStore(win::Wide(data)).ReadAll();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].subcategory, L"Cleaning");
    win::ComPtr<ILogwrightLog> second = CreateLog();
    ASSERT_EQ(SetPath(second.get(), data), S_OK);
    EXPECT_EQ(second->GetEntryCount(&count), S_OK);
    EXPECT_EQ(count, 2);
}

TEST_F(LogwrightCom, UnloadsOnlyWhenNothingIsHeld) {
    ASSERT_EQ(dll_.Register(), S_OK);
    void* out = nullptr;
    EXPECT_EQ(dll_.GetClassObject(IID_ILogwrightLog, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    win::ComPtr<IClassFactory> factory;
    ASSERT_EQ(dll_.GetClassObject(CLSID_LogwrightLog, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE);
    PlainObject outer;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    ASSERT_EQ(factory->LockServer(TRUE), S_OK);
    factory.reset();
    EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE) << "a server lock keeps the DLL";
    ASSERT_EQ(::CoGetClassObject(CLSID_LogwrightLog, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                 factory.put_void()),
              S_OK);
    factory->LockServer(FALSE);
    factory.reset();

    win::ComPtr<ILogwrightLog> log = CreateLog();
    ASSERT_TRUE(log);
    EXPECT_EQ(dll_.CanUnloadNow(), S_FALSE) << "a live object keeps the DLL";
    log.reset();
    EXPECT_EQ(dll_.CanUnloadNow(), S_OK);
}

TEST_F(LogwrightCom, IsAlsoAPropertyPageOfTheLog) {
    ASSERT_EQ(dll_.Register(), S_OK);
    win::ComPtr<ILogwrightLog> log = CreateLog();
    ASSERT_TRUE(log);
    win::ComPtr<IPropertyPage> page = log.As<IPropertyPage>(IID_IPropertyPage);
    ASSERT_TRUE(page);
    // One object: both interfaces lead to the same identity.
    win::ComPtr<IUnknown> fromLog = log.As<IUnknown>(IID_IUnknown),
                          fromPage = page.As<IUnknown>(IID_IUnknown);
    EXPECT_EQ(fromLog.get(), fromPage.get());
    EXPECT_TRUE(page.As<ILogwrightLog>(IID_ILogwrightLog));

    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Activity Log");
    EXPECT_GT(info.size.cx, 0);
    ::CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED) << "not active yet";

    // The page shows the log of the object it is given, here another instance with its own path.
    win::ComPtr<ILogwrightLog> other = CreateLog();
    ASSERT_EQ(SetPath(other.get(), dir_ / "other"), S_OK);
    ASSERT_EQ(Add(other.get(), L"Restore", L"restored"), S_OK);
    HWND parent =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    IUnknown* objects[] = {other.get()};
    ASSERT_EQ(page->SetObjects(1, objects), S_OK);
    RECT rect{0, 0, 500, 300};
    ASSERT_EQ(page->Activate(parent, &rect, FALSE), S_OK);
    EXPECT_EQ(page->Activate(parent, &rect, FALSE), E_UNEXPECTED);
    HWND list = test::FindDescendant(parent, logwright_viewer::kListId);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(test::ListCount(list), 1);
    EXPECT_EQ(test::ListCell(list, 0, 2), L"Restore");
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_EQ(test::FindDescendant(parent, logwright_viewer::kListId), nullptr);
    EXPECT_EQ(page->SetObjects(0, nullptr), S_OK);

    // The caller's words: the page's title follows them, an item that does not exist is refused, and
    // an empty text goes back to the component's own.
    win::ComPtr<ILogwrightViewerTexts> texts = log.As<ILogwrightViewerTexts>(IID_ILogwrightViewerTexts);
    ASSERT_TRUE(texts);
    win::Bstr german(L"Aktivit\u00E4tsprotokoll"), empty(L"");
    EXPECT_EQ(texts->SetViewerText(logwright_viewer::kCaptionText, german.get()), S_OK);
    EXPECT_EQ(texts->SetViewerText(logwright_viewer::kViewerTextCount, german.get()), E_INVALIDARG);
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Aktivit\u00E4tsprotokoll");
    ::CoTaskMemFree(info.pszTitle);
    EXPECT_EQ(texts->SetViewerText(logwright_viewer::kCaptionText, empty.get()), S_OK);
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_STREQ(info.pszTitle, L"Activity Log");
    ::CoTaskMemFree(info.pszTitle);
    ::DestroyWindow(parent);
}

TEST_F(LogwrightCom, ShowViewerListsTheEntriesWithOrWithoutAViewerPage) {
    ASSERT_EQ(dll_.Register(), S_OK);
    std::string data = dir_ / "Log\\Data";
    {
        win::ComPtr<ILogwrightLog> log = CreateLog();
        ASSERT_TRUE(log);
        ASSERT_EQ(SetPath(log.get(), data), S_OK);
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(Add(log.get(), L"Cleaning", (L"text " + std::to_wstring(i)).c_str()), S_OK);
    }
    PlainObject plain;
    enum Viewer { kOwnPage, kNull, kNotAPage };
    for (Viewer kind : {kOwnPage, kNull, kNotAPage}) {
        SCOPED_TRACE(kind);
        // As the program does: each thread that uses the component makes its own instance.
        test::ViewerThread viewer([&]() -> HRESULT {
            win::ComApartment com;
            win::ComPtr<ILogwrightLog> log = CreateLog();
            if (!log)
                return E_NOINTERFACE;
            SetPath(log.get(), data);
            win::ComPtr<IUnknown> page = log.As<IUnknown>(IID_IPropertyPage);
            IUnknown* given = kind == kOwnPage ? page.get() : kind == kNull ? nullptr : &plain;
            return log->ShowViewer(0, given);
        });
        HWND frame = viewer.Frame();
        ASSERT_NE(frame, nullptr);
        HWND list = test::FindDescendant(frame, logwright_viewer::kListId);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(test::ListCount(list), 3);
        test::SelectRow(list, 2);
        EXPECT_EQ(test::WindowText(test::FindDescendant(frame, logwright_viewer::kTextId)), L"text 0");
        viewer.Close();
        EXPECT_EQ(viewer.Result(), S_OK);
    }
}
