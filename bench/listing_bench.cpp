// Compares ways of listing a folder tree, on one tree (its folder is the first argument) and in one
// run: today's FindFirstFileA/FindNextFileA walk, FindFirstFileW/FindNextFileW, FindFirstFileExW with
// the basic record and large fetches on a \\?\ path, and each folder opened as a handle and read with
// GetFileInformationByHandleEx(FileIdBothDirectoryInfo) into a reusable buffer. Every variant walks
// the same way (recursing from inside the listing, as SearchFolder does; never into a reparse point;
// "." and ".." skipped), counts the files and sums their sizes, and the program checks that every run
// of every variant counted the same. The wide variants run a second time converting each file name
// to UTF-8, to price what the program would do per file. Prints a Markdown report.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Only the timing helpers: BenchTree.h also brings the scan's results model, which nothing here needs.
#include "BenchTree.inl"
#include "win/UniqueHandle.h"

namespace {

constexpr int kDefaultRounds = 5;
constexpr int kMinimumRounds = 3;
constexpr DWORD kBufferBytes = 64 * 1024;

struct Tally {
    uint64_t files = 0;
    uint64_t bytes = 0;
    uint64_t folders = 0;       // below the root
    uint64_t utf8Bytes = 0;     // of the file names, where a variant converts them
    uint64_t failures = 0;      // folders that could not be opened or whose listing ended early
    uint64_t listingCalls = 0;  // GetFileInformationByHandleEx calls that returned records

