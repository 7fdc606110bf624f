// The typed-address history on a registry key of the test's own: listing in enumeration order, what
// values that are no address or too long show, and pruning only the named values. Then the dialog
// on the real resources and the real key of the test prefix (saved before and put back after):
// its list, ticking, and clearing with the selection kept.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "support/RegistrySnapshot.h"
#include "support/WindowTest.h"
#include "tools/TypedUrls.h"
#include "tools/TypedUrlsDialog.h"

namespace {

using Texts = std::vector<std::string>;

// The value names of a key under HKEY_CURRENT_USER now; empty when the key is missing.
Texts StoredNames(const char* keyPath, bool* keyExists = nullptr) {
    Texts names;
    HKEY key = nullptr;
    const bool exists = ::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (keyExists)
        *keyExists = exists;
    if (!exists)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD length = sizeof(name);
        if (::RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(key);
    return names;
}

constexpr const char* kTestKey = "Software\\Quillmoor tests\\TypedUrls";

class TypedUrlHistoryTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_.Clear(); }
    Texts Names() const {
        Texts names;
        for (const TypedUrl& url : history_.Read())
            names.push_back(url.name);
        return names;
    }
    // The entries of the history now whose names are given, as the dialog hands them over.
    std::vector<TypedUrl> Listed(const Texts& names) const {
        std::vector<TypedUrl> entries;
        for (const TypedUrl& url : history_.Read())
            if (std::find(names.begin(), names.end(), url.name) != names.end())
                entries.push_back(url);
        return entries;
    }
    Texts Shown() const {
        Texts texts;
        for (const TypedUrl& url : history_.Read())
            texts.push_back(url.text);
        return texts;
    }

    test::ProgramFolder program_;  // the language file, for the translated texts
    test::RegistrySnapshot saved_{kTestKey};
    TypedUrlHistory history_{HKEY_CURRENT_USER, kTestKey};
};

}  // namespace

TEST_F(TypedUrlHistoryTest, ListsEveryValueInOrderAndDeletesOnlyTheReviewedOnesUnchanged) {
    // A missing key is created, empty.
    EXPECT_TRUE(history_.Read().empty());
    bool keyExists = false;
    EXPECT_TRUE(StoredNames(kTestKey, &keyExists).empty());
    EXPECT_TRUE(keyExists);

    // Two values with the same address are two entries, each with its own name.
    saved_.SetText("url1", "http://a.example/");
    saved_.SetText("url2", "http://same.example/");
    saved_.SetText("url3", "http://same.example/");
    saved_.SetText("url4", "http://d.example/");
    EXPECT_EQ(Names(), (Texts{"url1", "url2", "url3", "url4"}));
    EXPECT_EQ(Shown(), (Texts{"http://a.example/", "http://same.example/", "http://same.example/",
                              "http://d.example/"}));

    // Only the named values go; a name that is gone already changes nothing.
    const std::vector<TypedUrl> third = Listed({"url3"});
    history_.Delete(third);
    history_.Delete(third);
    EXPECT_EQ(StoredNames(kTestKey), (Texts{"url1", "url2", "url4"}));
    history_.Delete({});
    EXPECT_EQ(Names(), (Texts{"url1", "url2", "url4"}));

    // A value that holds another address since it was listed is not what the user reviewed.
    const std::vector<TypedUrl> reviewed = Listed({"url1", "url2", "url4"});
    saved_.SetText("url2", "http://typed.meanwhile.example/");
    history_.Delete(reviewed);
    EXPECT_EQ(Shown(), (Texts{"http://typed.meanwhile.example/"}));

    // Emptied, the key stays.
    history_.Delete(Listed({"url2"}));
    EXPECT_TRUE(StoredNames(kTestKey, &keyExists).empty());
    EXPECT_TRUE(keyExists);
}

TEST_F(TypedUrlHistoryTest, ValuesThatAreNoAddressOrTooLongStillShowAndCanBeDeleted) {
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

    // A name of any length is listed, and the values after it too.
    const std::string longName = "g" + std::string(300, 'n');
    EXPECT_EQ(Names(),
              (Texts{"a-fits", "b-number", "c-long", "d-bytes", "e-expand", "f-empty", longName, "h-after"}));
    const Texts shown = Shown();
    EXPECT_EQ(shown, (Texts{fits, FormatText(Translate("_TypedUrlsNotText"), {"b-number"}),
                            tooLong.substr(0, 254) + "...",
                            FormatText(Translate("_TypedUrlsNotText"), {"d-bytes"}), "%TEMP%\\x.htm", "",
                            "a name longer than the 255-character buffer", "http://after.example/"}));

    // Entries of any kind delete their own value.
    history_.Delete(Listed({"b-number", "c-long", longName}));
    EXPECT_EQ(Names(), (Texts{"a-fits", "d-bytes", "e-expand", "f-empty", "h-after"}));
}

namespace {

class TypedUrlsDialogTest : public ::testing::Test {
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
    Texts Rows() const {
        Texts rows;
        for (int row = 0; row < list_.Count(); ++row)
            rows.push_back(list_.Text(row, 0));
        return rows;
    }
    Texts Names() const {
        Texts names;
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

    test::ProgramFolder program_;
    test::RegistrySnapshot saved_{kTypedUrlsKey};
    test::RecordingPrompts prompts_;
    TypedUrlsDialog dialog_;
    HWND window_ = nullptr;
    win::ListView list_;
};

}  // namespace

TEST_F(TypedUrlsDialogTest, ClearDeletesOnlyTheTickedRowsAndKeepsTheSelectionsPlace) {
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

    // One unticked row per value, each carrying its own name.
    const Texts all{"http://a.example/", "http://same.example/", "http://same.example/", "http://d.example/",
                    "http://e.example/"};
    EXPECT_EQ(Rows(), all);
    EXPECT_EQ(Names(), (Texts{"url1", "url2", "url3", "url4", "url5"}));
    EXPECT_EQ(dialog_.RowName(5), "");
    EXPECT_EQ(TickedCount(), 0);

    // Nothing ticked: nothing is deleted, the list is only refilled.
    Press(IDC_TYPEDURLS_CLEAR);
    EXPECT_EQ(Rows(), all);
    EXPECT_EQ(StoredNames(kTypedUrlsKey).size(), 5u);

    // Ticking one of the twins deletes only that value; the selection keeps its place.
    list_.Select(3);
    list_.SetTicked(2, true);
    Press(IDC_TYPEDURLS_CLEAR);
    EXPECT_EQ(StoredNames(kTypedUrlsKey), (Texts{"url1", "url2", "url4", "url5"}));
    EXPECT_EQ(Rows(),
              (Texts{"http://a.example/", "http://same.example/", "http://d.example/", "http://e.example/"}));
    EXPECT_EQ(Names(), (Texts{"url1", "url2", "url4", "url5"}));
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
    EXPECT_TRUE(StoredNames(kTypedUrlsKey).empty());
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.Selected(), -1);

    EXPECT_TRUE(prompts_.messages.empty());  // never a question or a message
    Press(IDCANCEL);
    EXPECT_FALSE(::IsWindow(window_));
}
