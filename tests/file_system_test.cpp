// The file calls' path forms: every full path in the "\\?\" form that the system reads exactly,
// and a long path that cannot have it refused everywhere; names ordered as the file system
// compares them.
#include <gtest/gtest.h>

#include <set>

#include "support/TestFiles.h"
#include "win/FileSystem.h"
#include "win/Fold.h"

TEST(FileApiPath, FullPathsTakeTheExactFormAndALongPathWithoutItIsRefused) {
    EXPECT_EQ(win::FileApiPath("C:\\a. \\b"), L"\\\\?\\C:\\a. \\b");  // final dots and blanks kept
    EXPECT_EQ(win::FileApiPath("\\\\nas\\share\\f"), L"\\\\?\\UNC\\nas\\share\\f");
    EXPECT_EQ(win::FileApiPath("\\\\?\\C:\\x"), L"\\\\?\\C:\\x");
    EXPECT_EQ(win::FileApiPath("relative\\x"), L"relative\\x");
    EXPECT_EQ(win::FileApiPath("broken \xFF text"), L"");  // names no file at all
    EXPECT_EQ(win::FromFileApiPath(L"\\\\?\\UNC\\nas\\share\\f"), "\\\\nas\\share\\f");
    EXPECT_EQ(win::FromFileApiPath(L"\\\\?\\C:\\x"), "C:\\x");
    EXPECT_EQ(win::FromFileApiPath(L"\\\\?\\unix\\tmp"), "\\\\?\\unix\\tmp");  // no drive: kept whole

    // Without the prefix, a path of 260 characters or more would work under Wine and fail on
    // Windows: here it fails everywhere.
    const std::string longRelative(300, 'a');
    EXPECT_EQ(win::FileAttributes(longRelative), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_FALSE(win::RemoveFile(longRelative));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

// Texts that share bytes are compared from the character that holds the first differing byte,
// not from the byte itself: the order is the same as a comparison from the start.
TEST(CompareFolded, OrdersByWholeFoldedCharactersWhereTheBytesFirstDiffer) {
    EXPECT_GT(win::CompareFolded("C:\\Data\\b", "c:\\DATA\\A"), 0);
    EXPECT_LT(win::CompareFolded("C:\\data\\x", "C:\\data\\x\\y"), 0);
    EXPECT_EQ(win::CompareFolded("C:\\x\\", "c:\\X\\"), 0);
    // e-acute and E-acute differ only in their second byte, and fold alike.
    EXPECT_EQ(win::CompareFolded("a\xC3\xA9", "A\xC3\x89"), 0);
    EXPECT_EQ(win::CompareFolded("a\xC3\xA9", "a\xC3\x89"), 0);
    // U+00E9 before U+0100 (A-macron): the lead bytes differ after a shared one.
    EXPECT_LT(win::CompareFolded("x\xC3\xA9", "x\xC4\x80"), 0);
    // A cut sequence (a lone lead byte) sorts after every character, also when the other text
    // goes on with the rest of that sequence.
    EXPECT_GT(win::CompareFolded("x\xC3", "x\xC3\xA9"), 0);
    EXPECT_LT(win::CompareFolded("x\xC3\xA9", "x\xC3"), 0);
}

namespace {

BOOL WINAPI RefuseListingRequest(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

}  // namespace

// Some network servers refuse the by-handle listing request: the folder is then listed the
// ordinary way, every entry there, instead of passing for unreadable.
TEST(FolderListing, AVolumeThatRefusesTheByHandleRequestIsListedTheOrdinaryWay) {
    test::TempFolder dir;
    test::WriteFile(dir / "a.tmp", "a");
    test::WriteFile(dir / "sub\\b.tmp", "b");
    win::SetFolderReadFunction(RefuseListingRequest);
    win::FolderListing listing(win::FileApiPath(dir.Path()));
    std::set<std::wstring> names;
    win::ListedEntry entry;
    while (listing.Next(entry))
        names.insert(std::wstring(entry.name));
    win::SetFolderReadFunction(nullptr);
    EXPECT_EQ(listing.Error(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(names, (std::set<std::wstring>{L".", L"..", L"a.tmp", L"sub"}));
}
