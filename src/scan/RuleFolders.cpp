#include "scan/RuleFolders.h"

#include <windows.h>

#include "scan/Wildcard.h"
#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/FolderListing.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/TextParts.h"

namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return (win::EndsWithBackslash(folder) ? folder : folder + "\\") + name;
}

bool HasWildcard(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

bool IsFolder(const std::string& path) {
    const win::ResultOf<DWORD> attributes = win::FileAttributes(path);
    return attributes && (attributes.Value() & FILE_ATTRIBUTE_DIRECTORY);
}

// The entries of folder whose names match mask (folded), "." and ".." never; folders only when
// foldersOnly, and then never a folder link.
std::vector<std::string> Matches(const std::string& folder, const std::wstring& mask, bool foldersOnly) {
    std::vector<std::string> found;
    win::FolderListing listing(win::FileApiPath(Join(folder, "")));
    win::ListedEntry entry;
    while (listing.Next(entry)) {
        if (entry.name == L"." || entry.name == L"..")
            continue;
        const bool isFolder = entry.attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (foldersOnly && (!isFolder || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        if (MatchWildcard(mask, win::Folded(entry.name)))
            found.push_back(Join(folder, win::Narrow(entry.name)));
    }
    return found;
}

// The folders that match the steps of pattern below its root, up to (not including) step last.
std::vector<std::string> FoldersUpTo(const std::string& pattern, size_t& last,
                                     std::vector<std::string>& steps) {
    // The root keeps its own backslashes: "C:\", "\\server\share\".
    size_t rootEnd = 3;
    if (pattern.rfind("\\\\", 0) == 0) {
        rootEnd = pattern.find('\\', 2);
        rootEnd = rootEnd == std::string::npos ? pattern.size() : pattern.find('\\', rootEnd + 1);
        rootEnd = rootEnd == std::string::npos ? pattern.size() : rootEnd + 1;
    }
    std::string root = pattern.substr(0, rootEnd);
    if (!win::EndsWithBackslash(root))
        root += '\\';
    if (rootEnd < pattern.size())
        for (const std::string_view step : win::PathSteps(std::string_view(pattern).substr(rootEnd)))
            steps.emplace_back(step);
    last = steps.empty() ? 0 : steps.size() - 1;
    std::vector<std::string> folders{root};
    for (size_t i = 0; i < last && !folders.empty(); ++i) {
        std::vector<std::string> next;
        for (const std::string& folder : folders) {
            if (!HasWildcard(steps[i])) {
                next.push_back(Join(folder, steps[i]));
                continue;
            }
            for (std::string& match : Matches(folder, win::FoldedText(steps[i]), true))
                next.push_back(std::move(match));
        }
        folders = std::move(next);
    }
    return folders;
}

}  // namespace

std::vector<std::string> MatchingFolders(const std::string& pattern) {
    std::vector<std::string> found;
    if (!win::IsFullPath(pattern))
        return found;
    size_t last = 0;
    std::vector<std::string> steps;
    const std::vector<std::string> parents = FoldersUpTo(pattern, last, steps);
    for (const std::string& parent : parents) {
        if (steps.empty()) {
            if (IsFolder(parent))
                found.push_back(parent);
        } else if (!HasWildcard(steps[last])) {
            const std::string folder = Join(parent, steps[last]);
            if (IsFolder(folder))
                found.push_back(folder);
        } else {
            for (std::string& match : Matches(parent, win::FoldedText(steps[last]), true))
                found.push_back(std::move(match));
        }
    }
    return found;
}

bool AnythingMatches(const std::string& pattern) {
    if (!win::IsFullPath(pattern))
        return false;
    size_t last = 0;
    std::vector<std::string> steps;
    for (const std::string& parent : FoldersUpTo(pattern, last, steps)) {
        if (steps.empty() || !HasWildcard(steps[last])) {
            const std::string path = steps.empty() ? parent : Join(parent, steps[last]);
            if (win::FileAttributes(path))
                return true;
        } else if (!Matches(parent, win::FoldedText(steps[last]), false).empty()) {
            return true;
        }
    }
    return false;
}
