// The shared text chores: ASCII case, cutting at a separator, lines and path steps.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "win/MiddleEllipsis.h"
#include "win/Text.h"
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

namespace {

int WidthOf(HDC dc, const std::wstring& text) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

// A path too wide for its room loses steps from its middle, never its start or its file name; one
// that fits stays whole.
TEST(MiddleEllipsis, KeepsTheStartAndTheFileName) {
    HDC dc = ::GetDC(nullptr);
    ASSERT_TRUE(dc);
    HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    const std::wstring path =
        L"C:\\Users\\someone\\AppData\\Local\\Vendor\\Browser\\User Data\\Default\\Cache\\f_00a1b2";
    const int whole = WidthOf(dc, path);
    EXPECT_EQ(win::MiddleEllipsisPath(dc, path, whole), path);
    for (int width : {whole - 1, whole / 2, WidthOf(dc, L"C:\\...\\f_00a1b2")}) {
        const std::wstring shown = win::MiddleEllipsisPath(dc, path, width);
        SCOPED_TRACE(win::Narrow(shown));
        EXPECT_LE(WidthOf(dc, shown), width);
        const size_t cut = shown.find(L"...\\");
        ASSERT_NE(cut, std::wstring::npos);
        EXPECT_EQ(path.rfind(shown.substr(0, cut), 0), 0u);
        EXPECT_EQ(shown.substr(cut + 3), L"\\f_00a1b2");
        EXPECT_GT(cut, 0u);
    }
    // No room even for the name: the name stays whole after the cut, for the cell to end it.
    EXPECT_EQ(win::MiddleEllipsisPath(dc, path, 5), L"...\\f_00a1b2");
    // A name without a folder cannot be cut in its middle.
    EXPECT_EQ(win::MiddleEllipsisPath(dc, L"f_00a1b2", 5), L"f_00a1b2");
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
}
