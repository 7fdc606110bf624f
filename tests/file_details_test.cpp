// The file details dialog on the real resources: version rows per language block in the order of
// their codes and labels, times and size, the file that is gone, the two shell requests, and a
// last-access time that looking at the file leaves as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "core/WebAddresses.h"
#include "pages/FileDetailsDialog.h"
#include "resources/ResourceIds.h"
#include "support/WindowTest.h"
#include "win/FileSystem.h"
#include "win/ListView.h"

namespace {

// A time as English in the United States writes it: "6/7/2019 8:09:10 AM".
std::string UnitedStatesTime(const SYSTEMTIME& local) {
    char text[48];
    std::snprintf(text, sizeof(text), "%u/%u/%04u %u:%02u:%02u %s", local.wMonth, local.wDay, local.wYear,
                  local.wHour % 12 == 0 ? 12 : local.wHour % 12, local.wMinute, local.wSecond,
                  local.wHour < 12 ? "AM" : "PM");
    return text;
}

using Rows = std::vector<std::pair<std::string, std::string>>;

// What the open dialog showed, read by the test's driver before it pressed "_OK".
struct Shown {
    Rows rows;
    std::string path;
    HICON icon = nullptr;
    bool listEnabled = false, browseEnabled = false, googleEnabled = false;
    int columns[2] = {};
    int clientWidth = 0;
};

class FileDetailsTest : public ::testing::Test {
  protected:
    // Opens the dialog for path as the report page does; presses the named buttons, then "_OK".
    Shown Open(const std::string& path, std::vector<int> buttons = {}) {
        Shown shown;
        prompts_.onDialog = [&](HWND dialog, int) {
            HWND list = ::GetDlgItem(dialog, IDC_DETAILS_LIST);
            win::ListView view(list);
            for (int row = 0; row < view.Count(); ++row)
                shown.rows.emplace_back(view.Text(row, 0), view.Text(row, 1));
            shown.path = test::WindowText(::GetDlgItem(dialog, IDC_DETAILS_PATH));
            shown.icon =
                reinterpret_cast<HICON>(::SendDlgItemMessageA(dialog, IDC_DETAILS_ICON, STM_GETICON, 0, 0));
            shown.listEnabled = ::IsWindowEnabled(list);
            shown.browseEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_DETAILS_BROWSE));
            shown.googleEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_DETAILS_GOOGLE));
            shown.columns[0] = ListView_GetColumnWidth(list, 0);
            shown.columns[1] = ListView_GetColumnWidth(list, 1);
            // The width the columns were made for: the scroll bar came with the rows.
            RECT client{};
            ::GetClientRect(list, &client);
            shown.clientWidth = client.right;
            if (::GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL)
                shown.clientWidth += ::GetSystemMetrics(SM_CXVSCROLL);
            for (int id : buttons)
                test::Click(dialog, id);
            test::Click(dialog, IDOK);
        };
        FileDetailsDialog dialog(path);
        EXPECT_EQ(win::CurrentPrompts().RunModal(dialog, IDD_FILEDETAILS, nullptr), IDOK);
        return shown;
    }

    // The library with an icon and two version blocks, copied from the build tree to path.
    static void CopyVersionedFixture(const std::string& path) {
        std::string fixture = test::SourceFile("");
        fixture = fixture.substr(0, fixture.find("unix") + 4) + QM_VERSIONED_FIXTURE;
        for (char& c : fixture)
            if (c == '/')
                c = '\\';
        ASSERT_TRUE(::CopyFileA(fixture.c_str(), path.c_str(), FALSE)) << fixture;
    }

    static std::string Search(const std::string& name) {
        return std::string(kSearchAddress) + "/search?q=" + name;
    }
    static HICON InformationIcon() { return ::LoadIconW(nullptr, IDI_INFORMATION); }

    test::ProgramFolder program_;
    test::TempFolder dir_;
    test::RecordingPrompts prompts_;
};

}  // namespace

TEST_F(FileDetailsTest, TwoLanguageBlocksShowInTheOrderOfTheirCodesWithEveryField) {
    const std::string path = dir_ / "versioned.dll";
    ASSERT_NO_FATAL_FAILURE(CopyVersionedFixture(path));

    const Shown shown = Open(path, {IDC_DETAILS_GOOGLE, IDC_DETAILS_BROWSE});

    // The translation table lists English first; the rows follow the codes, and within a block
    // the translated labels in byte order. Fields a block lacks still have their rows.
    const Rows expected = {
        {"Language", "0x0407 0x04E4"},
        {"Comments", "Nur zum Testen"},
        {"Company", "Testwerk GmbH"},
        {"Copyright", "Kein Recht"},
        {"Description", "Versionsdaten"},
        {"File version", "1.2.3.4"},
        {"Internal name", "versioned"},
        {"Original file name", "versioned.dll"},
        {"Private build", "Privat"},
        {"Product name", "Quillmoor-Test"},
        {"Product version", "1.2"},
        {"Special build", "Sonder"},
        {"Trademarks", "Keine Marke"},
        {"Language", "0x0409 0x04E4"},
        {"Comments", ""},
        {"Company", "Test Works Ltd"},
        {"Copyright", ""},
        {"Description", ""},
        {"File version", "1.2.3.4"},
        {"Internal name", ""},
        {"Original file name", ""},
        {"Private build", ""},
        {"Product name", "Quillmoor Test"},
        {"Product version", ""},
        {"Special build", ""},
        {"Trademarks", ""},
    };
    ASSERT_EQ(shown.rows.size(), expected.size() + 4);
    EXPECT_EQ(Rows(shown.rows.begin(), shown.rows.begin() + static_cast<ptrdiff_t>(expected.size())),
              expected);
    const std::vector<std::string> general = {"Created", "Last changed", "Last opened", "Size"};
    for (size_t i = 0; i < general.size(); ++i)
        EXPECT_EQ(shown.rows[expected.size() + i].first, general[i]);
    // The size in the unit that fits it, with the exact count of bytes beside it.
    EXPECT_EQ(shown.rows.back().second.rfind(" bytes)"), shown.rows.back().second.size() - 7)
        << shown.rows.back().second;

    EXPECT_EQ(shown.path, path);
    EXPECT_NE(shown.icon, nullptr);
    EXPECT_NE(shown.icon, InformationIcon());  // the library's own icon
    EXPECT_TRUE(shown.listEnabled);
    EXPECT_TRUE(shown.browseEnabled);
    EXPECT_EQ(shown.columns[0], shown.clientWidth / 3);
    EXPECT_EQ(shown.columns[1], shown.clientWidth / 3 * 2);
    EXPECT_EQ(prompts_.opened,
              (std::vector<std::string>{Search("versioned.dll"), "Explorer /select," + path}));
}

