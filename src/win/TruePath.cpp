#include "win/TruePath.h"

#include <cctype>
#include <utility>

#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Text.h"

namespace win {

std::string TypedFullPath(std::string_view typed) {
    const bool driveRelative = typed.size() >= 2 && typed[1] == ':' &&
                               std::isalpha(static_cast<unsigned char>(typed[0])) &&
                               (typed.size() == 2 || (typed[2] != '\\' && typed[2] != '/'));
    std::string base;
    if (driveRelative) {
        // "X:" alone is the one form whose full path the system gives as that drive's current
        // folder; it has no step to misread.
        const std::wstring drive = Wide(typed.substr(0, 2));
        base = FetchSystemText(
            [&](wchar_t* b, UINT n) { return ::GetFullPathNameW(drive.c_str(), n, b, nullptr); });
    } else {
        base = FetchSystemText([](wchar_t* b, UINT n) { return ::GetCurrentDirectoryW(n, b); });
    }
    return NormalizedPath(typed, base);
}

std::string LongPathOf(std::string_view path) {
    // Short enough, the path goes as it is: Wine looks up long names of plain paths only.
    std::wstring api;
    if (!FromWtf8(path, api))
        return std::string(path);
    if (api.size() >= MAX_PATH)
        api = FileApiPath(std::wstring_view(api));
    const std::wstring found = FetchSystemWideText(
        [&api](wchar_t* buffer, UINT size) { return ::GetLongPathNameW(api.c_str(), buffer, size); });
    return found.empty() ? std::string(path) : FromFileApiPath(found);
}

namespace {

// The name the folder's listing gives the entry at path: the long name of a short one.
std::string ListedNameOf(std::string_view path, std::string given) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    WIN32_FIND_DATAW found{};
    UniqueFind find;
    if (api)
        find.reset(
            ::FindFirstFileExW(api->c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    return find ? Narrow(found.cFileName) : given;
}

}  // namespace

ResultOf<std::string> TruePathOf(std::string_view path) {
    if (!IsFullPath(path) || path.compare(0, 4, "\\\\?\\") == 0 || path.compare(0, 4, "\\\\.\\") == 0)
        return {std::string(path), Result::Failed(ERROR_INVALID_NAME)};
    std::string_view trimmed = path;
    while (trimmed.size() > 3 && EndsWithBackslash(trimmed))
        trimmed.remove_suffix(1);
    Result opened;
    const UniqueFile object = OpenToLookAt(trimmed);
    if (object) {
        ResultOf<std::string> final = FinalPathOf(object.get());
        // The same text in another case names what was opened; any other answer (Wine's drops a
        // name's final dots) counts only when it opens as the same object.
        if (final && IsFullPath(final.Value()) &&
            (SameFolded(final.Value(), trimmed) ||
             SameObject(object.get(), OpenToLookAt(final.Value()).get())))
            return final;
    } else {
        opened = Result::LastError();
    }
    const std::string name = NamePartOf(trimmed);
    if (IsRootPath(trimmed) || name.empty())
        return {LongPathOf(path), opened};
    std::string folder = FolderPartOf(trimmed);
    if (folder.size() == 2)
        folder += '\\';  // "C:" -> "C:\"
    const ResultOf<std::string> parent = TruePathOf(folder);
    std::string resolved = parent.Value();
    if (!EndsWithBackslash(resolved))
        resolved += '\\';
    resolved += object && name.find('~') != std::string::npos ? ListedNameOf(trimmed, name) : name;
    return {std::move(resolved), parent ? opened : parent.Outcome()};
}

ResultOf<std::string> TruePathOfText(std::string_view text) {
    const std::string full = NormalizedPath(text, {});
    if (!IsFullPath(full) || full.compare(0, 4, "\\\\?\\") == 0 || full.compare(0, 4, "\\\\.\\") == 0)
        return {std::string(text), Result::Failed(ERROR_INVALID_NAME)};
    return TruePathOf(full);
}

}  // namespace win
