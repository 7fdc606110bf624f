// The typed-address cleaner on the real resources and the real registry key of the test prefix
// (saved before and put back after each test): listing, ticking, clearing with the selection kept,
// and what values that are no address, or too long, show.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "support/RegistrySnapshot.h"
#include "support/WindowTest.h"
#include "tools/TypedUrlsDialog.h"

namespace {

class TypedUrlsTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_.Clear(); }
    void TearDown() override {
        if (::IsWindow(window_))
            ::DestroyWindow(window_);
        test::PumpPending();
    }

    void Open() {
        window_ = dialog_.Create(IDD_TYPEDURLS, nullptr);
        ASSERT_TRUE(window_);
        ::ShowWindow(window_, SW_SHOW);
        list_ = dialog_.List();
    }
    void Press(int id) { test::Click(window_, id); }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int row = 0; row < list_.Count(); ++row)
            rows.push_back(list_.Text(row, 0));
        return rows;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int row = 0; row < list_.Count(); ++row)
            names.push_back(dialog_.RowName(row));
        return names;
    }
    int TickedCount() const {
        int ticked = 0;
        for (int row = 0; row < list_.Count(); ++row)
            ticked += list_.IsTicked(row) ? 1 : 0;
        return ticked;
    }
    // The value names in the registry now; empty when the key is missing.
    static std::vector<std::string> StoredNames(bool* keyExists = nullptr) {
        std::vector<std::string> names;
        HKEY key = nullptr;
        const bool exists =
            ::RegOpenKeyExA(HKEY_CURRENT_USER, kTypedUrlsKey, 0, KEY_READ, &key) == ERROR_SUCCESS;
        if (keyExists)
            *keyExists = exists;
        if (!exists)
            return names;
        for (DWORD index = 0;; ++index) {
            char name[1024];
            DWORD length = sizeof(name);
            if (::RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            names.emplace_back(name, length);
        }
        ::RegCloseKey(key);
        return names;
    }

    test::ProgramFolder program_;
    test::RegistrySnapshot saved_{kTypedUrlsKey};
    test::RecordingPrompts prompts_;
    TypedUrlsDialog dialog_;
    HWND window_ = nullptr;
    win::ListView list_;
};

using Texts = std::vector<std::string>;

}  // namespace

TEST_F(TypedUrlsTest, ClearDeletesOnlyTheTickedValuesAndKeepsTheSelectionsPlace) {
    saved_.SetText("url1", "http://a.example/");
    saved_.SetText("url2", "http://same.example/");
    saved_.SetText("url3", "http://same.example/");
    saved_.SetText("url4", "http://d.example/");
    saved_.SetText("url5", "http://e.example/");
    Open();

    EXPECT_EQ(test::WindowText(window_), Translate("_TypedUrlsDialog"));
    char header[64] = {};
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = header;
    column.cchTextMax = sizeof(header);
    ASSERT_TRUE(::SendMessageA(list_.Handle(), LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::string(header), Translate("_TypedUrlsDialogColUrl"));
    EXPECT_EQ(column.cx, 450);
    const DWORD wanted = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    EXPECT_EQ(ListView_GetExtendedListViewStyle(list_.Handle()) & wanted, wanted);

    // Two values with the same address are two rows, each carrying its own name; none is ticked.
    const Texts all{"http://a.example/", "http://same.example/", "http://same.example/", "http://d.example/",
                    "http://e.example/"};
    EXPECT_EQ(Rows(), all);
    EXPECT_EQ(Names(), (Texts{"url1", "url2", "url3", "url4", "url5"}));
    EXPECT_EQ(TickedCount(), 0);

    // Nothing ticked: nothing is deleted, the list is only refilled.
    Press(IDC_TYPEDURLS_CLEAR);
    EXPECT_EQ(Rows(), all);
    EXPECT_EQ(StoredNames().size(), 5u);

    // Ticking one of the twins deletes only that value; the selection keeps its place.
    list_.Select(3);
    list_.SetTicked(2, true);
    Press(IDC_TYPEDURLS_CLEAR);
    EXPECT_EQ(StoredNames(), (Texts{"url1", "url2", "url4", "url5"}));
    EXPECT_EQ(Rows(),
              (Texts{"http://a.example/", "http://same.example/", "http://d.example/", "http://e.example/"}));
    EXPECT_EQ(list_.Selected(), 3);
    EXPECT_EQ(TickedCount(), 0);

    // With the last rows gone the selection moves to the new last row.
    list_.SetTicked(2, true);
    list_.SetTicked(3, true);
    Press(IDC_TYPEDURLS_CLEAR);
    EXPECT_EQ(Names(), (Texts{"url1", "url2"}));
    EXPECT_EQ(list_.Selected(), 1);

    Press(IDC_TYPEDURLS_CHECKALL);
    EXPECT_EQ(TickedCount(), 2);
    Press(IDC_TYPEDURLS_UNCHECKALL);
    EXPECT_EQ(TickedCount(), 0);
    Press(IDC_TYPEDURLS_CHECKALL);
    Press(IDC_TYPEDURLS_CLEAR);
    bool keyExists = false;
    EXPECT_TRUE(StoredNames(&keyExists).empty());
    EXPECT_TRUE(keyExists);
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Selected(), -1);

    EXPECT_TRUE(prompts_.messages.empty());  // never a question or a message
    Press(IDCANCEL);
    EXPECT_FALSE(::IsWindow(window_));
}

