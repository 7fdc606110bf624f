// The backup store: restore point names and paths, mirrored paths, folder creation, listing and removal.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "clean/BackupStore.h"
#include "clean/RestoreFiles.h"
#include "clean/RestorePointTree.h"
#include "support/NoProgress.h"
#include "support/TestFiles.h"
#include "win/CharStep.h"
#include "win/ApiPath.h"
#include "win/Text.h"

namespace {

std::vector<std::string> Names(const std::vector<RestorePoint>& points) {
    std::vector<std::string> names;
    for (const RestorePoint& point : points)
        names.push_back(point.name);
    return names;
}

// Runs work on a thread of its own with only 32 KB of stack left below it (Wine does not make a
// thread's stack as small as asked, so the rest is taken first); false when the thread failed. A
// walk that took stack for every folder level (some 660 bytes) would overflow it within fifty
// levels and end the test program.
__attribute__((noinline)) void CallWork(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
}

DWORD WINAPI RunWithLittleStack(void* work) {
    // The stack's whole reservation starts at the allocation base of the pages it is in.
    volatile char here = 0;
    MEMORY_BASIC_INFORMATION stack{};
    if (!::VirtualQuery(const_cast<char*>(&here), &stack, sizeof(stack)))
        return 1;
    const size_t left =
        static_cast<size_t>(const_cast<char*>(&here) - static_cast<char*>(stack.AllocationBase));
    volatile char* taken = static_cast<volatile char*>(__builtin_alloca(left - 32 * 1024));
    taken[0] = here;
    CallWork(work);
    taken[0] = 0;
    return 0;
}

bool RanOnSmallStack(const std::function<void()>& work) {
    HANDLE thread =
        ::CreateThread(nullptr, 0, RunWithLittleStack, const_cast<std::function<void()>*>(&work), 0, nullptr);
    if (!thread)
        return false;
    DWORD code = 1;
    const bool ended =
        ::WaitForSingleObject(thread, INFINITE) == WAIT_OBJECT_0 && ::GetExitCodeThread(thread, &code);
    ::CloseHandle(thread);
    return ended && code == 0;
}

}  // namespace

TEST(RestorePointNaming, FormatsTheTimeAndJoinsItToTheBackupFolder) {
    SYSTEMTIME time{2025, 1, 5, 31, 8, 5, 9, 123};
    EXPECT_EQ(RestorePointName(time), "2025-01-31_08-05-09");
    SYSTEMTIME early{987, 12, 0, 1, 23, 59, 0, 0};
    EXPECT_EQ(RestorePointName(early), "0987-12-01_23-59-00");

    EXPECT_EQ(RestorePointPath("D:\\Backup", "N"), "D:\\Backup\\N");
    EXPECT_EQ(RestorePointPath("D:\\Backup\\", "N"), "D:\\Backup\\N");
    EXPECT_EQ(RestorePointPath("D:\\Backup\\\\", "N"), "D:\\Backup\\\\N");  // only one backslash goes
    EXPECT_EQ(RestorePointPath("E:\\", "N"), "E:\\N");
    EXPECT_EQ(RestorePointPath("", "N"), "\\N");
}

