#pragma once
// The junk files that one scan found, one row per path in ascending unsigned byte order of the
// path (program text is UTF-8, so this is the order of the code points, case-sensitive), each with
// its reason, size, last-access time and tick. Built for millions of rows in a 32-bit process: the
// paths lie in one store of large blocks, a reason is an index into a short table of distinct
// texts, and a row takes 44 bytes beside its path.
//
// One thread writes (the scan worker while it runs); rows are read in path order only once the
// writing is over. The order is put together on the first read after a change.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// std::string compares through char_traits<char>, which orders bytes as unsigned values, so the
// maps below sort paths byte by byte, case-sensitively ("C:\B" < "C:\a" < "C:\a\x").
using TextMap = std::map<std::string, std::string>;

// What the listing said of a found file: the report shows its size and access time, and the
// cleaning checks that the file is still the one listed (size, last write, id) before it acts.
// A folder that goes, with the folders below it, once a cleaning has emptied them of the listed
// files of one reason (a rule's REMOVESELF): only that place's own files count.
struct EmptiedFolderRule {
    std::string folder;  // true form
    std::string reason;  // as the results keep it
};

struct FileStamp {
    uint64_t size = 0;
    FILETIME lastAccess{};
    FILETIME lastWrite{};
    uint64_t fileId = 0;  // 0: the listing gave none
};

class ScanResults {
  public:
    void Clear();
    // Adds the path, ticked, or replaces the reason and stamp of a path already present (the last
    // reason wins; its tick stays).
    void AddOrReplace(std::string_view path, std::string_view reason, const FileStamp& stamp);
    void AddOrReplace(std::string_view path, std::string_view reason, uint64_t size = 0,
                      FILETIME lastAccess = {}) {
        AddOrReplace(path, reason, FileStamp{size, lastAccess, {}, 0});
    }
    size_t Count() const noexcept { return rows_.size(); }
    // Frees the index that finds a path again while rows are added (a tenth of the memory of a
    // million rows); an add afterwards makes it anew. For when the scan is over.
    void ReleaseIndex();

    // Row i in path order, 0 <= i < Count().
    std::string_view Path(size_t i) const;
    const std::string& Reason(size_t i) const;
    // Every reason a row has been given, each once.
    const std::vector<std::string>& Reasons() const noexcept { return reasons_; }
    // Row i's reason as an index into Reasons().
    size_t ReasonIndexOf(size_t i) const;
    // What the rows of one reason add up to, kept as rows come, change reason or are ticked, so
    // that the report's summary costs nothing per row when it is shown.
    struct ReasonTotals {
        size_t count = 0;
        uint64_t bytes = 0;
        size_t tickedCount = 0;
        uint64_t tickedBytes = 0;
    };
    const ReasonTotals& TotalsOf(size_t reason) const { return totals_[reason]; }
    // Ticks or unticks every row of one reason (an index into Reasons()).
    void SetReasonTicked(size_t reason, bool ticked);
    uint64_t Size(size_t i) const;
    FILETIME LastAccess(size_t i) const;
    FileStamp Stamp(size_t i) const;
    bool IsTicked(size_t i) const;
    void SetTicked(size_t i, bool ticked);
    void SetAllTicked(bool ticked);
    size_t TickedCount() const noexcept { return ticked_; }
    uint64_t TickedSize() const noexcept { return tickedSize_; }
    uint64_t TotalSize() const noexcept { return totalSize_; }

    // The ticked rows alone, in the same order, with their reasons and stamps.
    ScanResults TickedRows() const;

    // Path and reason of every row, in path order: for range-for as over a map.
    class Iterator {
      public:
        Iterator(const ScanResults* results, size_t i) : results_(results), i_(i) {}
        std::pair<std::string_view, const std::string&> operator*() const {
            return {results_->Path(i_), results_->Reason(i_)};
        }
        Iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return i_ != other.i_; }

      private:
        const ScanResults* results_;
        size_t i_;
    };
    Iterator begin() const { return {this, 0}; }
    Iterator end() const { return {this, Count()}; }

    // The same as a map of path -> reason, for small sets.
    TextMap ToTextMap() const;

  private:
    struct Row {
        uint32_t path;    // position in the path store
        uint32_t length;  // of the path, in bytes
        uint32_t sizeLow, sizeHigh;
        FILETIME lastAccess;
        FILETIME lastWrite;
        uint32_t idLow, idHigh;
        uint16_t reason;  // index into reasons_
    };
    // The paths, back to back in blocks that never move, so a growing store is never copied.
    class PathStore {
      public:
        uint32_t Add(std::string_view path);
        std::string_view At(uint32_t position, uint32_t length) const {
            return {blocks_[position >> kBlockBits].get() + (position & (kBlockSize - 1)), length};
        }
        void Clear() { *this = PathStore(); }
        PathStore() = default;
        PathStore(const PathStore& other);
        PathStore& operator=(const PathStore& other);
        PathStore(PathStore&&) noexcept = default;
        PathStore& operator=(PathStore&&) noexcept = default;

      private:
        static constexpr uint32_t kBlockBits = 20;
        static constexpr uint32_t kBlockSize = 1u << kBlockBits;
        std::vector<std::unique_ptr<char[]>> blocks_;
        uint32_t used_ = kBlockSize;  // in the last block
    };

    std::string_view PathOf(const Row& row) const;
    static Row MakeRow(uint32_t position, uint32_t length, uint16_t reason, const FileStamp& stamp);
    uint16_t ReasonIndex(std::string_view reason);
    const Row& RowAt(size_t i) const { return rows_[OrderedRow(i)]; }
    uint32_t OrderedRow(size_t i) const;

    uint32_t FindRow(std::string_view path, uint32_t hash) const;
    void SetRowTicked(uint32_t row, bool ticked);  // by found order
    void GrowIndex();

    PathStore paths_;
    // Open addressing: row + 1 per slot, 0 for an empty one; at most half full.
    std::vector<uint32_t> slots_;
    std::vector<uint32_t> hashes_;  // by found order
    std::vector<Row> rows_;         // in the order they were found
    std::vector<bool> ticks_;       // by found order
    std::vector<std::string> reasons_;
    std::vector<ReasonTotals> totals_;     // by reason
    mutable std::vector<uint32_t> order_;  // path order -> found order; empty until needed
    mutable bool ordered_ = true;
    size_t ticked_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t tickedSize_ = 0;
};

// Sizes as the report shows them: kilobytes and megabytes as doubles.
inline double BytesToKilobytes(uint64_t bytes) {
    return static_cast<double>(bytes) / 1024.0;
}
inline double KilobytesToMegabytes(double kilobytes) {
    return kilobytes / 1024.0;
}