TEST_F(TypedUrlsTest, ValuesThatAreNoAddressOrTooLongStillShowAndCanBeCleared) {
    ::RegDeleteKeyA(HKEY_CURRENT_USER, kTypedUrlsKey);
    Open();
    // A missing key is created, empty.
    bool keyExists = false;
    EXPECT_TRUE(StoredNames(&keyExists).empty());
    EXPECT_TRUE(keyExists);
    EXPECT_EQ(list_.Count(), 0);

    const std::string fits(254, 'f');  // with its terminator exactly the 255 bytes read
    const std::string tooLong(300, 'l');
    const DWORD number = 42;
    const BYTE bytes[3] = {1, 2, 3};
    saved_.SetText("a-fits", fits);
    saved_.Set("b-number", REG_DWORD, &number, sizeof(number));
    saved_.SetText("c-long", tooLong);
    saved_.Set("d-bytes", REG_BINARY, bytes, sizeof(bytes));
    saved_.Set("e-expand", REG_EXPAND_SZ, "%TEMP%\\x.htm", 13);
    saved_.SetText("f-empty", "");
    saved_.SetText("g" + std::string(300, 'n'), "a name longer than the 255-character buffer");
    saved_.SetText("h-after", "http://after.example/");
    Press(IDC_TYPEDURLS_CLEAR);  // nothing ticked: only a refill

    // The overlong name ends the listing: the value after it is not listed.
    EXPECT_EQ(Names(), (Texts{"a-fits", "b-number", "c-long", "d-bytes", "e-expand", "f-empty"}));
    EXPECT_EQ(Rows(), (Texts{fits, FormatText(Translate("_TypedUrlsNotText"), {"b-number"}),
                             tooLong.substr(0, 254) + "...",
                             FormatText(Translate("_TypedUrlsNotText"), {"d-bytes"}), "%TEMP%\\x.htm", ""}));
    EXPECT_NE(Rows()[1].find("b-number"), std::string::npos);

    // Rows of any kind delete their own value.
    list_.SetTicked(1, true);
    list_.SetTicked(2, true);
    Press(IDC_TYPEDURLS_CLEAR);
    const Texts stored = StoredNames();
    EXPECT_EQ(std::count(stored.begin(), stored.end(), "b-number"), 0);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), "c-long"), 0);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), "a-fits"), 1);
    EXPECT_EQ(std::count(stored.begin(), stored.end(), "h-after"), 1);
    EXPECT_EQ(Names(), (Texts{"a-fits", "d-bytes", "e-expand", "f-empty"}));
}
