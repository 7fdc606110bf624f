#include "scan/Subfolders.h"

#include <windows.h>

#include "win/UniqueHandle.h"

namespace {

bool IsDot(const char* name) {
    return name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]));
}

// Calls visit with each subfolder's name until it returns false.
template <typename Visit>
void ForEachSubfolder(const std::string& path, Visit&& visit) {
    const std::string pattern = path + (!path.empty() && path.back() == '\\' ? "*.*" : "\\*.*");
    WIN32_FIND_DATAA record;
    win::UniqueFind listing(::FindFirstFileA(pattern.c_str(), &record));
    if (!listing)
        return;
    do {
        if ((record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDot(record.cFileName) &&
            !visit(std::string(record.cFileName)))
            return;
    } while (::FindNextFileA(listing.get(), &record));
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
