// The activity log's viewer window: the list of entries, the selected entry's text, closing and
// resizing, and hosting a property page in its frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LogStore.h"
#include "LogViewer.h"
#include "support/LogwrightTest.h"
#include "support/TestFiles.h"
#include "win/Text.h"

using logwright::LogEntry;
using logwright::LogStore;
namespace ids = logwright_viewer;

namespace {

// Entry i of the big log: one second apart from midnight, so its time shows which one it is.
LogEntry Numbered(int i) {
    LogEntry e;
    e.time.wYear = 2025;
    e.time.wMonth = 1;
    e.time.wDay = 31;
    e.time.wHour = static_cast<WORD>(i / 3600);
    e.time.wMinute = static_cast<WORD>(i / 60 % 60);
    e.time.wSecond = static_cast<WORD>(i % 60);
    e.type = L"Information";
    e.category = L"Quillmoor";
    e.subcategory = L"Sub " + std::to_wstring(i);
    e.source = L"Source " + std::to_wstring(i % 7);
    e.text =
        L"Entry " + std::to_wstring(i) + L"\r\n\r\nC:\\Temp\\file" + std::to_wstring(i) + L".tmp\r\n\r\n";
    return e;
}

std::wstring HeaderText(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    wchar_t text[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    ::SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return text;
}

RECT ClientRectOf(HWND hwnd) {
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return r;
}

// A window's rectangle in its top-level window's client coordinates.
RECT RectIn(HWND frame, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The component's own English words, with the times in the United States' forms.
logwright::ViewerTexts InUnitedStatesForms() {
    logwright::ViewerTexts texts;
    texts.Set(ids::kLocaleName, L"en-US");
    return texts;
}

}  // namespace

TEST(LogViewer, ListsTenThousandEntriesNewestFirstAndShowsTheSelectedText) {
    test::TempFolder dir;
    std::wstring data = win::Wide(dir / "Log\\Data");
    std::vector<LogEntry> entries;
    for (int i = 0; i < 10000; ++i)
        entries.push_back(Numbered(i));
    entries[1234].text = L"lone\nline feeds\nhere";
    ASSERT_EQ(LogStore(data).Append(entries), S_OK);

    test::ViewerThread viewer(
        [&] { return logwright::ShowLogViewer(nullptr, data, nullptr, nullptr, InUnitedStatesForms()); });
    HWND frame = viewer.Frame();
    ASSERT_NE(frame, nullptr);
    HWND list = test::FindDescendant(frame, ids::kListId);
    HWND text = test::FindDescendant(frame, ids::kTextId);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(text, nullptr);

    EXPECT_EQ(test::ListCount(list), 10000);
    for (auto [column, title] :
         {std::pair{0, L"Time"}, {1, L"Category"}, {2, L"Subcategory"}, {3, L"Source"}})
        EXPECT_EQ(HeaderText(list, column), title);
    EXPECT_EQ(test::ListCell(list, 0, 0), L"1/31/2025 2:46:39 AM");
    EXPECT_EQ(test::ListCell(list, 0, 1), L"Quillmoor");
    EXPECT_EQ(test::ListCell(list, 0, 2), L"Sub 9999");
    EXPECT_EQ(test::ListCell(list, 0, 3), L"Source 3");
    EXPECT_EQ(test::ListCell(list, 9999, 0), L"1/31/2025 12:00:00 AM");
    EXPECT_EQ(test::ListCell(list, 9999, 2), L"Sub 0");

    // The newest entry is selected at first; selecting another row shows its text.
    EXPECT_EQ(test::SelectedRow(list), 0);
    EXPECT_EQ(test::WindowText(text), Numbered(9999).text);
    test::SelectRow(list, 4321);
    EXPECT_EQ(test::SelectedRow(list), 4321);
    EXPECT_EQ(test::ListCell(list, 4321, 2), L"Sub 5678");
    EXPECT_EQ(test::WindowText(text), Numbered(5678).text);
    // Line feeds alone are shown as line breaks.
    test::SelectRow(list, 9999 - 1234);
    EXPECT_EQ(test::WindowText(text), L"lone\r\nline feeds\r\nhere");
    EXPECT_NE(::GetWindowLongW(text, GWL_STYLE) & ES_READONLY, 0);

    viewer.Close();
    EXPECT_TRUE(viewer.Done());
    EXPECT_EQ(viewer.Result(), S_OK);
    EXPECT_FALSE(::IsWindow(frame));
}

// The caller's words replace every English one, and the times follow the caller's locale: a German
// reader sees the day first and a 24-hour clock.
TEST(LogViewer, SpeaksTheWordsAndTimesTheCallerGives) {
    test::TempFolder dir;
    std::wstring data = win::Wide(dir / "Log\\Data");
    ASSERT_EQ(LogStore(data).Append({Numbered(50000)}), S_OK);
    logwright::ViewerTexts texts;
    const std::pair<long, const wchar_t*> words[] = {{ids::kCaptionText, L"Aktivit\u00E4tsprotokoll"},
                                                     {ids::kTimeColumn, L"Zeit"},
                                                     {ids::kCategoryColumn, L"Kategorie"},
                                                     {ids::kSubcategoryColumn, L"Unterkategorie"},
                                                     {ids::kSourceColumn, L"Quelle"},
                                                     {ids::kCloseButton, L"Schlie\u00DFen"},
                                                     {ids::kLocaleName, L"de-DE"}};
    for (const auto& [item, text] : words)
        EXPECT_TRUE(texts.Set(item, text));
    EXPECT_FALSE(texts.Set(ids::kViewerTextCount, L"x"));
    EXPECT_FALSE(texts.Set(-1, L"x"));

    test::ViewerThread viewer(
        [&] { return logwright::ShowLogViewer(nullptr, data, nullptr, nullptr, texts); },
        L"Aktivit\u00E4tsprotokoll");
    HWND frame = viewer.Frame();
    ASSERT_NE(frame, nullptr);
    HWND list = test::FindDescendant(frame, ids::kListId);
    ASSERT_NE(list, nullptr);
    for (auto [column, title] :
         {std::pair{0, L"Zeit"}, {1, L"Kategorie"}, {2, L"Unterkategorie"}, {3, L"Quelle"}})
        EXPECT_EQ(HeaderText(list, column), title);
    EXPECT_EQ(test::WindowText(::GetDlgItem(frame, IDCANCEL)), L"Schlie\u00DFen");
    // 50,000 seconds after midnight: 13:53:20, on the last day of January.
    const std::wstring time = test::ListCell(list, 0, 0);
    EXPECT_TRUE(time == L"31.01.2025 13:53:20" || time == L"31.1.2025 13:53:20") << win::Narrow(time);
    viewer.Close();
    EXPECT_TRUE(viewer.Done());
}

TEST(LogViewer, GrowsWithItsWindowAndClosesOnEscape) {
    test::TempFolder dir;
    std::wstring data = win::Wide(dir.Path());
    ASSERT_EQ(LogStore(data).Append({Numbered(1), Numbered(2)}), S_OK);

    test::ViewerThread viewer(
        [&] { return logwright::ShowLogViewer(nullptr, data, nullptr, nullptr, InUnitedStatesForms()); });
    HWND frame = viewer.Frame();
    ASSERT_NE(frame, nullptr);
    HWND list = test::FindDescendant(frame, ids::kListId);
    HWND close = ::GetDlgItem(frame, IDCANCEL);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(test::WindowText(close), L"Close");

    RECT listBefore = RectIn(frame, list), client = ClientRectOf(frame), closeBefore = RectIn(frame, close);
    RECT window{};
    ::GetWindowRect(frame, &window);
    ::SetWindowPos(frame, nullptr, 0, 0, window.right - window.left + 200, window.bottom - window.top + 100,
                   SWP_NOMOVE | SWP_NOZORDER);
    RECT listAfter = RectIn(frame, list), clientAfter = ClientRectOf(frame),
         closeAfter = RectIn(frame, close);
    EXPECT_EQ(listAfter.right - listAfter.left, listBefore.right - listBefore.left + 200);
    EXPECT_GT(listAfter.bottom - listAfter.top, listBefore.bottom - listBefore.top);
    // The Close button keeps its distance from the lower right corner.
    EXPECT_EQ(clientAfter.right - closeAfter.right, client.right - closeBefore.right);
    EXPECT_EQ(clientAfter.bottom - closeAfter.bottom, client.bottom - closeBefore.bottom);

    ::PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(viewer.WaitDone());
    EXPECT_EQ(viewer.Result(), S_OK);
}

TEST(LogViewer, ShowsAnEmptyListForAMissingLog) {
    test::TempFolder dir;
    for (std::wstring data : {win::Wide(dir / "nothing\\here"), std::wstring()}) {
        test::ViewerThread viewer(
            [&] { return logwright::ShowLogViewer(nullptr, data, nullptr, nullptr, InUnitedStatesForms()); });
        HWND frame = viewer.Frame();
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(test::ListCount(test::FindDescendant(frame, ids::kListId)), 0);
        EXPECT_EQ(test::WindowText(test::FindDescendant(frame, ids::kTextId)), L"");
        viewer.Close();
        EXPECT_EQ(viewer.Result(), S_OK);
    }
    EXPECT_FALSE(test::Exists(dir / "nothing"));
}

namespace {

// A property page that records what its frame asks of it and shows one static control.
class RecordingPage : public IPropertyPage {
  public:
    static constexpr int kControlId = 4242;
    explicit RecordingPage(bool activates) : activates_(activates) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IPropertyPage) {
            *out = static_cast<IPropertyPage*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override {
        calls.push_back(site ? "SetPageSite" : "SetPageSite(null)");
        if (site) {
            LCID locale = 0;
            siteAnswers = SUCCEEDED(site->GetLocaleID(&locale));
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override {
        calls.push_back("Activate");
        activatedIn = parent;
        modalFlag = modal;
        if (!activates_)
            return E_FAIL;
        control = ::CreateWindowExW(0, L"STATIC", L"page", WS_CHILD, rect->left, rect->top,
                                    rect->right - rect->left, rect->bottom - rect->top, parent,
                                    reinterpret_cast<HMENU>(kControlId), nullptr, nullptr);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Deactivate() override {
        calls.push_back("Deactivate");
        ::DestroyWindow(control);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override {
        calls.push_back("SetObjects(" + std::to_string(count) + ")");
        if (count == 1)
            boundObject = objects[0];
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Show(UINT command) override {
        calls.push_back(command == SW_HIDE ? "Hide" : "Show");
        ::ShowWindow(control, static_cast<int>(command));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override {
        lastMove = *rect;
        ::MoveWindow(control, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                     TRUE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Apply() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }

    ULONG refs = 1;
    std::vector<std::string> calls;
    HWND activatedIn = nullptr;
    HWND control = nullptr;
    BOOL modalFlag = FALSE;
    bool siteAnswers = false;
    IUnknown* boundObject = nullptr;
    RECT lastMove{};

  private:
    bool activates_;
};

}  // namespace

TEST(LogViewer, HostsAGivenPropertyPageInItsFrame) {
    test::TempFolder dir;
    RecordingPage page(true);
    RecordingPage object(true);  // stands for the log object the page is to show
    test::ViewerThread viewer(
        [&] { return logwright::ShowLogViewer(nullptr, L"", &page, &object, logwright::ViewerTexts()); });
    HWND frame = viewer.Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(page.activatedIn, frame);
    EXPECT_TRUE(page.modalFlag);
    EXPECT_TRUE(page.siteAnswers);
    EXPECT_EQ(page.boundObject, &object);
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(frame, RecordingPage::kControlId)));
    EXPECT_EQ(test::FindDescendant(frame, ids::kListId), nullptr)
        << "the own panel is not shown beside a page";

    RECT window{};
    ::GetWindowRect(frame, &window);
    ::SetWindowPos(frame, nullptr, 0, 0, window.right - window.left + 50, window.bottom - window.top,
                   SWP_NOMOVE | SWP_NOZORDER);
    RECT client = ClientRectOf(frame);
    EXPECT_GT(page.lastMove.right, page.lastMove.left);
    EXPECT_LT(page.lastMove.right, client.right);
    EXPECT_EQ(client.right - page.lastMove.right, page.lastMove.left) << "equal margins left and right";

    viewer.Close();
    EXPECT_EQ(viewer.Result(), S_OK);
    EXPECT_EQ(page.calls,
              (std::vector<std::string>{"SetPageSite", "SetObjects(1)", "Activate", "Show", "Hide",
                                        "Deactivate", "SetObjects(0)", "SetPageSite(null)"}));
    EXPECT_EQ(page.refs, 1u);
    EXPECT_EQ(object.refs, 1u);
}

TEST(LogViewer, ShowsItsOwnPanelWhenThePageCannotActivate) {
    test::TempFolder dir;
    std::wstring data = win::Wide(dir.Path());
    ASSERT_EQ(LogStore(data).Append({Numbered(7)}), S_OK);
    RecordingPage page(false);
    test::ViewerThread viewer(
        [&] { return logwright::ShowLogViewer(nullptr, data, &page, nullptr, logwright::ViewerTexts()); });
    HWND frame = viewer.Frame();
    ASSERT_NE(frame, nullptr);
    HWND list = test::FindDescendant(frame, ids::kListId);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(test::ListCell(list, 0, 2), L"Sub 7");
    viewer.Close();
    EXPECT_EQ(viewer.Result(), S_OK);
    // The page is left as it was found: its site is taken back.
    EXPECT_EQ(page.calls, (std::vector<std::string>{"SetPageSite", "Activate", "SetPageSite(null)"}));
}
