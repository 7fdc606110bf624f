#pragma once
// The recursive folder walk that decides, file by file, whether a file is junk and why.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ScanResults.h"

// Filters and per-file tests of a walk.
struct SearchOptions {
    bool skipReadOnly = false;
    bool skipSystem = false;
    bool skipHidden = false;
    bool findZeroLength = false;
    bool findInvalidShortcuts = false;
    bool findNotAccessed = false;
    int32_t months = 0;  // month count of the not-accessed test
};

// What a walk looks for and what it leaves out.
struct SearchRequest {
    TextMap masks;                         // mask -> description, tried in the map's order
    std::vector<std::string> skipFolders;  // each leaves out every path it occurs in, in any case
    bool recurse = true;
    SearchOptions options;                    // filters and per-file tests
    const std::atomic<bool>* stop = nullptr;  // tested between directory entries
    // The program's own folders: each leaves out itself and everything below it, matched as whole
    // folders in any case ("C:\Data" leaves out "C:\Data\x", never "C:\DataFiles").
    std::vector<std::string> ownFolders;
};

// What the listing told of an entry: the walk takes no further look at a file it reports.
struct FoundRecord {
    DWORD attributes = 0;
    FileStamp stamp;
};

// What a walk reports; a visitor overrides what it needs. Paths are program text (UTF-8) with the
// true names the listing gave.
class SearchVisitor {
  public:
    virtual ~SearchVisitor() = default;
    // A junk file: its full path, its reason (the mask's description or the test's key) and its
    // record from the listing.
    virtual void FileFound(const std::string& /*path*/, std::string_view /*reason*/,
                           const FoundRecord& /*record*/) {}
    // Every folder entry, "." and ".." included, before any filter.
    virtual void FolderEntered(const std::string& /*path*/, const FoundRecord& /*record*/) {}
    // A folder whose listing failed (error says why): nothing below it is known.
    virtual void FolderUnreadable(const std::string& /*path*/, DWORD /*error*/) {}
};

// Walks root depth-first, at any depth and length of path. Every file matching a mask (tried in the
// map's order, without regard to case) is reported with the mask's description; other files go
// through the zero-length, invalid-shortcut and not-accessed tests, reported with
// "_ZeroLengthFile", "_InvalidShortcut" or "_HaveNotAccessed". Folder links (reparse points) are
// reported as folders but never descended into. A stop request ends the walk early.
void SearchFolder(const std::string& root, const SearchRequest& request, SearchVisitor& visitor);
