// The activity log's store: lossless texts, framing, order, concurrent writers and damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "LogRecord.h"
#include "LogStore.h"
#include "win/Text.h"
#include "support/TestFiles.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

using logwright::LogEntry;
using logwright::LogStore;

namespace {

std::wstring Wide(const std::string& s) {
    return win::Wide(s);
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms = 0) {
    SYSTEMTIME t{};
    t.wYear = year;
    t.wMonth = month;
    t.wDay = day;
    t.wHour = hour;
    t.wMinute = minute;
    t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

LogEntry Entry(const std::wstring& text, const std::wstring& subcategory = L"Cleaning") {
    LogEntry e;
    e.time = Time(2025, 1, 31, 8, 5, 9, 250);
    e.type = L"Information";
    e.category = L"Quillmoor";
    e.subcategory = subcategory;
    e.source = L"Quillmoor";
    e.text = text;
    return e;
}

void ExpectSame(const LogEntry& a, const LogEntry& b) {
    EXPECT_EQ(logwright::FormatTime(a.time), logwright::FormatTime(b.time));
    EXPECT_EQ(a.time.wMilliseconds, b.time.wMilliseconds);
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.category, b.category);
    EXPECT_EQ(a.subcategory, b.subcategory);
    EXPECT_EQ(a.source, b.source);
    EXPECT_EQ(a.text, b.text);
}

std::vector<std::wstring> Texts(const std::vector<LogEntry>& entries) {
    std::vector<std::wstring> texts;
    for (const LogEntry& e : entries)
        texts.push_back(e.text);
    return texts;
}

std::string Bytes(const std::string& path) {
    return test::ReadFile(path);
}

std::string ThisProgram() {
    char path[MAX_PATH * 2] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path);
    // Wine names a program run from outside its drives "unix\...", the device path without its prefix.
    if (strncmp(path, "unix\\", 5) == 0)
        return std::string("\\\\?\\") + path;
    return path;
}

// Appends 'count' entries "<tag>:<n>", one call each, from a separate process.
HANDLE StartChildWriter(const std::string& folder, const std::string& tag, int count) {
    std::string program = ThisProgram();
    std::string command = "\"";
    command.append(program).append("\" --append-child \"").append(folder).append("\" ").append(tag);
    command.append(" ").append(std::to_string(count));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &process)) {
        ADD_FAILURE() << "cannot start " << program << ", error " << ::GetLastError();
        return nullptr;
    }
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

// A long text makes interleaved writes show: every entry's text must come back whole.
std::wstring LongText(const std::wstring& tag) {
    std::wstring text;
    for (int i = 0; i < 100; ++i)
        text += tag + L" line\r\n";
    return text;
}

// Checks that every writer's entries "<tag>:<n>" are all there once, newest first, and whole.
void ExpectAllWriters(const std::vector<LogEntry>& entries, const std::map<std::wstring, int>& counts) {
    std::map<std::wstring, int> nextExpected;  // counting down, as the list is newest first
    for (const auto& [tag, count] : counts)
        nextExpected[tag] = count - 1;
    size_t total = 0;
    for (const LogEntry& e : entries) {
        size_t colon = e.subcategory.find(L':');
        ASSERT_NE(colon, std::wstring::npos) << "unexpected entry";
        std::wstring tag = e.subcategory.substr(0, colon);
        int n = std::stoi(e.subcategory.substr(colon + 1));
        ASSERT_TRUE(nextExpected.count(tag)) << "unknown writer";
        EXPECT_EQ(n, nextExpected[tag]) << "writer " << win::Narrow(tag.c_str()) << " out of order or lost";
        nextExpected[tag] = n - 1;
        EXPECT_EQ(e.text, LongText(e.subcategory));
        ++total;
    }
    size_t expectedTotal = 0;
    for (const auto& [tag, count] : counts)
        expectedTotal += static_cast<size_t>(count);
    EXPECT_EQ(total, expectedTotal);
    for (const auto& [tag, next] : nextExpected)
        EXPECT_EQ(next, -1) << "entries missing";
}

}  // namespace

