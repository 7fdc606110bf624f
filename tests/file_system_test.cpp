// The file calls' path forms: every full path in the "\\?\" form that the system reads exactly,
// and a long path that cannot have it refused everywhere; names ordered as the file system
// compares them; the one true form of a folder; a last-access time kept across others' reads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <tuple>
#include <vector>

#include "support/TestFiles.h"
#include "win/ApiPath.h"
#include "win/Fold.h"
#include "win/LastAccessKept.h"
#include "win/FolderListing.h"
#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/TruePath.h"
#include "win/VerifiedCopy.h"

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
    const win::ResultOf<DWORD> attributes = win::FileAttributes(longRelative);
    EXPECT_FALSE(attributes);
    EXPECT_EQ(attributes.Error(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    const win::Result removed = win::RemoveFile(longRelative);
    EXPECT_FALSE(removed);
    EXPECT_EQ(removed.Error(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
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

// A device that loses the last byte of each write but reports it written.
BOOL WINAPI ShortWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(file, data, size - 1, &done, nullptr);
    *written = ok ? size : done;
    return ok;
}

// One that writes every byte, the first one wrong.
BOOL WINAPI GarbledWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    std::string bytes(static_cast<const char*>(data), size);
    bytes[0] = static_cast<char>(bytes[0] ^ 0x5A);
    return ::WriteFile(file, bytes.data(), size, written, nullptr);
}

}  // namespace

namespace {

std::atomic<int> g_folderReads{0};

BOOL WINAPI CountedFolderRead(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD bytes) {
    ++g_folderReads;
    return ::GetFileInformationByHandleEx(file, kind, buffer, bytes);
}

struct Listed {
    std::vector<std::tuple<std::wstring, DWORD, uint64_t, uint64_t>> entries;  // name, attributes, size, id
    int reads = 0;
    DWORD error = ERROR_SUCCESS;
};

Listed ListFolder(const std::string& folder, win::ListingEnd end) {
    Listed listed;
    g_folderReads = 0;
    win::SetFolderReadFunction(CountedFolderRead);
    win::FolderListing listing(win::FileApiPath(folder), end);
    win::ListedEntry entry;
    while (listing.Next(entry))
        listed.entries.emplace_back(std::wstring(entry.name), entry.attributes, entry.size, entry.fileId);
    win::SetFolderReadFunction(nullptr);
    listed.reads = g_folderReads;
    listed.error = listing.Error();
    return listed;
}

}  // namespace

// A block that ends with room for another record ends the listing: the same entries in the same
// order as reading on until the file system says there are no more, one read fewer where the last
// block had room, and every entry of a folder whose records fill a block to its end (510 names of
// 9 characters beside "." and "..", in 64 KB).
TEST(FolderListing, AShortBlockEndsTheListingWithEveryEntryListed) {
    test::TempFolder dir;
    const struct {
        const char* folder;
        int files;
        bool fillsItsLastBlock;
    } cases[] = {{"none", 0, false}, {"one", 1, false}, {"block", 510, true}, {"many", 1500, false}};
    for (const auto& c : cases) {
        test::MakeFolders(dir / c.folder);
        for (int i = 0; i < c.files; ++i) {
            char name[16];
            std::snprintf(name, sizeof(name), "f%04d.tmp", i);
            test::WriteFile(dir / (std::string(c.folder) + "\\" + name), i % 3 ? "x" : "");
        }
        const Listed askAgain = ListFolder(dir / c.folder, win::ListingEnd::AskAgain);
        const Listed shortBlockEnds = ListFolder(dir / c.folder, win::ListingEnd::ShortBlockEnds);
        EXPECT_EQ(askAgain.entries.size(), static_cast<size_t>(c.files) + 2) << c.folder;
        EXPECT_EQ(shortBlockEnds.entries, askAgain.entries) << c.folder;
        EXPECT_EQ(shortBlockEnds.error, static_cast<DWORD>(ERROR_SUCCESS)) << c.folder;
        EXPECT_EQ(shortBlockEnds.reads, askAgain.reads - (c.fillsItsLastBlock ? 0 : 1)) << c.folder;
    }
}

// Only a drive letter of a fixed disk trusts a short block; a share is always asked again.
TEST(FolderListing, OnlyAFixedDriveEndsAListingAtAShortBlock) {
    test::TempFolder dir;
    EXPECT_EQ(win::ListingEndFor(win::FileApiPath(dir.Path())), win::ListingEnd::ShortBlockEnds);
    EXPECT_EQ(win::ListingEndFor(L"\\\\?\\UNC\\server\\share\\folder\\"), win::ListingEnd::AskAgain);
    EXPECT_EQ(win::ListingEndFor(L"\\\\server\\share\\"), win::ListingEnd::AskAgain);
    EXPECT_EQ(win::ListingEndFor(L"\\\\?\\Volume{00000000-0000-0000-0000-000000000000}\\"),
              win::ListingEnd::AskAgain);
}

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

// A copy counts only once it is on the disk as the file is: one that lost or changed bytes on
// the way is removed again and says why, and the source stays as it was. A good copy has the
// file's bytes, times, attributes and named data streams, and never replaces another file.
TEST(CopyOpenFile, ACopyCountsOnlyWithTheFilesOwnSizeAndBytes) {
    test::TempFolder dir;
    const std::string source = dir / "source.bin";
    std::string content(300'000, '\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 251);
    test::WriteFile(source, content);
    ASSERT_TRUE(win::SetFileAttributesOf(source, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    win::UniqueFile file = win::OpenFile(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(file);

    const std::string copy = dir / "copy.bin";
    for (win::CopyWriteFunction fault : {ShortWrite, GarbledWrite}) {
        win::SetCopyWriteFunction(fault);
        const win::Result copied = win::CopyOpenFile(file.get(), copy);
        win::SetCopyWriteFunction(nullptr);
        EXPECT_FALSE(copied);
        EXPECT_EQ(copied.Error(), static_cast<DWORD>(ERROR_WRITE_FAULT));
        EXPECT_FALSE(test::Exists(copy));
    }
    EXPECT_EQ(test::ReadFile(source), content);

    ASSERT_TRUE(win::CopyOpenFile(file.get(), copy));
    EXPECT_EQ(test::ReadFile(copy), content);
    EXPECT_EQ(win::FileAttributes(copy).Value() & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    const FileStamp original = test::StampOf(source), copied = test::StampOf(copy);
    EXPECT_EQ(copied.lastWrite.dwLowDateTime, original.lastWrite.dwLowDateTime);
    EXPECT_EQ(copied.lastWrite.dwHighDateTime, original.lastWrite.dwHighDateTime);

    test::WriteFile(dir / "taken.bin", "someone else's");
    const win::Result over = win::CopyOpenFile(file.get(), dir / "taken.bin");
    EXPECT_EQ(over.Error(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(test::ReadFile(dir / "taken.bin"), "someone else's");
}

// Where the volume keeps named data streams (Wine keeps none), they go with the copy.
TEST(CopyOpenFile, NamedStreamsGoWithTheCopy) {
    test::TempFolder dir;
    const std::string source = dir / "source.bin";
    test::WriteFile(source, "the data");
    WIN32_FIND_STREAM_DATA stream;
    win::UniqueFind streams(
        ::FindFirstStreamW(win::FileApiPath(source).c_str(), FindStreamInfoStandard, &stream, 0));
    if (!streams)
        GTEST_SKIP() << "this volume keeps no named streams";
    test::WriteFile(source + ":note", "beside the data");
    win::UniqueFile file = win::OpenFile(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(win::CopyOpenFile(file.get(), dir / "with-stream.bin"));
    EXPECT_EQ(test::ReadFile(dir / "with-stream.bin:note"), "beside the data");
}

// The true form of a folder where the system's final path falls short under Wine (it drops a
// name's final dots, gives none from 260 characters on) or there is none yet: the names on the
// way resolved (case on disk), every name of its own kept, the rest appended as given.
TEST(TruePath, KeepsEveryNameOfItsOwnAndNamesAFolderNotMadeYetThroughItsParent) {
    test::TempFolder dir;
    const std::string base = win::TruePathOf(dir.Path()).Value();
    std::string deep = base + "\\Name\\a.";
    while (deep.size() < 300)
        deep += "\\a folder name of some length";
    for (const std::string& folder : {base + "\\Name\\a", base + "\\Name\\...", deep})
        test::MakeFolders(folder);
    EXPECT_EQ(win::TruePathOf(base + "\\NAME\\...\\").Value(), base + "\\Name\\...");
    EXPECT_EQ(win::TruePathOf(base + "\\NAME" + deep.substr(base.size() + 5)).Value(), deep);
    const win::ResultOf<std::string> notMade = win::TruePathOf(base + "\\NAME\\a.\\not yet\\made");
    EXPECT_EQ(notMade.Value(), base + "\\Name\\a.\\not yet\\made");
    EXPECT_TRUE(notMade.Error() == ERROR_FILE_NOT_FOUND || notMade.Error() == ERROR_PATH_NOT_FOUND)
        << notMade.Error();
    EXPECT_EQ(win::TruePathOfText("Backup").Error(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

// One object whatever path reached it (the same volume and file id), and its final path in the
// case the disk keeps; another file of the same folder is another object.
TEST(SameObject, HandlesOnOneFileThroughAnyCaseAreOneObject) {
    test::TempFolder dir;
    const std::string base = win::TruePathOf(dir.Path()).Value();
    test::WriteFile(base + "\\Name.txt", "one");
    test::WriteFile(base + "\\other.txt", "two");
    const win::UniqueFile named = win::OpenToLookAt(base + "\\Name.txt");
    const win::UniqueFile shouted = win::OpenToLookAt(base + "\\NAME.TXT");
    const win::UniqueFile other = win::OpenToLookAt(base + "\\other.txt");
    ASSERT_TRUE(named && shouted && other);
    EXPECT_TRUE(win::SameObject(named.get(), shouted.get()));
    EXPECT_FALSE(win::SameObject(named.get(), other.get()));
    const win::ResultOf<std::string> final = win::FinalPathOf(shouted.get());
    ASSERT_TRUE(final) << final.Error();
    EXPECT_EQ(final.Value(), base + "\\Name.txt");
}

namespace {

uint64_t LastAccessOf(const std::string& path) {
    const FILETIME time = test::StampOf(path).lastAccess;
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Reads the file through a handle of its own, as the shell's icon and version reads do.
void ReadThrough(const std::string& path) {
    win::UniqueFile file = win::OpenFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_TRUE(file);
    char data[16];
    DWORD read = 0;
    ASSERT_TRUE(::ReadFile(file.get(), data, sizeof(data), &read, nullptr));
}

}  // namespace

// The time goes back only to the file that was held and is still at its path: a file that took
// the name meanwhile keeps its own time, and a file removed meanwhile stays removed.
TEST(LastAccessKept, PutsTheTimeBackOnlyWhileThePathStillNamesTheHeldFile) {
    test::TempFolder dir;
    const std::string path = dir / "looked-at.txt", other = dir / "other.txt";
    test::WriteFile(path, "looked at");
    test::SetAccessedAgo(path, 400);
    const uint64_t before = LastAccessOf(path);
    {
        win::LastAccessKept kept(path);
        ASSERT_TRUE(kept.Held());
        ASSERT_NO_FATAL_FAILURE(ReadThrough(path));
        EXPECT_TRUE(kept.Restore());
        EXPECT_FALSE(kept.Restore());  // once
    }
    EXPECT_EQ(LastAccessOf(path), before);

    test::WriteFile(other, "took its name");
    test::SetAccessedAgo(other, 30);
    const uint64_t othersTime = LastAccessOf(other);
    {
        win::LastAccessKept kept(path);
        ASSERT_TRUE(kept.Held());
        // Moved aside, and another file put in its place.
        ASSERT_TRUE(::MoveFileA(path.c_str(), (dir / "moved aside.txt").c_str()));
        ASSERT_TRUE(::MoveFileA(other.c_str(), path.c_str()));
        EXPECT_FALSE(kept.Restore());
    }
    EXPECT_EQ(LastAccessOf(path), othersTime);
    EXPECT_EQ(test::ReadFile(path), "took its name");

    {
        win::LastAccessKept kept(path);
        ASSERT_TRUE(kept.Held());
        ASSERT_TRUE(::DeleteFileA(path.c_str()));
        // Windows opens nothing at a name whose deletion waits for our handle; Wine still opens
        // the file, and the time it gets back goes with it.
        kept.Restore();
    }
    EXPECT_FALSE(test::Exists(path));

    // Nothing to hold: a path that names nothing, or a folder.
    EXPECT_FALSE(win::LastAccessKept(path).Held());
    EXPECT_FALSE(win::LastAccessKept(dir.Path()).Held());
}
