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

// The true form of a folder where the system's final path falls short under Wine (it drops a
// name's final dots, gives none from 260 characters on) or there is none yet: the names on the
// way resolved (case on disk), every name of its own kept, the rest appended as given.
TEST(TruePath, KeepsEveryNameOfItsOwnAndNamesAFolderNotMadeYetThroughItsParent) {
    test::TempFolder dir;
    const std::string base = win::TruePathOf(dir.Path()).path;
    std::string deep = base + "\\Name\\a.";
    while (deep.size() < 300)
        deep += "\\a folder name of some length";
    for (const std::string& folder : {base + "\\Name\\a", base + "\\Name\\...", deep})
        test::MakeFolders(folder);
    EXPECT_EQ(win::TruePathOf(base + "\\NAME\\...\\").path, base + "\\Name\\...");
    EXPECT_EQ(win::TruePathOf(base + "\\NAME" + deep.substr(base.size() + 5)).path, deep);
    const win::TruePath notMade = win::TruePathOf(base + "\\NAME\\a.\\not yet\\made");
    EXPECT_EQ(notMade.path, base + "\\Name\\a.\\not yet\\made");
    EXPECT_TRUE(notMade.error == ERROR_FILE_NOT_FOUND || notMade.error == ERROR_PATH_NOT_FOUND)
        << notMade.error;
    EXPECT_EQ(win::TruePathOfText("Backup").error, static_cast<DWORD>(ERROR_INVALID_NAME));
}
