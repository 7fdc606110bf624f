#pragma once
// The yardstick of the scans that walk a few given folders (the cleaning rules', the caches'): the
// same tree listed on one thread, each folder as the walk lists it (win::FolderListing, in the file
// calls' form), counting its files and doing nothing else.

#include <windows.h>

#include <string>
#include <vector>

#include "win/ApiPath.h"
#include "win/FolderListing.h"
#include "win/Text.h"

inline size_t BareListing(const std::string& root) {
    size_t files = 0;
    std::vector<std::string> folders{root};
    while (!folders.empty()) {
        const std::string folder = folders.back();
        folders.pop_back();
        win::FolderListing listing(win::FileApiPath(folder + "\\"));
        win::ListedEntry entry;
        while (listing.Next(entry)) {
            if (entry.name == L"." || entry.name == L"..")
                continue;
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
                folders.push_back(folder + "\\" + win::Narrow(entry.name));
            else
                ++files;
        }
    }
    return files;
}