    bool SameWalk(const Tally& other) const {
        return files == other.files && bytes == other.bytes && folders == other.folders && failures == 0 &&
               other.failures == 0;
    }
};

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool IsDotEntry(const wchar_t* name, size_t length) {
    return name[0] == L'.' && (length == 1 || (length == 2 && name[1] == L'.'));
}

bool Descends(DWORD attributes) {
    // A folder link may lead out of the tree or back into it: never follow one.
    return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

uint64_t Size(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

template <bool kUtf8>
void ConvertName(const wchar_t* name, int length, Tally& tally) {
    if constexpr (kUtf8) {
        // 255 UTF-16 units make at most 765 bytes of UTF-8.
        char utf8[1024];
        tally.utf8Bytes += static_cast<uint64_t>(
            ::WideCharToMultiByte(CP_UTF8, 0, name, length, utf8, sizeof(utf8), nullptr, nullptr));
    }
}

void NoteListingEnd(Tally& tally) {
    if (::GetLastError() != ERROR_NO_MORE_FILES)
        ++tally.failures;
}

// 1. Today's walk.
void WalkAnsi(const std::string& folder, Tally& tally) {
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA((folder + "\\*.*").c_str(), &record));
    if (!listing) {
        ++tally.failures;
        return;
    }
    do {
        if (!(record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++tally.files;
            tally.bytes += Size(record.nFileSizeHigh, record.nFileSizeLow);
        } else if (!IsDotEntry(record.cFileName) && Descends(record.dwFileAttributes)) {
            ++tally.folders;
            WalkAnsi(folder + "\\" + record.cFileName, tally);
        }
    } while (::FindNextFileA(listing.get(), &record));
    NoteListingEnd(tally);
}

// 2. The same calls in UTF-16, with the same "*.*", so only the character set differs.
template <bool kUtf8>
void WalkWide(const std::wstring& folder, Tally& tally) {
    WIN32_FIND_DATAW record;
    win::UniqueFind listing(::FindFirstFileW((folder + L"\\*.*").c_str(), &record));
    if (!listing) {
        ++tally.failures;
        return;
    }
    do {
        if (!(record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++tally.files;
            tally.bytes += Size(record.nFileSizeHigh, record.nFileSizeLow);
            ConvertName<kUtf8>(record.cFileName, static_cast<int>(std::wcslen(record.cFileName)), tally);
        } else if (!IsDotEntry(record.cFileName, std::wcslen(record.cFileName)) &&
                   Descends(record.dwFileAttributes)) {
            ++tally.folders;
            WalkWide<kUtf8>(folder + L"\\" + record.cFileName, tally);
        }
    } while (::FindNextFileW(listing.get(), &record));
    NoteListingEnd(tally);
}

// 3. No short names, larger fetches, and a \\?\ path that skips the path normalisation.
template <bool kUtf8>
void WalkWideEx(const std::wstring& folder, Tally& tally) {
    WIN32_FIND_DATAW record;
    win::UniqueFind listing(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &record,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!listing) {
        ++tally.failures;
        return;
    }
    do {
        if (!(record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            ++tally.files;
            tally.bytes += Size(record.nFileSizeHigh, record.nFileSizeLow);
            ConvertName<kUtf8>(record.cFileName, static_cast<int>(std::wcslen(record.cFileName)), tally);
        } else if (!IsDotEntry(record.cFileName, std::wcslen(record.cFileName)) &&
                   Descends(record.dwFileAttributes)) {
            ++tally.folders;
            WalkWideEx<kUtf8>(folder + L"\\" + record.cFileName, tally);
        }
    } while (::FindNextFileW(listing.get(), &record));
    NoteListingEnd(tally);
}

// 4. Each folder opened as a handle and read many records at a time. The walk recurses from inside
// a folder's records, so each depth keeps a buffer of its own; the buffers live as long as the
// walker and are reused by every folder at their depth.
// What one handle walk outside the timed rounds keeps of every file: its FileId and its name, the
// names back to back.
struct FileRecords {
    std::vector<uint64_t> ids;
    std::wstring names;
    std::vector<size_t> nameEnds;
};

class HandleWalker {
  public:
    explicit HandleWalker(FileRecords* records = nullptr) : records_(records) {}

    template <bool kUtf8>
    void Walk(const std::wstring& folder, size_t depth, Tally& tally) {
        // A drive root needs its backslash: \\?\C: alone names the volume, not its root folder.
        const std::wstring openable = folder.back() == L':' ? folder + L"\\" : folder;
        win::UniqueFile handle(::CreateFileW(openable.c_str(), FILE_LIST_DIRECTORY,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!handle) {
            ++tally.failures;
            return;
        }
        if (buffers_.size() <= depth)
            buffers_.push_back(std::make_unique<LONGLONG[]>(kBufferBytes / sizeof(LONGLONG)));
        void* const buffer = buffers_[depth].get();  // 8-byte aligned, as the records need

        FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
        while (::GetFileInformationByHandleEx(handle.get(), kind, buffer, kBufferBytes)) {
            kind = FileIdBothDirectoryInfo;
            ++tally.listingCalls;
            const auto* entry = static_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer);
            for (;;) {
                const size_t length = entry->FileNameLength / sizeof(WCHAR);
                if (!(entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                    ++tally.files;
                    tally.bytes += static_cast<uint64_t>(entry->EndOfFile.QuadPart);
                    if (records_) {
                        records_->ids.push_back(static_cast<uint64_t>(entry->FileId.QuadPart));
                        records_->names.append(entry->FileName, length);
                        records_->nameEnds.push_back(records_->names.size());
                    }
                    ConvertName<kUtf8>(entry->FileName, static_cast<int>(length), tally);
                } else if (!IsDotEntry(entry->FileName, length) && Descends(entry->FileAttributes)) {
                    ++tally.folders;
                    Walk<kUtf8>(folder + L"\\" + std::wstring(entry->FileName, length), depth + 1, tally);
                }
                if (entry->NextEntryOffset == 0)
                    break;
                entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(reinterpret_cast<const char*>(entry) +
                                                                       entry->NextEntryOffset);
            }
        }
        NoteListingEnd(tally);
    }

  private:
    std::vector<std::unique_ptr<LONGLONG[]>> buffers_;
    FileRecords* records_;
};

struct Variant {
    Variant(const char* name, bool convertsNames, std::function<void(Tally&)> walk)
        : name(name), convertsNames(convertsNames), walk(std::move(walk)) {}

    const char* name;
    bool convertsNames;
    std::function<void(Tally&)> walk;
    std::vector<double> times;
    std::vector<Tally> tallies;  // one per timed round
};

std::wstring ToWide(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(std::max(length, 1)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

std::wstring LongPathOf(const std::wstring& folder) {
    if (folder.rfind(L"\\\\?\\", 0) == 0)
        return folder;
    std::wstring full(32768, L'\0');
    const DWORD length =
        ::GetFullPathNameW(folder.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length);
    if (full.rfind(L"\\\\", 0) == 0)  // \\server\share becomes \\?\UNC\server\share
        return L"\\\\?\\UNC" + full.substr(1);
    return L"\\\\?\\" + full;
}

std::string WithoutTrailingBackslash(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

std::wstring WithoutTrailingBackslash(std::wstring folder) {
    while (folder.size() > 1 && (folder.back() == L'\\' || folder.back() == L'/'))
        folder.pop_back();
    return folder;
}

unsigned long long Ull(uint64_t value) {
    return static_cast<unsigned long long>(value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: listing_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(std::atoi(argv[2]), kMinimumRounds) : kDefaultRounds;
    const std::string root = WithoutTrailingBackslash(argv[1]);
    const std::wstring wideRoot = WithoutTrailingBackslash(ToWide(root));
    const std::wstring longRoot = WithoutTrailingBackslash(LongPathOf(wideRoot));

    HandleWalker handleWalker;
    std::vector<Variant> variants;
    variants.emplace_back("1. FindFirstFileA/FindNextFileA, `*.*`", false,
                          [&](Tally& t) { WalkAnsi(root, t); });
    variants.emplace_back("2. FindFirstFileW/FindNextFileW, `*.*`", false,
                          [&](Tally& t) { WalkWide<false>(wideRoot, t); });
    variants.emplace_back("2u. the same + each file name to UTF-8", true,
                          [&](Tally& t) { WalkWide<true>(wideRoot, t); });
    variants.emplace_back("3. FindFirstFileExW, FindExInfoBasic, large fetch, `\\\\?\\` path, `*`", false,
                          [&](Tally& t) { WalkWideEx<false>(longRoot, t); });
    variants.emplace_back("3u. the same + each file name to UTF-8", true,
                          [&](Tally& t) { WalkWideEx<true>(longRoot, t); });
    const size_t handleVariant = variants.size();
    variants.emplace_back(
        "4. CreateFileW + GetFileInformationByHandleEx(FileIdBothDirectoryInfo), 64 KB buffer", false,
        [&](Tally& t) { handleWalker.Walk<false>(longRoot, 0, t); });
    variants.emplace_back("4u. the same + each file name to UTF-8", true,
                          [&](Tally& t) { handleWalker.Walk<true>(longRoot, 0, t); });

    // One untimed round first: it warms the file system's caches for all alike and gives the
    // counts every timed run must match.
    Tally reference;
    variants.front().walk(reference);
    for (size_t i = 1; i < variants.size(); ++i) {
        Tally warm;
        variants[i].walk(warm);
    }

    // Rounds interleave the variants and start each round one variant later, so neither a busy
    // moment of the machine nor the cache left by a neighbour falls on one variant alone.
    const size_t count = variants.size();
    for (int round = 0; round < rounds; ++round) {
        for (size_t step = 0; step < count; ++step) {
            Variant& variant = variants[(static_cast<size_t>(round) + step) % count];
            Tally tally;
            variant.times.push_back(MedianMs(1, [&] { variant.walk(tally); }));
            variant.tallies.push_back(tally);
        }
    }

    // Every run of every variant must have counted what the first walk counted; the converting
    // variants must have made the same UTF-8.
    bool same = reference.failures == 0;
    uint64_t utf8Bytes = 0;
    bool sameUtf8 = true;
    for (const Variant& variant : variants) {
        for (const Tally& tally : variant.tallies) {
            same = same && tally.SameWalk(reference);
            if (variant.convertsNames) {
                if (utf8Bytes == 0)
                    utf8Bytes = tally.utf8Bytes;
                sameUtf8 = sameUtf8 && tally.utf8Bytes == utf8Bytes && utf8Bytes != 0;
            }
        }
    }

    // The file ids the handle listing gives, and the names, outside the timed rounds.
    FileRecords records;
    Tally recordTally;
    HandleWalker(&records).Walk<false>(longRoot, 0, recordTally);
    std::vector<uint64_t>& ids = records.ids;

    // The UTF-8 conversion alone, from names in memory: in the walks its cost drowns in their noise.
    std::vector<double> conversionTimes;
    uint64_t conversionBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        Tally tally;
        conversionTimes.push_back(MedianMs(1, [&] {
            size_t start = 0;
            for (size_t end : records.nameEnds) {
                ConvertName<true>(records.names.data() + start, static_cast<int>(end - start), tally);
                start = end;
            }
        }));
        conversionBytes = tally.utf8Bytes;
    }
    const double conversion = Median(conversionTimes);
    const uint64_t nonZero =
        static_cast<uint64_t>(std::count_if(ids.begin(), ids.end(), [](uint64_t id) { return id != 0; }));
    std::sort(ids.begin(), ids.end());
    const uint64_t distinct = static_cast<uint64_t>(std::unique(ids.begin(), ids.end()) - ids.begin());

    std::printf("## %s\n\n", root.c_str());
    std::printf(
        "Tree: %llu files in %llu folders, %llu bytes. %d rounds after one untimed warm-up round; each "
        "round runs every variant once, starting one variant later than the round before; the median "
        "counts, and the range is the fastest and the slowest round. Other work on the machine slows single "
        "walks down, so the fastest walks are compared too.\n\n",
        Ull(reference.files), Ull(reference.folders + 1), Ull(reference.bytes), rounds);
    std::printf(
        "| variant | time (ms) | range (ms) | files | bytes | ratio | ratio, fastest walks |\n"
        "|---|---:|---:|---:|---:|---:|---:|\n");
    const double baseline = Median(variants.front().times);
    const double fastestBaseline =
        *std::min_element(variants.front().times.begin(), variants.front().times.end());
    for (const Variant& variant : variants) {
        const double time = Median(variant.times);
        const auto [fastest, slowest] = std::minmax_element(variant.times.begin(), variant.times.end());
        const Tally& last = variant.tallies.back();
        std::printf("| %s | %.0f | %.0f-%.0f | %llu | %llu | %.2f | %.2f |\n", variant.name, time, *fastest,
                    *slowest, Ull(last.files), Ull(last.bytes), time / baseline, *fastest / fastestBaseline);
    }
    std::printf("\nAll variants counted the same files and bytes, in every round: %s",
                same ? "yes" : "NO, the times above do not compare");
    std::printf(" (%llu files, %llu bytes, %llu folders below the root).\n", Ull(reference.files),
                Ull(reference.bytes), Ull(reference.folders));
    std::printf(
        "UTF-8: the \"u\" rows convert each file name with WideCharToMultiByte(CP_UTF8), the cost the "
        "program would add per file; they made the same %llu bytes of UTF-8: %s. Variant 1 gets its "
        "names in the ANSI code page and converts nothing.\n",
        Ull(utf8Bytes), sameUtf8 ? "yes" : "NO");
    std::printf(
        "The conversion alone, of the %zu names in memory: %.1f ms, median of %d (%.0f ns per file; %s "
        "UTF-8).\n",
        records.nameEnds.size(), conversion, rounds,
        conversion * 1e6 / static_cast<double>(records.nameEnds.size()),
        conversionBytes == utf8Bytes ? "the same" : "NOT the same");
    const Tally& handleTally = variants[handleVariant].tallies.back();
    std::printf(
        "FileIdBothDirectoryInfo: %llu calls with records for the %llu folders; FileId non-zero for "
        "%llu of %zu files, %llu distinct.\n",
        Ull(handleTally.listingCalls), Ull(handleTally.folders + 1), Ull(nonZero), ids.size(), Ull(distinct));
    return same && sameUtf8 ? 0 : 1;
}
