#include "win/PathParts.h"

#include <algorithm>
#include <vector>

#include "win/CharStep.h"
#include "win/TextParts.h"

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

namespace {

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A full path ("X:..." or "\\..."), with "/" already read as "\", in its normal form.
std::string NormalizedFullPath(std::string_view path) {
    std::string root;
    std::vector<std::string_view> steps;
    if (path[0] == '\\') {
        // "\\server\share" is the root: its two names are taken as they are.
        steps = PathSteps(path.substr(2));
        root = "\\\\";
        for (size_t i = 0; i < 2 && !steps.empty(); ++i) {
            root += i ? "\\" : "";
            root += steps.front();
            steps.erase(steps.begin());
        }
    } else {
        root = std::string(path.substr(0, 2)) + "\\";
        steps = PathSteps(path.substr(2));
    }
    std::vector<std::string_view> kept;
    for (std::string_view step : steps) {
        if (step == ".")
            continue;
        if (step == "..") {
            if (!kept.empty())
                kept.pop_back();
            continue;
        }
        kept.push_back(step);
    }
    std::string full = root;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0 || full.back() != '\\')
            full += '\\';
        full += kept[i];
    }
    return full;
}

}  // namespace

std::string NormalizedPath(std::string_view typed, std::string_view base) {
    std::string text(typed);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (text.compare(0, 4, "\\\\?\\") == 0 || text.compare(0, 4, "\\\\.\\") == 0)
        return std::string(typed);
    if (text.size() >= 2 && text[0] == '\\' && text[1] == '\\')
        return NormalizedFullPath(text);
    if (text.size() >= 3 && IsLetter(text[0]) && text[1] == ':' && text[2] == '\\')
        return NormalizedFullPath(text);
    // Relative to base: the whole of it, or its root for a path that starts with a backslash.
    std::string full(base);
    std::replace(full.begin(), full.end(), '/', '\\');
    const bool fullBase = (full.size() >= 2 && full[0] == '\\' && full[1] == '\\') ||
                          (full.size() >= 2 && IsLetter(full[0]) && full[1] == ':');
    if (!fullBase || (full.size() == 2 && full[0] == '\\'))
        return {};
    full = NormalizedFullPath(full);
    if (text.size() >= 2 && IsLetter(text[0]) && text[1] == ':')
        text.erase(0, 2);
    else if (!text.empty() && text[0] == '\\')
        full =
            NormalizedFullPath(full.substr(0, full[0] == '\\' ? full.find('\\', full.find('\\', 2) + 1) : 2));
    return NormalizedFullPath(full + "\\" + text);
}

std::string WithoutDevicePrefix(std::string_view typed) {
    std::string text(typed);
    std::replace(text.begin(), text.end(), '/', '\\');
    for (const char* prefix : {"\\\\?\\", "\\\\.\\", "\\??\\"}) {
        if (text.compare(0, 4, prefix) != 0)
            continue;
        std::string rest = text.substr(4);
        if (rest.size() >= 4 && (rest[0] == 'U' || rest[0] == 'u') && (rest[1] == 'N' || rest[1] == 'n') &&
            (rest[2] == 'C' || rest[2] == 'c') && rest[3] == '\\') {
            rest[2] = '\\';  // "UNC\server" becomes "\\server"
            return rest.substr(2);
        }
        if (rest.size() >= 2 && IsLetter(rest[0]) && rest[1] == ':')
            return rest;
        break;
    }
    return std::string(typed);
}

}  // namespace win
