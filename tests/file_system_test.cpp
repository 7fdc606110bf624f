// The file calls' path forms: every full path in the "\\?\" form that the system reads exactly,
// and a long path that cannot have it refused everywhere.
#include <gtest/gtest.h>

#include "win/FileSystem.h"

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