TEST(Wtf8, KeepsEveryUtf16CodeUnitSequence) {
    std::wstring all;
    for (unsigned u = 0; u <= 0xFFFF; ++u)
        all += static_cast<wchar_t>(u);
    std::wstring tricky =
        L"a\xD83D\xDE00"  // a surrogate pair
        L"\xD800"         // a lone high surrogate
        L"\xDC00\xD800"   // a low before a high: two lone ones
        L"z\xDBFF";       // a high surrogate at the very end
    for (const std::wstring& text : {all, tricky, std::wstring(L"\0x\0", 3), std::wstring()}) {
        std::wstring back;
        ASSERT_TRUE(win::FromWtf8(win::ToWtf8(text), back));
        EXPECT_EQ(back, text);
    }
    EXPECT_EQ(win::ToWtf8(L"\xD83D\xDE00"), "\xF0\x9F\x98\x80");  // a pair is one 4-byte sequence
    EXPECT_EQ(win::ToWtf8(L"\xE9"), "\xC3\xA9");
}

TEST(Wtf8, RejectsMalformedBytes) {
    std::wstring out;
    for (const char* bad : {"\x80", "\xC0\x80", "\xC3", "\xE2\x82", "\xE0\x80\x80", "\xF5\x80\x80\x80",
                            "\xF4\x90\x80\x80", "\xC3\x41", "\xFF"})
        EXPECT_FALSE(win::FromWtf8(bad, out)) << "accepted " << bad;
}

TEST(LogStore, KeepsEveryFieldOfAnEntry) {
    test::TempFolder dir;
    // The data folder and the folders above it do not exist yet.
    LogStore store(Wide(dir / "Prog\\Log\\Data"));
    // Several scripts, an emoji and an unpaired surrogate.
    const std::string highBytes = "\xE6\xBC\xA2\xE5\xAD\x97 \xCE\xA9 \xF0\x9F\x98\x80 \xED\xA0\x80";
    LogEntry entry =
        Entry(Wide("Files deleted permanently:\r\n\r\nC:\\Temp\\caf\xC3\xA9.tmp\r\n\r\n" + highBytes));
    entry.time = Time(2024, 12, 24, 18, 0, 59, 999);
    entry.type = Wide("Type \xC3\x84");
    entry.category = std::wstring(L"Cat\0egory", 9);
    entry.subcategory = L"Sub \xD800 lone surrogate";
    entry.source = L"";

    ASSERT_EQ(store.Append({entry}), S_OK);
    EXPECT_TRUE(test::Exists(dir / "Prog\\Log\\Data\\Entries.lwlog"));
    std::vector<LogEntry> back = LogStore(Wide(dir / "Prog\\Log\\Data\\")).ReadAll();
    ASSERT_EQ(back.size(), 1u);
    ExpectSame(back[0], entry);
    // The program's text comes back byte for byte.
    EXPECT_EQ(win::Narrow(std::wstring_view(back[0].text.c_str(), back[0].text.size())),
              "Files deleted permanently:\r\n\r\nC:\\Temp\\caf\xC3\xA9.tmp\r\n\r\n" + highBytes);
}

TEST(LogStore, ListsNewestFirstAndStampsLocalTime) {
    test::TempFolder dir;
    LogStore store(Wide(dir.Path()));
    ASSERT_EQ(store.Append({Entry(L"first")}), S_OK);
    ASSERT_EQ(store.Append({Entry(L"second"), Entry(L"third")}), S_OK);

    SYSTEMTIME before{}, after{};
    ::GetLocalTime(&before);
    ASSERT_EQ(store.Add(L"Information", L"Quillmoor", L"Backup", L"Quillmoor", L"fourth"), S_OK);
    ::GetLocalTime(&after);

    std::vector<LogEntry> entries = store.ReadAll();
    EXPECT_EQ(Texts(entries), (std::vector<std::wstring>{L"fourth", L"third", L"second", L"first"}));
    auto stamp = [](const SYSTEMTIME& t) { return logwright::FormatTime(t); };
    EXPECT_GE(stamp(entries[0].time), stamp(before));
    EXPECT_LE(stamp(entries[0].time), stamp(after));
    EXPECT_EQ(entries[0].subcategory, L"Backup");
}

TEST(LogStore, WithoutEntriesOrPathListsNothing) {
    test::TempFolder dir;
    LogStore missing(Wide(dir / "not\\there"));
    EXPECT_TRUE(missing.ReadAll().empty());
    EXPECT_FALSE(test::Exists(dir / "not")) << "reading must not create the folder";
    EXPECT_EQ(missing.Append({}), S_OK);
    EXPECT_FALSE(test::Exists(dir / "not"));

    LogStore none;
    EXPECT_TRUE(none.ReadAll().empty());
    EXPECT_EQ(none.Append({Entry(L"x")}), E_UNEXPECTED);

    // A data path that is a file cannot hold the log, and says so.
    test::WriteFile(dir / "file", "x");
    EXPECT_TRUE(FAILED(LogStore(Wide(dir / "file")).Append({Entry(L"x")})));
}

