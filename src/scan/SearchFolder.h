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

// What a walk reports; a visitor overrides what it needs.
class SearchVisitor {
  public:
    virtual ~SearchVisitor() = default;
    // A junk file: its full path, its reason (the mask's description or the test's key) and its
    // record from the listing.
    virtual void FileFound(const std::string& /*path*/, std::string_view /*reason*/,
                           const WIN32_FIND_DATAA& /*record*/) {}
    // Every folder entry, "." and ".." included, before any filter.
    virtual void FolderEntered(const std::string& /*path*/, const WIN32_FIND_DATAA& /*record*/) {}
};

// Walks root depth-first. Every file matching a mask (tried in the map's order) is reported with
// the mask's description; other files go through the zero-length, invalid-shortcut and
// not-accessed tests, reported with "_ZeroLengthFile", "_InvalidShortcut" or "_HaveNotAccessed".
// Folder links (reparse points) are reported as folders but never descended into. A stop request
// ends the walk early.
void SearchFolder(const std::string& root, const SearchRequest& request, SearchVisitor& visitor);