TEST(MirroredPaths, DropDriveColonsAndComeBackByTheirOwnNames) {
    EXPECT_EQ(MirrorPath("C:\\Windows\\Temp\\a.tmp"), "C\\Windows\\Temp\\a.tmp");
    EXPECT_EQ(MirrorPath("E:\\Cache\\Y.Dat"), "E\\Cache\\Y.Dat");
    EXPECT_EQ(MirrorPath("C:\\odd:name"), "C\\oddname");
    EXPECT_EQ(MirrorPath("C:x.tmp"), "C\\x.tmp");  // no backslash: each colon becomes one
    EXPECT_EQ(MirrorPath("\\\\nas\\share\\f.txt"), "UNC\\nas\\share\\f.txt");

    const std::string point = "D:\\B\\2025-01-31_08-05-09";
    std::string target;
    ASSERT_TRUE(UnmirrorPath(point, point + "\\C\\Temp\\X.TMP", target));
    EXPECT_EQ(target, "C:\\Temp\\X.TMP");
    ASSERT_TRUE(UnmirrorPath(point + "\\", point + "\\E\\Cache\\Y.Dat", target));
    EXPECT_EQ(target, "E:\\Cache\\Y.Dat");
    // The restore point's own letters are not compared, only its length counts.
    ASSERT_TRUE(UnmirrorPath("d:\\b\\2025-01-31_08-05-09", point + "\\C\\a.txt", target));
    EXPECT_EQ(target, "C:\\a.txt");
    // A mirrored path comes back where it came from, every name as it was.
    ASSERT_TRUE(UnmirrorPath(point, point + "\\" + MirrorPath("C:\\Users\\Ann\\Doc.TMP"), target));
    EXPECT_EQ(target, "C:\\Users\\Ann\\Doc.TMP");

    // A network file comes back to its share.
    ASSERT_TRUE(UnmirrorPath(point, point + "\\" + MirrorPath("\\\\Nas\\Share\\Dir\\F.txt"), target));
    EXPECT_EQ(target, "\\\\Nas\\Share\\Dir\\F.txt");

    target = "unchanged";
    EXPECT_FALSE(UnmirrorPath(point, point + "\\UNC\\nas\\f.txt", target));  // a server but no share
    EXPECT_FALSE(UnmirrorPath(point, point + "\\UNC\\f.txt", target));
    EXPECT_FALSE(UnmirrorPath(point, point + "\\readme.txt", target));  // directly inside the point
    EXPECT_FALSE(UnmirrorPath(point, point + "\\CD\\x.txt", target));   // no single-letter folder
    EXPECT_FALSE(UnmirrorPath(point, point + "\\C", target));
    EXPECT_FALSE(UnmirrorPath(point, point, target));
    EXPECT_FALSE(UnmirrorPath(point, "D:\\B", target));
    EXPECT_EQ(target, "unchanged");
}

TEST(ParentFolders, CutAtTheLastSeparatorAndKeepDrives) {
    EXPECT_EQ(ParentFolderOf("D:\\B\\x\\f.txt"), "D:\\B\\x");
    EXPECT_EQ(ParentFolderOf("C:\\f.txt"), "C:");
    EXPECT_EQ(ParentFolderOf("C:"), "C:");
    EXPECT_EQ(ParentFolderOf("C:f.txt"), "C:");
    EXPECT_EQ(ParentFolderOf("C"), "C:");
    EXPECT_EQ(ParentFolderOf(""), ":");
    // Folders without a drive letter stay usable folders.
    EXPECT_EQ(ParentFolderOf("\\\\nas\\backup\\2025-01-31_08-05-09\\C\\Temp\\x.tmp"),
              "\\\\nas\\backup\\2025-01-31_08-05-09\\C\\Temp");
    EXPECT_EQ(ParentFolderOf("\\2025-01-31_08-05-09\\C\\x.tmp"), "\\2025-01-31_08-05-09\\C");
}

TEST(MirrorPath, ABackupAtItsMirroredPathLeadsBackToItsFile) {
    test::TempFolder dir;
    // The cleaning engine's steps for one file, then the restore's steps back to another place.
    test::WriteFile(dir / "src\\Sub\\Data.TMP", "payload");
    const std::string point = RestorePointPath(dir / "Backup\\", "2025-01-31_08-05-09");
    const std::string backup = point + "\\" + MirrorPath(dir / "src\\Sub\\Data.TMP");
    test::MakeFolders(ParentFolderOf(backup));
    ASSERT_TRUE(::CopyFileA((dir / "src\\Sub\\Data.TMP").c_str(), backup.c_str(), FALSE));
    EXPECT_EQ(test::ReadFile(backup), "payload");

    std::string target;
    ASSERT_TRUE(UnmirrorPath(point, backup, target));
    EXPECT_EQ(target, dir / "src\\Sub\\Data.TMP");  // by its own name, letter case and all
}

