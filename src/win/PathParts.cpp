#include "win/PathParts.h"

#include "win/CharStep.h"

namespace win {

std::string FolderPartOf(std::string_view path, UINT codePage) {
    const size_t cut = FindLastCharOf(path, "\\:", codePage);
    if (cut == std::string_view::npos)
        return {};
    std::string folder(path.substr(0, cut));
    if (path[cut] == ':' && folder.find(':') == std::string::npos)
        folder += ':';
    return folder;
}

std::string NamePartOf(std::string_view path, UINT codePage) {
    const size_t cut = FindLastCharOf(path, "\\:", codePage);
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace win
