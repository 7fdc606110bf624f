// The file calls' path forms: every full path in the "\\?\" form that the system reads exactly,
// and a long path that cannot have it refused everywhere; names ordered as the file system
// compares them; the one true form of a folder.
#include <gtest/gtest.h>

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

// The one true form of a folder: long names and the case on disk, every name the system could
// misread kept (Wine's final path drops a name's final dots and gives none from 260 characters
// on), and a folder not made yet named through its nearest existing folder.
TEST(TruePath, NamesAFolderByItsLongNamesAndCaseKeepingEveryNameOfItsOwn) {
    test::TempFolder dir;
    const std::string base = win::TruePathOf(dir.Path()).path;
    ASSERT_TRUE(test::Exists(base));
    const std::string folder = base + "\\Long Folder Name";
    test::MakeFolders(folder);
    const std::string shortFolder = test::ShortPathOf(folder);
    ASSERT_EQ(shortFolder.find("Long Folder Name"), std::string::npos) << shortFolder;

    EXPECT_EQ(win::TruePathOf(shortFolder).path, folder);
    EXPECT_EQ(win::TruePathOf(shortFolder + "\\").path, folder);
    EXPECT_EQ(win::TruePathOf(base + "\\LONG FOLDER NAME").path, folder);
    const win::TruePath notMade = win::TruePathOf(shortFolder + "\\not yet\\made");
    EXPECT_EQ(notMade.path, folder + "\\not yet\\made");
    EXPECT_TRUE(notMade.error == ERROR_FILE_NOT_FOUND || notMade.error == ERROR_PATH_NOT_FOUND)
        << notMade.error;

    // Beside "a" and "x": "a." and "..." are folders of their own.
    for (const char* name : {"a", "a.", "x", "..."})
        test::MakeFolders(folder + "\\x\\" + name);
    EXPECT_EQ(win::TruePathOf(shortFolder + "\\x\\a.").path, folder + "\\x\\a.");
    EXPECT_EQ(win::TruePathOf(shortFolder + "\\x\\...").path, folder + "\\x\\...");
    std::string deep = folder + "\\x\\a.";
    while (deep.size() < 300)
        deep += "\\a folder name of some length";
    test::MakeFolders(deep);
    const win::TruePath resolved = win::TruePathOf(shortFolder + deep.substr(folder.size()));
    EXPECT_EQ(resolved.path, deep);
    EXPECT_EQ(resolved.error, static_cast<DWORD>(ERROR_SUCCESS));

    EXPECT_EQ(win::TruePathOf("relative\\x").error, static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(win::TruePathOfText("Backup").path, "Backup");  // names no place of its own
    EXPECT_EQ(win::TruePathOfText(shortFolder + "\\x\\..\\\\x\\a.\\").path, folder + "\\x\\a.");
}
