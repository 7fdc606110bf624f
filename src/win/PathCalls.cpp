#include "win/PathCalls.h"

#include <cwchar>

#include "win/ApiPath.h"
#include "win/Fold.h"

namespace win {

DWORD FileAttributes(std::string_view path) {
    const std::wstring api = CheckedApiPath(path);
    return api.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(api.c_str());
}

bool FileAttributeData(std::string_view path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring api = CheckedApiPath(path);
    return !api.empty() && ::GetFileAttributesExW(api.c_str(), GetFileExInfoStandard, &data);
}

bool SetFileAttributesOf(std::string_view path, DWORD attributes) {
    const std::wstring api = CheckedApiPath(path);
    return !api.empty() && ::SetFileAttributesW(api.c_str(), attributes);
}

bool RemoveFile(std::string_view path) {
    const std::wstring api = CheckedApiPath(path);
    return !api.empty() && ::DeleteFileW(api.c_str());
}

bool MakeFolder(std::string_view path) {
    const std::wstring api = CheckedApiPath(path);
    return !api.empty() && ::CreateDirectoryW(api.c_str(), nullptr);
}

bool RemoveFolder(std::string_view path) {
    const std::wstring api = CheckedApiPath(path);
    return !api.empty() && ::RemoveDirectoryW(api.c_str());
}

bool CopyFileTo(std::string_view from, std::string_view to, bool failIfExists) {
    const std::wstring source = CheckedApiPath(from);
    if (source.empty())
        return false;
    const std::wstring target = CheckedApiPath(to);
    return !target.empty() && ::CopyFileW(source.c_str(), target.c_str(), failIfExists);
}

bool MoveFileTo(std::string_view from, std::string_view to, DWORD flags) {
    const std::wstring source = CheckedApiPath(from);
    if (source.empty())
        return false;
    const std::wstring target = CheckedApiPath(to);
    return !target.empty() && ::MoveFileExW(source.c_str(), target.c_str(), flags);
}

UniqueFile OpenFile(std::string_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    const std::wstring api = CheckedApiPath(path);
    if (api.empty())
        return UniqueFile();
    return UniqueFile(::CreateFileW(api.c_str(), access, share, nullptr, disposition, flags, nullptr));
}

std::string VolumeRootOf(std::string_view path) {
    const std::wstring api = FileApiPath(path);
    if (api.empty())
        return {};
    std::wstring root(api.size() + 2, L'\0');
    if (!::GetVolumePathNameW(api.c_str(), root.data(), static_cast<DWORD>(root.size())))
        return {};
    root.resize(std::wcslen(root.c_str()));
    return FromFileApiPath(root);
}

UniqueFile OpenToLookAt(std::string_view path) {
    return OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

std::wstring VolumeOf(std::string_view path) {
    return FoldedText(VolumeRootOf(path));
}

}  // namespace win
