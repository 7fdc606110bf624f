#include "win/PathCalls.h"

#include <cwchar>

#include "win/ApiPath.h"
#include "win/Fold.h"

namespace win {

ResultOf<DWORD> FileAttributes(std::string_view path) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    if (!api)
        return api.Outcome();
    const DWORD attributes = ::GetFileAttributesW(api->c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? ResultOf<DWORD>(Result::LastError()) : attributes;
}

ResultOf<WIN32_FILE_ATTRIBUTE_DATA> FileAttributeData(std::string_view path) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    if (!api)
        return api.Outcome();
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(api->c_str(), GetFileExInfoStandard, &data))
        return Result::LastError();
    return data;
}

Result SetFileAttributesOf(std::string_view path, DWORD attributes) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    return api ? Result::From(::SetFileAttributesW(api->c_str(), attributes)) : api.Outcome();
}

Result RemoveFile(std::string_view path) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    return api ? Result::From(::DeleteFileW(api->c_str())) : api.Outcome();
}

Result MakeFolder(std::string_view path) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    return api ? Result::From(::CreateDirectoryW(api->c_str(), nullptr)) : api.Outcome();
}

Result RemoveFolder(std::string_view path) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    return api ? Result::From(::RemoveDirectoryW(api->c_str())) : api.Outcome();
}

Result CopyFileTo(std::string_view from, std::string_view to, bool failIfExists) {
    const ResultOf<std::wstring> source = CheckedApiPath(from);
    if (!source)
        return source.Outcome();
    const ResultOf<std::wstring> target = CheckedApiPath(to);
    return target ? Result::From(::CopyFileW(source->c_str(), target->c_str(), failIfExists))
                  : target.Outcome();
}

Result MoveFileTo(std::string_view from, std::string_view to, DWORD flags) {
    const ResultOf<std::wstring> source = CheckedApiPath(from);
    if (!source)
        return source.Outcome();
    const ResultOf<std::wstring> target = CheckedApiPath(to);
    return target ? Result::From(::MoveFileExW(source->c_str(), target->c_str(), flags)) : target.Outcome();
}

UniqueFile OpenFile(std::string_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    const ResultOf<std::wstring> api = CheckedApiPath(path);
    if (!api) {
        ::SetLastError(api.Error());
        return UniqueFile();
    }
    return UniqueFile(::CreateFileW(api->c_str(), access, share, nullptr, disposition, flags, nullptr));
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