TEST(RestorePointCreation, TakesTheFirstFreeSecondAndOnlyUsableFolders) {
    test::TempFolder dir;
    const SYSTEMTIME start{2025, 12, 3, 31, 23, 59, 59, 500};
    const std::string first = CreateRestorePoint(dir / "Backup", start).Value();
    EXPECT_EQ(first, dir / "Backup\\2025-12-31_23-59-59");
    // A second cleaning in the same second, and a third, never share a folder with the first.
    EXPECT_EQ(CreateRestorePoint(dir / "Backup\\", start).Value(), dir / "Backup\\2026-01-01_00-00-00");
    test::WriteFile(dir / "Backup\\2026-01-01_00-00-01", "a file of that name");
    EXPECT_EQ(CreateRestorePoint(dir / "Backup", start).Value(), dir / "Backup\\2026-01-01_00-00-02");
    EXPECT_TRUE(test::NamesIn(first).empty());

    // A folder refused as a backup folder says so, rather than leaving the reason to chance.
    for (const char* unusable : {"", "Backup"}) {
        const win::ResultOf<std::string> refused = CreateRestorePoint(unusable, start);
        EXPECT_EQ(refused.Value(), "");
        EXPECT_EQ(refused.Error(), static_cast<DWORD>(ERROR_INVALID_NAME)) << unusable;
    }
    for (const char* usable : {"C:\\", "d:\\Backup", "C:\\Backup\\", "\\\\nas\\share", "\\\\nas\\share\\b"})
        EXPECT_TRUE(IsUsableBackupFolder(usable)) << usable;
    for (const char* unusable : {"", "Backup", "C:", "C:Backup", "\\Backup", "\\\\nas", "\\\\nas\\",
                                 "\\\\?\\C:\\b", "C:\\B*", "1:\\b"})
        EXPECT_FALSE(IsUsableBackupFolder(unusable)) << unusable;
}

TEST(ExactFilePaths, RefuseNamesTheFileCallsWouldReadAsAnotherFile) {
    for (const char* exact : {"C:\\a\\b.tmp", "\\\\nas\\share\\f.txt", "C:\\a..b\\.hidden", "C:\\x"})
        EXPECT_TRUE(IsExactFilePath(exact)) << exact;
    for (const char* other :
         {"C:\\a\\b.", "C:\\a\\b ", "C:\\a.\\b", "C:\\a \\b", "C:\\a\\..\\b", "C:\\a\\\\b", "C:\\a\\*.tmp",
          "C:\\a?", "\\\\?\\C:\\a.", "\\\\.\\C:\\a", "a\\b", "C:a", ""})
        EXPECT_FALSE(IsExactFilePath(other)) << other;
}

TEST(RestorePointNames, ReadSixNumbersAsScanningWould) {
    RestorePoint point;
    ASSERT_TRUE(ParseRestorePointName("2025-01-31_08-05-09", point));
    EXPECT_EQ(point.name, "2025-01-31_08-05-09");
    EXPECT_EQ(std::vector<int>({point.year, point.month, point.day, point.hour, point.minute, point.second}),
              std::vector<int>({2025, 1, 31, 8, 5, 9}));
    ASSERT_TRUE(ParseRestorePointName("2025-01-31_08-05-09-old", point));
    EXPECT_EQ(point.second, 9);
    ASSERT_TRUE(ParseRestorePointName("2025-01-31_08-05-095", point));  // the third digit is trailing text
    EXPECT_EQ(point.second, 9);
    ASSERT_TRUE(ParseRestorePointName("7-1-2_3-4-5", point));  // fewer digits are fine
    EXPECT_EQ(point.year, 7);

    for (const char* name : {"Backup", "2025-1-31", "", "2025-01-31", "2025-01-31_08-05", "2025-01-31_08-05-",
                             "20250-01-31_08-05-09", "2025-001-31_08-05-09", "2025-01-31-08-05-09",
                             "2025_01_31_08_05_09", " 2025-01-31_08-05-09", "+2025-01-31_08-05-09",
                             "2025- 1-31_08-05-09", "2025--1-31_08-05-09", "x2025-01-31_08-05-09"})
        EXPECT_FALSE(ParseRestorePointName(name, point)) << name;
}