TEST_F(FileDetailsTest, ATextFileShowsTimesAndSizeAndAVanishedFileSaysSo) {
    // A name with a blank and an ampersand goes into the search unchanged.
    const std::string path = dir_ / "notes & more.txt";
    test::WriteFile(path, std::string(1536, 'n'));
    SYSTEMTIME written{2021, 3, 4, 4, 5, 6, 7, 0};  // 2021-03-04 05:06:07 UTC
    FILETIME writtenFile;
    ASSERT_TRUE(::SystemTimeToFileTime(&written, &writtenFile));
    {
        HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &writtenFile));
        ::CloseHandle(file);
    }
    SYSTEMTIME local{};
    ASSERT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &written, &local));
    // The time as the language spoken (English, in the United States' forms) writes it, seconds
    // included.
    const std::string expectedTime = UnitedStatesTime(local);

    Shown shown = Open(path, {IDC_DETAILS_GOOGLE});
    ASSERT_EQ(shown.rows.size(), 4u);  // no version rows
    EXPECT_EQ(shown.rows[0].first, "Created");
    EXPECT_EQ(shown.rows[1], (std::pair<std::string, std::string>{"Last changed", expectedTime}));
    EXPECT_EQ(shown.rows[2].first, "Last opened");
    EXPECT_EQ(shown.rows[3], (std::pair<std::string, std::string>{"Size", "1.50 KB (1,536 bytes)"}));
    EXPECT_EQ(shown.icon, InformationIcon());
    EXPECT_EQ(prompts_.opened, (std::vector<std::string>{Search("notes & more.txt")}));

    // Gone: one row with the message, the list and "_BrowseIt" disabled, the web search still there.
    prompts_.opened.clear();
    const std::string gone = dir_ / "gone.log";
    shown = Open(gone, {IDC_DETAILS_BROWSE, IDC_DETAILS_GOOGLE});
    EXPECT_EQ(shown.rows, (Rows{{"", "This file no longer exists."}}));
    EXPECT_EQ(shown.path, gone);
    EXPECT_EQ(shown.icon, InformationIcon());
    EXPECT_FALSE(shown.listEnabled);
    EXPECT_FALSE(shown.browseEnabled);
    EXPECT_TRUE(shown.googleEnabled);
    // The disabled button ignores a click that reaches it anyway.
    EXPECT_EQ(prompts_.opened, (std::vector<std::string>{Search("gone.log")}));
}

// Reading the icon and the version opens the file; the "not opened for N months" test of the next
// scan must still see it as it was. The dialog shows that time too, not the moment of its own reads.
TEST_F(FileDetailsTest, LookingAtAFileLeavesItsLastAccessTimeAsItWas) {
    const std::string library = dir_ / "versioned.dll", text = dir_ / "old notes.txt";
    ASSERT_NO_FATAL_FAILURE(CopyVersionedFixture(library));
    test::WriteFile(text, "notes from long ago");
    SYSTEMTIME accessed{2019, 6, 0, 7, 8, 9, 10, 0};  // 2019-06-07 08:09:10 UTC
    FILETIME old{};
    ASSERT_TRUE(::SystemTimeToFileTime(&accessed, &old));
    SYSTEMTIME local{};
    ASSERT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &accessed, &local));
    const std::string shownTime = UnitedStatesTime(local);
    for (const std::string& path : {library, text}) {
        SCOPED_TRACE(path);
        {
            win::UniqueFile file = win::OpenFile(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, OPEN_EXISTING);
            ASSERT_TRUE(file);
            ASSERT_TRUE(::SetFileTime(file.get(), nullptr, &old, nullptr));
        }
        const Shown shown = Open(path);
        ASSERT_GE(shown.rows.size(), 4u);
        EXPECT_EQ(shown.rows[shown.rows.size() - 2],
                  (std::pair<std::string, std::string>{"Last opened", shownTime}));
        const FILETIME after = test::StampOf(path).lastAccess;
        EXPECT_EQ(after.dwLowDateTime, old.dwLowDateTime);
        EXPECT_EQ(after.dwHighDateTime, old.dwHighDateTime);
    }
}
