#include "clean/EmptyFolders.h"

#include <windows.h>

#include <algorithm>

#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"

namespace {

// Removes the folder through a handle that is checked to be the real folder at path, not a link.
bool RemoveCheckedFolder(const std::string& path) {
    win::UniqueFile folder = win::OpenFile(
        path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
    if (!folder)
        return false;
    const win::ResultOf<win::OpenFileFacts> facts = win::QueryOpenFile(folder.get());
    if (!facts || !(facts->attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (facts->attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !win::IsAtPath(folder.get(), path))
        return false;
    // The system refuses to delete a folder that is not empty.
    return static_cast<bool>(win::DeleteOpenFile(folder.get()));
}

size_t Depth(const std::string& path) {
    return static_cast<size_t>(std::count(path.begin(), path.end(), '\\'));
}

bool MustStay(const std::string& folder, const std::vector<std::string>& stay) {
    return std::any_of(stay.begin(), stay.end(), [&](const std::string& kept) {
        std::string_view form(kept);
        while (form.size() > 3 && win::EndsWithBackslash(form))
            form.remove_suffix(1);
        return win::SameFolded(form, folder);
    });
}

}  // namespace

int RemoveEmptiedFolders(const std::string& root, const std::vector<std::string>& removedFiles,
                         const std::vector<std::string>& stay) {
    std::string base = root;
    while (base.size() > 3 && win::EndsWithBackslash(base))
        base.pop_back();
    const std::wstring foldedBase = win::FoldedText(base + "\\");
    std::vector<std::string> folders;
    for (const std::string& file : removedFiles) {
        if (win::FoldedText(file).compare(0, foldedBase.size(), foldedBase) != 0)
            continue;
        // Every folder from the file's own up to the root.
        for (size_t cut = file.rfind('\\'); cut != std::string::npos && cut >= base.size();
             cut = file.rfind('\\', cut - 1)) {
            folders.push_back(file.substr(0, cut));
            if (cut == base.size())
                break;
        }
    }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    std::stable_sort(folders.begin(), folders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    int removed = 0;
    for (const std::string& folder : folders)
        removed += !MustStay(folder, stay) && RemoveCheckedFolder(folder) ? 1 : 0;
    return removed;
}
