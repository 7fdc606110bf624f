#include "win/ApiPath.h"

#include <algorithm>

#include "win/Text.h"

namespace win {

namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedNetwork = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view start) {
    return text.substr(0, start.size()) == start;
}

}  // namespace

std::wstring FileApiPath(std::wstring_view path) {
    if (StartsWith(path, kExtended))
        return std::wstring(path);
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                       ((path[0] >= L'a' && path[0] <= L'z') || (path[0] >= L'A' && path[0] <= L'Z'));
    if (drive)
        return std::wstring(kExtended) + std::wstring(path);
    // "\\server\share...", but not a device path ("\\.\").
    if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'.' && path[2] != L'?')
        return std::wstring(kExtendedNetwork) + std::wstring(path.substr(2));
    return std::wstring(path);
}

std::wstring FileApiPath(std::string_view path) {
    std::wstring wide;
    if (!FromWtf8(path, wide))
        return {};
    return FileApiPath(std::wstring_view(wide));
}

std::string FromFileApiPath(std::wstring_view apiPath) {
    if (StartsWith(apiPath, kExtendedNetwork))
        return "\\\\" + Narrow(apiPath.substr(kExtendedNetwork.size()));
    // Only a drive path loses the prefix: other forms ("\\?\Volume{...}", Wine's "\\?\unix\")
    // name nothing without it.
    const std::wstring_view rest = apiPath.substr(std::min(apiPath.size(), kExtended.size()));
    if (StartsWith(apiPath, kExtended) && rest.size() >= 2 && rest[1] == L':')
        return Narrow(rest);
    return Narrow(apiPath);
}

bool IsUsableApiPath(std::wstring_view apiPath) noexcept {
    return StartsWith(apiPath, kExtended) || apiPath.size() < MAX_PATH;
}

ResultOf<std::wstring> CheckedApiPath(std::string_view path) {
    std::wstring api = FileApiPath(path);
    if (api.empty())
        return Result::Failed(ERROR_INVALID_NAME);
    if (!IsUsableApiPath(api))
        return Result::Failed(ERROR_FILENAME_EXCED_RANGE);
    return api;
}

}  // namespace win