TEST(RestorePointListing, ListsFoldersAndKeepsOnlyRestorePointNames) {
    test::TempFolder dir;
    for (const char* folder : {"2025-01-31_08-05-09", "2024-12-24_18-00-00", "2025-01-31_08-05-09-old",
                               "Backup", "2025-1-31", "2025-03-01_10-00-00"})
        test::MakeFolders(dir / folder);
    test::WriteFile(dir / "2025-02-01_00-00-00", "a file, not a folder");
    ::SetFileAttributesA((dir / "2025-03-01_10-00-00").c_str(),
                         FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);

    TextMap map{{"stale", "x"}};
    ListRestorePoints(dir.Path(), map, true, 0);
    EXPECT_EQ(map, (TextMap{{"2024-12-24_18-00-00", dir / "2024-12-24_18-00-00"},
                            {"2025-01-31_08-05-09", dir / "2025-01-31_08-05-09"},
                            {"2025-01-31_08-05-09-old", dir / "2025-01-31_08-05-09-old"},
                            {"2025-03-01_10-00-00", dir / "2025-03-01_10-00-00"},
                            {"2025-1-31", dir / "2025-1-31"},
                            {"Backup", dir / "Backup"}}));

    TextMap kept{{"stale", "x"}};
    ListRestorePoints(dir.Path() + "\\", kept, false, FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(kept.count("stale"), 1u);
    EXPECT_EQ(kept.count("2025-03-01_10-00-00"), 0u);
    EXPECT_EQ(kept["Backup"], dir / "Backup");  // no doubled backslash after a root that ends in one

    TextMap none{{"stale", "x"}};
    ListRestorePoints("", none, true, 0);
    EXPECT_TRUE(none.empty());
    ListRestorePoints(dir / "missing", none, true, 0);
    EXPECT_TRUE(none.empty());

    std::vector<RestorePoint> points = FindRestorePoints(dir.Path());
    EXPECT_EQ(Names(points), (std::vector<std::string>{"2024-12-24_18-00-00", "2025-01-31_08-05-09",
                                                       "2025-01-31_08-05-09-old", "2025-03-01_10-00-00"}));
    EXPECT_EQ(points[0].path, dir / "2024-12-24_18-00-00");
    EXPECT_EQ(points[0].hour, 18);
    ::SetFileAttributesA((dir / "2025-03-01_10-00-00").c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

// A restore point reads as its date and time in the forms of the language spoken (German: day
// first), with seconds, in the order the translation puts them.
TEST(RestorePointListing, DisplayTextIsTheLocalesDateAndTimeInTheTranslatedOrder) {
    test::TempFolder dir;
    test::WriteFile(dir / "t.language", "[String]\r\n_RescueDialogListItemFormat=%2$s, %1$s\r\n");
    LanguageTable& table = LanguageTable::Instance();
    const std::string previous = table.Path();
    table.SetPath(dir / "t.language");
    SetCurrentLocale(LocaleForLanguage("de", ""));
    RestorePoint point;
    ASSERT_TRUE(ParseRestorePointName("2025-01-31_08-05-09", point));
    // The time first, as the translation asks; then the day before the month.
    const std::string text = RestorePointDisplayText(point);
    EXPECT_EQ(text.rfind("08:05:09, 31.", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 5), ".2025") << text;
    point.year = 70000;  // cut to 16 bits, as the numbers of a SYSTEMTIME would be
    const std::string cut = RestorePointDisplayText(point);
    EXPECT_EQ(cut.substr(cut.size() - 5), ".4464") << cut;
    SetCurrentLocale(TextLocale());
    table.SetPath(previous);
}

TEST(RestorePointRemoval, DeletesTheWholeTreeAndRefusesUnsafePaths) {
    test::TempFolder dir;
    const std::string point = dir / "Backup\\2025-01-31_08-05-09";
    test::WriteFile(point + "\\C\\Temp\\x.tmp");
    test::WriteFile(point + "\\E\\Cache\\deep\\y.dat");
    test::WriteFile(point + "\\readme.txt");
    // A backup keeps its file's attributes: a read-only, hidden one goes too.
    ASSERT_TRUE(::SetFileAttributesW(win::FileApiPath(point + "\\readme.txt").c_str(),
                                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    test::WriteFile(dir / "Backup\\2025-02-01_00-00-00\\C\\keep.txt");
    EXPECT_EQ(RemoveRestorePoint(point).Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(test::Exists(point));
    EXPECT_TRUE(test::Exists(dir / "Backup\\2025-02-01_00-00-00\\C\\keep.txt"));

    // A wildcard would take every matching folder: refused, both stay.
    test::MakeFolders(dir / "rp1");
    test::MakeFolders(dir / "rp2");
    EXPECT_NE(RemoveRestorePoint(dir / "rp*").Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(RemoveRestorePoint(dir / "rp?").Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(test::Exists(dir / "rp1"));
    EXPECT_TRUE(test::Exists(dir / "rp2"));

    // A relative path would be taken from the current folder: refused.
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.Path().c_str()));
    EXPECT_NE(RemoveRestorePoint("rp1").Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(RemoveRestorePoint(".\\rp1").Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_NE(RemoveRestorePoint(dir / "rp1\\..").Error(), static_cast<DWORD>(ERROR_SUCCESS));
    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(test::Exists(dir / "rp1"));
    EXPECT_TRUE(test::Exists(dir.Path()));

    for (const char* unsafe :
         {"", "C:\\", "C:", "C:\\\\", "c:/", "C:x", "\\", "\\x", "x\\y", "\\\\nas\\share", "\\\\nas\\share\\",
          "\\\\nas", "\\\\?\\C:\\x", "\\\\.\\C:\\x", "C:\\a\\\\b", "C:\\a\\..\\..", "C:\\a\\.", "1:\\x"})
        EXPECT_FALSE(IsSafeToRemove(unsafe)) << unsafe;
    for (const char* safe :
         {"C:\\Backup\\2025-01-31_08-05-09", "d:\\x\\", "C:/Backup/x", "\\\\nas\\share\\x", "C:\\a..b"})
        EXPECT_TRUE(IsSafeToRemove(safe)) << safe;
    EXPECT_FALSE(IsSafeToRemove(std::string("C:\\a\0b", 6)));

    EXPECT_NE(RemoveRestorePoint(dir / "never-there").Error(), static_cast<DWORD>(ERROR_SUCCESS));
}

// Wine makes no folder whose Unix path passes 4,096 bytes (about 2,000 levels of one letter), and a
// deep path is slow there, so the trees are 120 levels deep, on a stack that would carry 50.
TEST(RestorePointRemoval, TreesDeeperThanTheStackCarriesAreRestoredAndRemoved) {
    test::TempFolder dir;
    std::string levels;
    for (int i = 0; i < 120; ++i)
        levels += "\\d";
    const std::string point = dir / "Backup\\2025-01-31_08-05-09";
    const std::string source = dir / "data" + levels + "\\f.txt";
    test::WriteFile(point + "\\" + MirrorPath(source), "deep");
    const std::string other = dir / "Backup\\2025-02-01_00-00-00";
    test::WriteFile(other + levels + "\\g.txt", "deep too");
    test::NoProgress progress;
    RestoreOutcome outcome;
    DWORD removal = ERROR_GEN_FAILURE;
    ASSERT_TRUE(RanOnSmallStack([&] {
        outcome = RestoreFiles(point, dir / "Log", progress);
        removal = RemoveRestorePoint(other).Error();
    }));
    EXPECT_EQ(outcome.restored, 1);
    EXPECT_EQ(test::ReadFile(source), "deep");
    EXPECT_TRUE(outcome.removed);
    EXPECT_FALSE(test::Exists(point));
    EXPECT_EQ(removal, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(test::Exists(other));
    EXPECT_EQ(test::NamesIn(dir / "Backup"), std::vector<std::string>{});
}
