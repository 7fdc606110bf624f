#include "scan/Subfolders.h"

#include <windows.h>

#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/FolderListing.h"
#include "win/Text.h"

namespace {

// Calls visit with each subfolder's name until it returns false.
template <typename Visit>
void ForEachSubfolder(const std::string& path, Visit&& visit) {
    // "C:" alone would be the current folder of drive C: the listing is of "C:\\".
    win::FolderListing listing(win::FileApiPath(win::EndsWithBackslash(path) ? path : path + "\\"));
    win::ListedEntry entry;
    while (listing.Next(entry)) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && entry.name != L"." && entry.name != L".." &&
            !visit(win::Narrow(entry.name)))
            return;
    }
}

}  // namespace

std::vector<std::string> ListSubfolders(const std::string& path) {
    std::vector<std::string> names;
    ForEachSubfolder(path, [&](std::string name) {
        names.push_back(std::move(name));
        return true;
    });
    return names;
}

bool HasSubfolder(const std::string& path) {
    bool found = false;
    ForEachSubfolder(path, [&](const std::string&) {
        found = true;
        return false;
    });
    return found;
}
