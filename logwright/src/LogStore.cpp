#include "LogStore.h"

#include <algorithm>
#include <mutex>

#include "win/UniqueHandle.h"

namespace logwright {

namespace {

// The lock region lies far beyond any real data, so holding it never blocks a reader's ReadFile.
constexpr DWORD kLockOffsetHigh = 0x40000000;

// Threads of one process also queue here: byte-range locks are meant to keep processes apart.
std::mutex g_appendMutex;

class RegionLock {
  public:
    explicit RegionLock(HANDLE file) : file_(file) {
        overlapped_.OffsetHigh = kLockOffsetHigh;
        locked_ = ::LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &overlapped_) != FALSE;
    }
    ~RegionLock() {
        if (locked_)
            ::UnlockFileEx(file_, 0, 1, 0, &overlapped_);
    }
    RegionLock(const RegionLock&) = delete;
    RegionLock& operator=(const RegionLock&) = delete;
    bool locked() const { return locked_; }

  private:
    HANDLE file_;
    OVERLAPPED overlapped_{};
    bool locked_ = false;
};

HRESULT LastError() {
    DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

// Length of the root that is not to be created: "C:\", "\\server\share\" or "\\?\C:\".
size_t RootLength(const std::wstring& path) {
    size_t start = 0;
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        start = 8;
    } else if (path.rfind(L"\\\\?\\", 0) == 0) {
        start = 4;
        if (path.size() >= 6 && path[5] == L':')
            return std::min(path.size(), size_t{7});
        // Other device forms ("\\?\unix\...") start with their first component.
        size_t slash = path.find(L'\\', start);
        return slash == std::wstring::npos ? path.size() : slash + 1;
    } else if (path.rfind(L"\\\\", 0) == 0) {
        start = 2;
    } else {
        if (path.size() >= 2 && path[1] == L':')
            return std::min(path.size(), size_t{3});
        return path.rfind(L"\\", 0) == 0 ? 1 : 0;
    }
    // Server and share name.
    size_t slash = path.find(L'\\', start);
    if (slash == std::wstring::npos)
        return path.size();
    slash = path.find(L'\\', slash + 1);
    return slash == std::wstring::npos ? path.size() : slash + 1;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool EnsureFolder(const std::wstring& path) {
    if (path.empty())
        return false;
    if (IsFolder(path))
        return true;
    for (size_t i = RootLength(path); i <= path.size(); ++i) {
        if (i == path.size() || path[i] == L'\\') {
            std::wstring part = path.substr(0, i);
            if (!part.empty() && part.back() != L'\\')
                ::CreateDirectoryW(part.c_str(), nullptr);
        }
    }
    return IsFolder(path);
}

LogStore::LogStore(const std::wstring& dataPath) {
    if (dataPath.empty())
        return;
    DWORD n = ::GetFullPathNameW(dataPath.c_str(), 0, nullptr, nullptr);
    if (n == 0) {
        dataPath_ = dataPath;
    } else {
        std::wstring full(n, L'\0');
        n = ::GetFullPathNameW(dataPath.c_str(), n, full.data(), nullptr);
        full.resize(n);
        dataPath_ = full;
    }
    while (dataPath_.size() > RootLength(dataPath_) && dataPath_.back() == L'\\')
        dataPath_.pop_back();
}

std::wstring LogStore::FilePath() const {
    if (dataPath_.empty())
        return {};
    return dataPath_.back() == L'\\' ? dataPath_ + kLogFileName : dataPath_ + L"\\" + kLogFileName;
}

HRESULT LogStore::Append(const std::vector<LogEntry>& entries) const {
    if (dataPath_.empty())
        return E_UNEXPECTED;
    if (entries.empty())
        return S_OK;
    std::string bytes;
    for (const LogEntry& entry : entries)
        bytes += EncodeRecord(entry);
    if (bytes.size() > 0x7FFFFFFF)
        return E_INVALIDARG;
    if (!EnsureFolder(dataPath_))
        return LastError();

    std::lock_guard<std::mutex> guard(g_appendMutex);
    win::UniqueFile file(::CreateFileW(FilePath().c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return LastError();
    RegionLock lock(file.get());
    if (!lock.locked())
        return LastError();

    LARGE_INTEGER end{};
    if (!::SetFilePointerEx(file.get(), LARGE_INTEGER{}, &end, FILE_END))
        return LastError();
    DWORD written = 0;
    BOOL ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    if (ok && written == bytes.size() && ::FlushFileBuffers(file.get()))
        return S_OK;
    // Cut a short write off again, so the file ends with whole records only.
    HRESULT failure = ok && written != bytes.size() ? HRESULT_FROM_WIN32(ERROR_DISK_FULL) : LastError();
    if (::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN))
        ::SetEndOfFile(file.get());
    return failure;
}

HRESULT LogStore::Add(std::wstring type, std::wstring category, std::wstring subcategory, std::wstring source,
                      std::wstring text) const {
    LogEntry entry;
    ::GetLocalTime(&entry.time);
    entry.time.wDayOfWeek = 0;
    entry.type = std::move(type);
    entry.category = std::move(category);
    entry.subcategory = std::move(subcategory);
    entry.source = std::move(source);
    entry.text = std::move(text);
    return Append({entry});
}

std::vector<LogEntry> LogStore::ReadAll() const {
    if (dataPath_.empty())
        return {};
    win::UniqueFile file(::CreateFileW(FilePath().c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return {};
    std::string bytes;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0 && size.QuadPart < 0x40000000)
        bytes.reserve(static_cast<size_t>(size.QuadPart));
    // Read to the end rather than to the size seen first: a writer may be appending meanwhile.
    char buffer[64 * 1024];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    std::vector<LogEntry> entries = DecodeRecords(bytes);
    std::reverse(entries.begin(), entries.end());
    return entries;
}

}  // namespace logwright
