#pragma once
// The junk files that one scan found: path -> reason, in ascending unsigned byte order of the path.

#include <cstdint>
#include <map>
#include <string>

// std::string compares through char_traits<char>, which orders bytes as unsigned values, so the
// maps below sort paths byte by byte, case-sensitively ("C:\B" < "C:\a" < "C:\a\x").
using TextMap = std::map<std::string, std::string>;

// One found file.
struct ScanItem {
    std::string path;
    std::string reason;
};

class ScanResults {
public:
    void Clear() { entries_.clear(); }
    // Adds the path, or replaces the reason of a path already present: the last reason wins.
    void AddOrReplace(const std::string& path, const std::string& reason) { entries_[path] = reason; }
    size_t Count() const noexcept { return entries_.size(); }
    const TextMap& Entries() const noexcept { return entries_; }
    auto begin() const { return entries_.begin(); }
    auto end() const { return entries_.end(); }

private:
    TextMap entries_;
};

// Sizes as the report shows them: kilobytes and megabytes as doubles.
inline double BytesToKilobytes(uint64_t bytes) { return static_cast<double>(bytes) / 1024.0; }
inline double KilobytesToMegabytes(double kilobytes) { return kilobytes / 1024.0; }
