#pragma once
// The log kept under a data folder, independent of COM and windows.
//
// All entries live in one append-only file, "Entries.lwlog", in the data folder (created with
// every missing folder above it by the first append). Each append writes its records in a single
// write under an exclusive byte-range lock beyond the end of the data, so writers in other threads
// and processes wait for each other while readers never do, flushes them to disk, and on a short
// write cuts the file back to where it was. The record framing (LogRecord.h) carries a checksum, so
// a record is taken whole or not at all: a torn or damaged record is skipped and the others listed.

#include <string>
#include <vector>

#include "LogRecord.h"

namespace logwright {

inline constexpr const wchar_t* kLogFileName = L"Entries.lwlog";

class LogStore {
  public:
    LogStore() = default;
    // A relative path is taken from the current folder; a trailing backslash is dropped.
    explicit LogStore(const std::wstring& dataPath);

    const std::wstring& DataPath() const { return dataPath_; }
    std::wstring FilePath() const;
    bool HasPath() const { return !dataPath_.empty(); }

    // Appends the entries, in order, in one write; the entries keep the times they carry.
    // Returns S_OK, or the failure (nothing of the entries is then kept).
    HRESULT Append(const std::vector<LogEntry>& entries) const;
    // Appends one entry stamped with the current local time.
    HRESULT Add(std::wstring type, std::wstring category, std::wstring subcategory, std::wstring source,
                std::wstring text) const;

    // Every intact entry, newest (last appended) first. A missing log gives an empty list.
    std::vector<LogEntry> ReadAll() const;

  private:
    std::wstring dataPath_;
};

// Creates the folder and every missing folder above it; true when it exists afterwards.
bool EnsureFolder(const std::wstring& path);

}  // namespace logwright
