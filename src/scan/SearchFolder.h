#pragma once
// The recursive folder walk that decides, file by file, whether a file is junk and why.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
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

// (full path, description or nullptr, the entry's record from the listing, context)
using SearchCallback = void (*)(const std::string& path, const char* description, const WIN32_FIND_DATAA& record,
                                void* context);

// Walks root depth-first. Every file matching a mask (tried in the map's order) is reported with
// the mask's description; other files go through the zero-length, invalid-shortcut and
// not-accessed tests, reported with "_ZeroLengthFile", "_InvalidShortcut" or "_HaveNotAccessed".
// folderEntered is called for every folder entry, before any filter. Folder links (reparse
// points) are reported to folderEntered but never descended into. stop, when given, is tested
// between directory entries and ends the walk early.
void SearchFolder(const std::string& root, const TextMap& masks, SearchCallback found, void* foundContext,
                  const std::vector<std::string>& skipFolders, bool recurse, const SearchOptions& options,
                  SearchCallback folderEntered, void* folderContext, const std::atomic<bool>* stop = nullptr);
