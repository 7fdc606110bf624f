#include "win/PathParts.h"

#include "win/CharStep.h"

namespace win {

std::string FolderPartOf(std::string_view path) {
    const size_t cut = FindLastCharOf(path, "\\:");
    if (cut == std::string_view::npos)
        return {};
    std::string folder(path.substr(0, cut));
    if (path[cut] == ':' && folder.find(':') == std::string::npos)
        folder += ':';
    return folder;
}

std::string NamePartOf(std::string_view path) {
    const size_t cut = FindLastCharOf(path, "\\:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

bool StartsAtDriveRoot(std::string_view path) noexcept {
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return path.size() >= 3 && isLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

bool IsFullPath(std::string_view path) noexcept {
    if (StartsAtDriveRoot(path))
        return true;
    if (path.substr(0, 2) != "\\\\")
        return false;
    // "\\server\share": a non-empty server name, a backslash, then a share name.
    for (size_t i = 2; i < path.size(); i = NextCharIndex(path, i))
        if (path[i] == '\\')
            return i > 2 && i + 1 < path.size() && path[i + 1] != '\\';
    return false;
}

bool IsRootPath(std::string_view path) noexcept {
    while (EndsWithBackslash(path))
        path.remove_suffix(1);
    if (path.size() == 2 && path[1] == ':')
        return true;
    if (path.substr(0, 2) != "\\\\")
        return false;
    // "\\server\share" has one backslash after the leading pair; a folder on the share has two.
    int separators = 0;
    for (size_t i = 2; i < path.size(); i = NextCharIndex(path, i))
        if (path[i] == '\\')
            ++separators;
    return separators < 2;
}

}  // namespace win
