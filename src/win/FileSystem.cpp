#include "win/FileSystem.h"

#include <algorithm>
#include <vector>

#include "win/PathParts.h"
#include "win/Text.h"

namespace win {

namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedNetwork = L"\\\\?\\UNC\\";

bool StartsWith(std::wstring_view text, std::wstring_view start) {
    return text.substr(0, start.size()) == start;
}

// The API form of path, or "" after setting the error when a call must not take it.
std::wstring Checked(std::string_view path) {
    std::wstring api = FileApiPath(path);
    if (api.empty()) {
        ::SetLastError(ERROR_INVALID_NAME);
    } else if (!IsUsableApiPath(api)) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        api.clear();
    }
    return api;
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

DWORD FileAttributes(std::string_view path) {
    const std::wstring api = Checked(path);
    return api.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(api.c_str());
}

bool FileAttributeData(std::string_view path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring api = Checked(path);
    return !api.empty() && ::GetFileAttributesExW(api.c_str(), GetFileExInfoStandard, &data);
}

bool SetFileAttributesOf(std::string_view path, DWORD attributes) {
    const std::wstring api = Checked(path);
    return !api.empty() && ::SetFileAttributesW(api.c_str(), attributes);
}

bool RemoveFile(std::string_view path) {
    const std::wstring api = Checked(path);
    return !api.empty() && ::DeleteFileW(api.c_str());
}

bool MakeFolder(std::string_view path) {
    const std::wstring api = Checked(path);
    return !api.empty() && ::CreateDirectoryW(api.c_str(), nullptr);
}

bool RemoveFolder(std::string_view path) {
    const std::wstring api = Checked(path);
    return !api.empty() && ::RemoveDirectoryW(api.c_str());
}

bool CopyFileTo(std::string_view from, std::string_view to, bool failIfExists) {
    const std::wstring source = Checked(from);
    if (source.empty())
        return false;
    const std::wstring target = Checked(to);
    return !target.empty() && ::CopyFileW(source.c_str(), target.c_str(), failIfExists);
}

bool MoveFileTo(std::string_view from, std::string_view to, DWORD flags) {
    const std::wstring source = Checked(from);
    if (source.empty())
        return false;
    const std::wstring target = Checked(to);
    return !target.empty() && ::MoveFileExW(source.c_str(), target.c_str(), flags);
}

UniqueFile OpenFile(std::string_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    const std::wstring api = Checked(path);
    if (api.empty())
        return UniqueFile();
    return UniqueFile(::CreateFileW(api.c_str(), access, share, nullptr, disposition, flags, nullptr));
}

std::string FullPathOf(std::string_view path) {
    const std::wstring wide = Wide(path);
    if (wide.empty())
        return std::string(path);
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0)
            return std::string(path);
        if (n < buffer.size())
            return Narrow(std::wstring_view(buffer.data(), n));
        buffer.resize(n);
    }
}

std::string LongPathOf(std::string_view path) {
    // Short enough, the path goes as it is: Wine looks up long names of plain paths only.
    std::wstring api;
    if (!FromWtf8(path, api))
        return std::string(path);
    if (api.size() >= MAX_PATH)
        api = FileApiPath(std::wstring_view(api));
    const DWORD size = ::GetLongPathNameW(api.c_str(), nullptr, 0);
    if (size == 0)
        return std::string(path);
    std::wstring buffer(size, L'\0');
    const DWORD length = ::GetLongPathNameW(api.c_str(), buffer.data(), size);
    if (length == 0 || length >= size)
        return std::string(path);
    buffer.resize(length);
    return FromFileApiPath(buffer);
}

FolderListing::FolderListing(const std::wstring& apiFolder) {
    const std::wstring pattern =
        apiFolder + (!apiFolder.empty() && apiFolder.back() == L'\\' ? L"*" : L"\\*");
    if (!IsUsableApiPath(pattern)) {
        error_ = ERROR_FILENAME_EXCED_RANGE;
        return;
    }
    find_.reset(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &record_, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
    if (find_) {
        pending_ = true;
        return;
    }
    const DWORD error = ::GetLastError();
    // A drive root without a single entry lists nothing at all: that is an empty folder.
    error_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES ? ERROR_SUCCESS : error;
}

bool FolderListing::Next(ListedEntry& entry) {
    if (!pending_) {
        if (!find_)
            return false;
        if (!::FindNextFileW(find_.get(), &record_)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_NO_MORE_FILES)
                error_ = error;
            find_.reset();
            return false;
        }
    }
    pending_ = false;
    entry.name = record_.cFileName;
    entry.attributes = record_.dwFileAttributes;
    entry.size = (static_cast<uint64_t>(record_.nFileSizeHigh) << 32) | record_.nFileSizeLow;
    entry.lastAccess = record_.ftLastAccessTime;
    entry.lastWrite = record_.ftLastWriteTime;
    return true;
}

}  // namespace win
