// Language lookups: INI semantics, escapes only where asked, windows and menus, threads.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "core/LanguageTable.h"
#include "support/TestFiles.h"

namespace {

class LanguageTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(path_,
                        "[Other]\n"
                        "_Elsewhere=wrong section\n"
                        "[String]\n"
                        "_Next=Next >\n"
                        "_Empty=\n"
                        "  _SkipReadOnlyFiles  =   Skip read-only files   \n"
                        "_Quoted=\"  quoted text  \"\n"
                        "_Lines=Line one\\nLine two\\r\\nLine three\n"
                        "_Window=Window caption\n");
        table_.SetPath(path_);
    }

    test::TempFolder dir_;
    std::string path_ = dir_ / "Quillmoor.language";
    LanguageTable table_;
};

}  // namespace

TEST_F(LanguageTableTest, LooksUpValuesAndFallsBackToTheKey) {
    EXPECT_EQ(table_.Translate("_Next"), "Next >");
    EXPECT_EQ(table_.Translate("_next"), "Next >");  // keys ignore case
    EXPECT_EQ(table_.Translate("_Missing"), "_Missing");
    EXPECT_EQ(table_.Translate("_Empty"), "_Empty");
    EXPECT_EQ(table_.Translate("_Elsewhere"), "_Elsewhere");
    EXPECT_EQ(table_.Translate("_SkipReadOnlyFiles "),
              "Skip read-only files");  // blanks around keys and values
    EXPECT_EQ(table_.Translate("_Quoted"), "  quoted text  ");
    EXPECT_EQ(table_.Translate(""), "");
}

TEST_F(LanguageTableTest, ExpandsEscapesOnlyWhenAsked) {
    EXPECT_EQ(table_.Translate("_Lines"), "Line one\\nLine two\\r\\nLine three");
    EXPECT_EQ(table_.Translate("_Lines", true), "Line one\nLine two\r\nLine three");
    // A missing key comes back as it is, even when expansion is asked for.
    EXPECT_EQ(table_.Translate("_A\\nB", true), "_A\\nB");
    EXPECT_EQ(ExpandEscapes("a\\\\n\\rb"), "a\\\n\rb");
}

// A language file in the system's ANSI code page reads as it always did; one in UTF-16 (with its
// byte-order mark) holds any script.
TEST(LanguageTableEncodings, AnsiAndUtf16FilesReadAsProgramText) {
    test::TempFolder dir;
    test::WriteFile(dir / "ansi.language", "[String]\n_Cafe=Caf\xE9\n");  // e acute in code page 1252
    std::string utf16 = "\xFF\xFE";
    for (wchar_t unit : std::wstring(L"[String]\r\n_Name=\x0141\x00F3"
                                     L"d\x017A \x6F22\xD83D\xDE00\r\n")) {
        utf16 += static_cast<char>(unit & 0xFF);
        utf16 += static_cast<char>(unit >> 8);
    }
    test::WriteFile(dir / "utf16.language", utf16);
    LanguageTable ansi, wide;
    ansi.SetPath(dir / "ansi.language");
    wide.SetPath(dir / "utf16.language");
    EXPECT_EQ(ansi.Translate("_Cafe"), "Caf\xC3\xA9");
    EXPECT_EQ(wide.Translate("_Name"),
              "\xC5\x81\xC3\xB3"
              "d\xC5\xBA \xE6\xBC\xA2\xF0\x9F\x98\x80");
}

TEST(LanguageTableWithoutFile, EveryLookupGivesTheKey) {
    LanguageTable unset;
    EXPECT_EQ(unset.Translate("_Next"), "_Next");
    test::TempFolder dir;
    LanguageTable missing;
    missing.SetPath(dir / "absent.language");
    EXPECT_EQ(missing.Translate("_Next", true), "_Next");
}

TEST_F(LanguageTableTest, TranslateWindowReachesEveryDescendantAndExpandsEscapes) {
    HWND window = ::CreateWindowExA(0, "STATIC", "_Window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                    nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    HWND group = ::CreateWindowExA(0, "BUTTON", "_Next", WS_CHILD | BS_GROUPBOX, 0, 0, 100, 50, window,
                                   nullptr, nullptr, nullptr);
    HWND inner =
        ::CreateWindowExA(0, "STATIC", "_Lines", WS_CHILD, 0, 0, 50, 20, group, nullptr, nullptr, nullptr);
    HWND notKey =
        ::CreateWindowExA(0, "STATIC", "A\\nB", WS_CHILD, 0, 0, 50, 20, window, nullptr, nullptr, nullptr);
    HWND missing =
        ::CreateWindowExA(0, "STATIC", "_Missing", WS_CHILD, 0, 0, 50, 20, window, nullptr, nullptr, nullptr);
    HWND empty =
        ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 50, 20, window, nullptr, nullptr, nullptr);
    table_.TranslateWindow(window);
    auto text = [](HWND h) {
        char buffer[256] = {};
        ::GetWindowTextA(h, buffer, sizeof(buffer));
        return std::string(buffer);
    };
    EXPECT_EQ(text(window), "Window caption");
    EXPECT_EQ(text(group), "Next >");
    EXPECT_EQ(text(inner), "Line one\nLine two\r\nLine three");
    EXPECT_EQ(text(notKey), "A\nB");
    EXPECT_EQ(text(missing), "_Missing");
    EXPECT_EQ(text(empty), "");
    ::DestroyWindow(window);
}

TEST_F(LanguageTableTest, TranslateMenuKeepsSeparatorsAndLeavesEscapes) {
    HMENU bar = ::CreateMenu();
    HMENU sub = ::CreatePopupMenu();
    ::AppendMenuA(sub, MF_STRING, 10, "_Lines");
    ::AppendMenuA(sub, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(sub, MF_STRING, 11, "_Missing");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "_Next");
    table_.TranslateMenu(bar);
    table_.TranslateMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(12345)));  // not a menu: ignored
    auto text = [](HMENU m, int i) {
        char buffer[256] = {};
        ::GetMenuStringA(m, i, buffer, sizeof(buffer), MF_BYPOSITION);
        return std::string(buffer);
    };
    EXPECT_EQ(text(bar, 0), "Next >");
    EXPECT_EQ(text(sub, 0), "Line one\\nLine two\\r\\nLine three");
    EXPECT_TRUE(::GetMenuState(sub, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(text(sub, 2), "_Missing");
    ::DestroyMenu(bar);
}

TEST_F(LanguageTableTest, ConcurrentLookupsAgree) {
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                if (table_.Translate("_Next") != "Next >")
                    ++wrong;
                if (table_.Translate("_Key" + std::to_string(i % 50)) != "_Key" + std::to_string(i % 50))
                    ++wrong;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(wrong.load(), 0);
}
