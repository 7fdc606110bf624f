#pragma once
// The recursive folder walk that decides, file by file, whether a file is junk and why.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ScanResults.h"

class CacheFinder;

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

// Files a walk never reports: those in folder (and below it, with wholeTree) whose names match one
// of masks (none: every file, and with wholeTree the folder itself is not entered). The folder is a
// full path in the walked form; compared without regard to case.
struct SearchExclusion {
    std::string folder;
    std::vector<std::string> masks;
    bool wholeTree = false;
};

// What a walk looks for and what it leaves out.
struct SearchRequest {
    TextMap masks;  // mask -> description, tried in the map's order
    // Each leaves out every folder it names and what lies below it, wherever it occurs in a path as
    // whole steps, in any case: "node_modules" at any depth, never "node_modules_old"; a full path
    // only itself. An empty one leaves out nothing.
    std::vector<std::string> skipFolders;
    bool recurse = true;
    SearchOptions options;                    // filters and per-file tests
    const std::atomic<bool>* stop = nullptr;  // tested between directory entries
    // The program's own folders: each leaves out itself and everything below it, matched as whole
    // folders in any case ("C:\Data" leaves out "C:\Data\x", never "C:\DataFiles").
    std::vector<std::string> ownFolders;
    // Listing workers: 1 walks on the calling thread; more take folders from a shared queue, each
    // on a thread of its own, while the calling thread delivers their reports and keeps the
    // visitor's Pulse going.
    unsigned workers = 1;
    std::vector<SearchExclusion> exclusions{};
    // A walk for caches recognised by their structure: it takes no file by mask or test, only the
    // own files of each folder the finder recognises (CacheFinder::Recognise), and walks on below
    // every other folder. The finder serves every listing worker at once.
    CacheFinder* caches = nullptr;
};

// What the listing told of an entry: the walk takes no further look at a file it reports.
struct FoundRecord {
    DWORD attributes = 0;
    FileStamp stamp;
    unsigned walk = 0;  // which of SearchFolders' walks found it
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
    // Called on the calling thread again and again while the walk goes on (after each entry, or
    // every few milliseconds while listing workers run): the place to show progress.
    virtual void Pulse() {}
};
// Every call comes on the thread that called the walk: with several listing workers, their reports
// are handed over in batches and delivered there, each worker's in the order it made them, between
// Pulses.

// Walks root depth-first, at any depth and length of path. Every file matching a mask (tried in the
// map's order, without regard to case) is reported with the mask's description; other files go
// through the zero-length, invalid-shortcut and not-accessed tests, reported with
// "_ZeroLengthFile", "_InvalidShortcut" or "_HaveNotAccessed" (never for a last access in the future). Folder
// links (reparse points) are reported as folders but never descended into; file entries that are reparse
// points (file links) are never reported. Paths are built from root as given: a caller that acts on them
// later passes its root in true form (win::TruePathOf). A stop request ends the walk early; with listing
// workers, each ends before its next entry and the walk returns once all have ended. An exception
// from the visitor ends the walk the same way and is thrown again from here.
void SearchFolder(const std::string& root, const SearchRequest& request, SearchVisitor& visitor);

// One of several walks that share one pool of listing workers: a root and what it looks for.
struct SearchWalk {
    std::string root;
    SearchRequest request;
};

// Walks every root as SearchFolder does, with the listing workers and stop flag of the first
// request shared by all: many small trees (the folders of cleaning rules) keep the workers busy
// together instead of each starting its own. Walks' reports come in no fixed order between walks;
// each report's record names its walk (its index in walks).
void SearchFolders(const std::vector<SearchWalk>& walks, SearchVisitor& visitor);