TEST(LogStore, ConcurrentWritersLoseAndInterleaveNothing) {
    test::TempFolder dir;
    const int kThreads = 6, kPerThread = 150, kPerChild = 150;
    HANDLE childA = StartChildWriter(dir.Path(), "childA", kPerChild);
    HANDLE childB = StartChildWriter(dir.Path(), "childB", kPerChild);
    ASSERT_NE(childA, nullptr);
    ASSERT_NE(childB, nullptr);
    win::UniqueHandle a(childA), b(childB);

    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // Each thread has its own store object, as each use of the component has.
            LogStore store(Wide(dir.Path()));
            std::wstring tag = L"thread" + std::to_wstring(t);
            for (int n = 0; n < kPerThread; ++n) {
                std::wstring sub = tag + L":" + std::to_wstring(n);
                if (store.Add(L"Information", L"Quillmoor", sub, L"Test", LongText(sub)) != S_OK)
                    ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (HANDLE child : {a.get(), b.get()}) {
        ASSERT_EQ(::WaitForSingleObject(child, 120000), WAIT_OBJECT_0);
        DWORD code = 1;
        ::GetExitCodeProcess(child, &code);
        EXPECT_EQ(code, 0u) << "a child writer failed";
    }
    for (int f : failures)
        EXPECT_EQ(f, 0);

    std::map<std::wstring, int> counts{{L"childA", kPerChild}, {L"childB", kPerChild}};
    for (int t = 0; t < kThreads; ++t)
        counts[L"thread" + std::to_wstring(t)] = kPerThread;
    ExpectAllWriters(LogStore(Wide(dir.Path())).ReadAll(), counts);
}

TEST(LogStore, SkipsDamagedRecordsAndListsTheRest) {
    test::TempFolder dir;
    using logwright::EncodeRecord;
    std::string one = EncodeRecord(Entry(L"one")), two = EncodeRecord(Entry(L"two"));
    std::string three = EncodeRecord(Entry(L"three")), four = EncodeRecord(Entry(L"four"));

    std::string flipped = EncodeRecord(Entry(L"flipped"));
    flipped[flipped.size() - 3] ^= 0x20;  // the checksum no longer fits
    // A frame and checksum that fit around a payload that is not an entry.
    std::string nonsense = logwright::FrameRecord("not an entry at all");
    std::string badTime = EncodeRecord(Entry(L"bad time"));
    badTime[logwright::kRecordHeaderSize + 2] = 13;  // month 13, checksum made to fit again
    badTime = logwright::FrameRecord(badTime.substr(logwright::kRecordHeaderSize));
    std::string huge = EncodeRecord(Entry(L"huge"));
    huge[7] = '\x7F';  // a length far beyond the file

    std::string file = one + one.substr(0, one.size() / 2)  // a torn write in the middle
                       + two + "garbage between records" + flipped + nonsense + badTime + huge + three +
                       four.substr(0, 20);  // and a torn write at the end
    test::WriteFile(dir / "Entries.lwlog", file);

    LogStore store(Wide(dir.Path()));
    EXPECT_EQ(Texts(store.ReadAll()), (std::vector<std::wstring>{L"three", L"two", L"one"}));

    // Appending after a torn tail still gives a readable entry.
    ASSERT_EQ(store.Append({Entry(L"five")}), S_OK);
    EXPECT_EQ(Texts(store.ReadAll()), (std::vector<std::wstring>{L"five", L"three", L"two", L"one"}));
    EXPECT_EQ(Bytes(dir / "Entries.lwlog").substr(file.size()), EncodeRecord(Entry(L"five")));
}

TEST(LogStore, ReadsEntriesWhoseTextHoldsTheRecordMarker) {
    test::TempFolder dir;
    LogStore store(Wide(dir.Path()));
    ASSERT_EQ(store.Append({Entry(L"LWR1LWR1"), Entry(L"x LWR1")}), S_OK);
    EXPECT_EQ(Texts(store.ReadAll()), (std::vector<std::wstring>{L"x LWR1", L"LWR1LWR1"}));
}

// Run as "--append-child <folder> <tag> <count>", the program is one of the writer processes above.
int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--append-child") {
        LogStore store(Wide(argv[2]));
        std::wstring tag = Wide(argv[3]);
        int count = std::atoi(argv[4]);
        for (int n = 0; n < count; ++n) {
            std::wstring sub = tag + L":" + std::to_wstring(n);
            if (store.Add(L"Information", L"Quillmoor", sub, L"Test", LongText(sub)) != S_OK)
                return 1;
        }
        return 0;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
