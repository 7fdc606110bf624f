// The shared text chores: ASCII case, cutting at a separator, lines and path steps.
#include <gtest/gtest.h>

#include "win/TextParts.h"

using View = std::vector<std::string_view>;

TEST(AsciiCase, OnlyAsciiLettersChangeCase) {
    EXPECT_EQ(win::LowerAscii("FileKey1=%AppData%\\X"), "filekey1=%appdata%\\x");
    // "Ä" in UTF-8 stays as it is: a key of another script is never equal to an ASCII one by case.
    EXPECT_EQ(win::LowerAscii("\xC3\x84Z"), "\xC3\x84z");
    EXPECT_TRUE(win::SameAscii("HKEY_CURRENT_USER", "hkey_current_user"));
    EXPECT_FALSE(win::SameAscii("\xC3\x84", "\xC3\xA4"));
    EXPECT_FALSE(win::SameAscii("auto", "autos"));
}

TEST(Split, KeepsEmptyPartsWhilePathStepsDropThem) {
    const struct {
        std::string_view text;
        View parts;  // at '|'
    } splits[] = {{"", {""}}, {"a", {"a"}}, {"a||b", {"a", "", "b"}}, {"|a|", {"", "a", ""}}};
    for (const auto& split : splits)
        EXPECT_EQ(win::Split(split.text, '|'), split.parts) << split.text;

    const struct {
        std::string_view path;
        View steps;
    } paths[] = {{"", {}},
                 {"C:\\", {"C:"}},
                 {"\\\\server\\share\\a", {"server", "share", "a"}},
                 {"C:\\a\\\\b\\", {"C:", "a", "b"}}};
    for (const auto& path : paths)
        EXPECT_EQ(win::PathSteps(path.path), path.steps) << path.path;
    EXPECT_EQ(win::PathSteps(std::wstring_view(L"a\\\\b")), (std::vector<std::wstring_view>{L"a", L"b"}));
    EXPECT_EQ(win::Split(std::wstring_view(L"a\\\\b"), L'\\'),
              (std::vector<std::wstring_view>{L"a", L"", L"b"}));
}

TEST(Lines, EachLineWithoutItsNewlineAndALastEmptyOne) {
    EXPECT_EQ(win::Lines("[String]\r\nA=1\n\nB=2\n"), (View{"[String]\r", "A=1", "", "B=2", ""}));
}
