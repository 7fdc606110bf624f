// The program's side of the activity log component: silent without it, faithful with it.
#include <gtest/gtest.h>

#include <string>

#include "LogStore.h"
#include "core/LanguageTable.h"
#include "clean/ActivityLog.h"
#include "clean/LogEntry.h"
#include "support/LogwrightTest.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/Text.h"

namespace {

// A file of the source tree as the tests reach it under Wine.
std::string ShippedFile(const std::string& relative) {
    std::string path = std::string("\\\\?\\unix") + QM_SOURCE_DIR + "\\" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

class ActivityLogTest : public ::testing::Test {
  protected:
    test::RegistrationLock lock_;
    test::TempFolder dir_;
    win::ComApartment com_;
    test::LogwrightDll dll_{dir_.Path()};
};

// Every byte the ANSI code page gives a character, in program text.
// Program text from several scripts, an emoji and an unpaired surrogate (which a Windows name may
// hold): all of it must come back as it was.
std::string HighBytes() {
    return "caf\xC3\xA9 \xE6\xBC\xA2\xE5\xAD\x97 \xCE\xA9 \xF0\x9F\x98\x80 \xED\xA0\x80";
}

}  // namespace

TEST(ActivityLogDataFolder, IsTheLogDataFolderOfTheProgramFolder) {
    EXPECT_EQ(ActivityLogDataFolder("C:\\Tools"), "C:\\Tools\\Log\\Data");
}

TEST_F(ActivityLogTest, WithoutTheComponentEveryOperationQuietlyDoesNothing) {
    ASSERT_EQ(dll_.Unregister(), S_OK);
    CLSID clsid{};
    ASSERT_TRUE(FAILED(::CLSIDFromProgID(LOGWRIGHT_PROGID, &clsid))) << "the component is still registered";

    std::string data = ActivityLogDataFolder(dir_ / "Prog");
    ActivityLog log;
    EXPECT_FALSE(log.Available());
    EXPECT_FALSE(log.SetDataPath(data));
    EXPECT_FALSE(log.AddEntry("Information", "Quillmoor", "Backup", "Quillmoor", "text"));
    EXPECT_FALSE(log.ShowViewer());
    // The viewer command returns at once, without a window.
    test::ViewerThread viewer([&] {
        win::ComApartment com;
        OpenActivityLogViewer(data);
        return S_OK;
    });
    EXPECT_TRUE(viewer.WaitDone());
    EXPECT_FALSE(test::Exists(dir_ / "Prog"));
}

TEST_F(ActivityLogTest, AddsEntriesThatKeepEveryByteOfTheProgramsText) {
    ASSERT_EQ(dll_.Register(), S_OK);
    std::string data = ActivityLogDataFolder(dir_ / "Prog");
    const std::string body = "Files deleted permanently:\r\n\r\nC:\\Temp\\" + HighBytes() + ".tmp\r\n\r\n";
    {
        ActivityLog log;
        ASSERT_TRUE(log.Available());
        ASSERT_TRUE(log.SetDataPath(data));
        EXPECT_TRUE(
            log.AddEntry("Information", "Quillmoor", "Backup", "Quillmoor", "Files backed up:\r\n\r\n"));
        EXPECT_TRUE(
            log.AddEntry("Information \xC3\x84", "Quillmoor", "Cleaning \xC3\xA9", "Source \xC3\xBF", body));
    }

    std::vector<logwright::LogEntry> entries = logwright::LogStore(win::Wide(data)).ReadAll();
    ASSERT_EQ(entries.size(), 2u);
    auto ansi = [](const std::wstring& w) { return win::Narrow(std::wstring_view(w.c_str(), w.size())); };
    EXPECT_EQ(ansi(entries[0].type), "Information \xC3\x84");
    EXPECT_EQ(ansi(entries[0].category), "Quillmoor");
    EXPECT_EQ(ansi(entries[0].subcategory), "Cleaning \xC3\xA9");
    EXPECT_EQ(ansi(entries[0].source), "Source \xC3\xBF");
    EXPECT_EQ(ansi(entries[0].text), body);
    EXPECT_EQ(ansi(entries[1].subcategory), "Backup");
    EXPECT_EQ(ansi(entries[1].text), "Files backed up:\r\n\r\n");
}

// Every entry the program writes has its translated type, category and source, and its text is
// the header and each line (arguments filled in), each followed by a blank line.
TEST_F(ActivityLogTest, AnEntryOfTheProgramCarriesItsOwnTypeCategoryAndSource) {
    ASSERT_EQ(dll_.Register(), S_OK);
    test::WriteFile(dir_ / "test.language",
                    "[String]\n_LogType=Kind\n_LogCategory=Cleaner\n_LogSource=Origin\n_H=Header\n"
                    "_Sub=Restore\n_Line=%s to %s\n");
    LanguageTable::Instance().SetPath(dir_ / "test.language");
    const std::string data = ActivityLogDataFolder(dir_ / "Prog");
    {
        LogEntry entry("_H");
        entry.Add("_Line", {"a", "b"});
        entry.Add("_Line", {"c", "d"});
        ActivityLog log;
        ASSERT_TRUE(log.SetDataPath(data));
        EXPECT_TRUE(entry.Write(log, "_Sub"));
    }
    LanguageTable::Instance().SetPath("");

    std::vector<logwright::LogEntry> entries = logwright::LogStore(win::Wide(data)).ReadAll();
    ASSERT_EQ(entries.size(), 1u);
    auto ansi = [](const std::wstring& w) { return win::Narrow(std::wstring_view(w.c_str(), w.size())); };
    EXPECT_EQ(ansi(entries[0].type), "Kind");
    EXPECT_EQ(ansi(entries[0].category), "Cleaner");
    EXPECT_EQ(ansi(entries[0].subcategory), "Restore");
    EXPECT_EQ(ansi(entries[0].source), "Origin");
    EXPECT_EQ(ansi(entries[0].text), "Header\r\n\r\na to b\r\n\r\nc to d\r\n\r\n");
}

TEST_F(ActivityLogTest, ShowsTheViewerOnTheDataFolder) {
    ASSERT_EQ(dll_.Register(), S_OK);
    std::string data = ActivityLogDataFolder(dir_ / "Prog");
    {
        ActivityLog log;
        ASSERT_TRUE(log.SetDataPath(data));
        ASSERT_TRUE(
            log.AddEntry("Information", "Quillmoor", "Restore", "Quillmoor", "Files restored:\r\n\r\n"));
    }
    // The viewer speaks the program's language, here German.
    LanguageTable::Instance().SetPath(ShippedFile("data\\Quillmoor.language"));
    ASSERT_TRUE(LanguageTable::Instance().SetTranslation(ShippedFile("data\\Languages\\de.language")));
    const std::wstring caption = win::Wide(Translate("_LogViewerCaption"));
    EXPECT_EQ(caption, L"Aktivit\u00E4tsprotokoll");
    // Both the operation and the whole viewer command, each on a thread of its own as a worker
    // or the user-interface thread would run them.
    for (bool command : {false, true}) {
        SCOPED_TRACE(command ? "OpenActivityLogViewer" : "ActivityLog::ShowViewer");
        test::ViewerThread viewer(
            [&]() -> HRESULT {
                win::ComApartment com;
                if (command) {
                    OpenActivityLogViewer(data);
                    return S_OK;
                }
                ActivityLog log;
                log.SetDataPath(data);
                return log.ShowViewer() ? S_OK : E_FAIL;
            },
            caption);
        HWND frame = viewer.Frame();
        ASSERT_NE(frame, nullptr);
        HWND list = test::FindDescendant(frame, logwright_viewer::kListId);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(test::WindowText(::GetDlgItem(frame, IDCANCEL)), win::Wide(Translate("_Close")));
        EXPECT_EQ(test::ListCount(list), 1);
        EXPECT_EQ(test::ListCell(list, 0, 2), L"Restore");
        EXPECT_EQ(test::WindowText(test::FindDescendant(frame, logwright_viewer::kTextId)),
                  L"Files restored:\r\n\r\n");
        viewer.Close();
        EXPECT_EQ(viewer.Result(), S_OK);
    }
    LanguageTable::Instance().SetTranslation("");
    LanguageTable::Instance().SetPath("");
}
