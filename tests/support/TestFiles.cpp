#include "support/TestFiles.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

#include "win/ApiPath.h"
#include "win/ComPtr.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace test {

namespace {
std::atomic<int> g_counter{0};

void Check(bool ok, const std::string& what) {
    if (!ok)
        throw std::runtime_error(what + " failed, error " + std::to_string(::GetLastError()));
}

// The form the file calls read exactly, at any length.
std::wstring Api(const std::string& path) {
    return win::FileApiPath(path);
}
}  // namespace

TempFolder::TempFolder() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    path_ = win::Narrow(temp) + "qmtest-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(::GetTickCount()) + "-" + std::to_string(g_counter++);
    Check(::CreateDirectoryW(Api(path_).c_str(), nullptr), "CreateDirectory " + path_);
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAW record;
    win::UniqueFind listing(::FindFirstFileW(Api(path + "\\*").c_str(), &record));
    if (listing) {
        do {
            std::string name = win::Narrow(record.cFileName);
            if (name == "." || name == "..")
                continue;
            std::string child = path + "\\" + name;
            if (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A link is removed itself; what it points to is never entered.
                if (record.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                    ::RemoveDirectoryW(Api(child).c_str());
                else
                    RemoveTree(child);
            } else {
                ::SetFileAttributesW(Api(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(Api(child).c_str());
            }
        } while (::FindNextFileW(listing.get(), &record));
    }
    listing.reset();
    ::SetFileAttributesW(Api(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(Api(path).c_str());
}

namespace {
void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& files) {
    WIN32_FIND_DATAW record;
    win::UniqueFind listing(::FindFirstFileW(Api(folder + "\\*").c_str(), &record));
    if (!listing)
        return;
    do {
        const std::string name = win::Narrow(record.cFileName);
        if (name == "." || name == "..")
            continue;
        if (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectFiles(folder + "\\" + name, prefix + name + "\\", files);
        else
            files.push_back(prefix + name);
    } while (::FindNextFileW(listing.get(), &record));
}
}  // namespace

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW record;
    win::UniqueFind listing(::FindFirstFileW(Api(folder + "\\*").c_str(), &record));
    if (listing) {
        do {
            const std::string name = win::Narrow(record.cFileName);
            if (name != "." && name != "..")
                names.push_back(name);
        } while (::FindNextFileW(listing.get(), &record));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    CollectFiles(folder, "", files);
    std::sort(files.begin(), files.end());
    return files;
}

void MakeFolders(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '\\')
            ::CreateDirectoryW(Api(path.substr(0, i)).c_str(), nullptr);
}

void WriteFile(const std::string& path, const std::string& content) {
    size_t slash = path.rfind('\\');
    if (slash != std::string::npos)
        MakeFolders(path.substr(0, slash));
    win::UniqueFile file(::CreateFileW(Api(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(static_cast<bool>(file), "CreateFile " + path);
    DWORD written = 0;
    Check(::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr),
          "WriteFile " + path);
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesW(Api(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFile(const std::string& path) {
    win::UniqueFile file(
        ::CreateFileW(Api(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string content;
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &n, nullptr) && n > 0)
        content.append(buffer, n);
    return content;
}

FileStamp StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    FileStamp stamp;
    if (::GetFileAttributesExW(Api(path).c_str(), GetFileExInfoStandard, &data)) {
        stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        stamp.lastAccess = data.ftLastAccessTime;
        stamp.lastWrite = data.ftLastWriteTime;
    }
    return stamp;
}

void SetAccessedAgo(const std::string& path, double days) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t;
    t.LowPart = now.dwLowDateTime;
    t.HighPart = now.dwHighDateTime;
    // Through a signed count, so that a negative age (a time still to come) works too.
    t.QuadPart -= static_cast<uint64_t>(static_cast<int64_t>(days * 864'000'000'000.0));
    FILETIME accessed{t.LowPart, t.HighPart};
    win::UniqueFile file(::CreateFileW(Api(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    Check(static_cast<bool>(file), "open for times " + path);
    Check(::SetFileTime(file.get(), nullptr, &accessed, nullptr), "SetFileTime " + path);
}

void MakeSizedFile(const std::string& path, uint64_t bytes) {
    win::UniqueFile file(::CreateFileW(Api(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    Check(static_cast<bool>(file), "CreateFile " + path);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(bytes);
    Check(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get()),
          "size " + path);
}

std::string ShortPathOf(const std::string& path) {
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = ::GetShortPathNameW(win::Wide(path).c_str(), buffer, MAX_PATH);
    Check(n > 0 && n < MAX_PATH, "GetShortPathName " + path);
    return win::Narrow(std::wstring_view(buffer, n));
}

void MakeShortcut(const std::string& shortcut, const std::string& target) {
    MakeFolders(shortcut.substr(0, shortcut.rfind('\\')));
    win::ComPtr<IShellLinkW> link;
    Check(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       link.put_void())),
          "create shell link");
    link->SetPath(win::Wide(target).c_str());
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    Check(file && SUCCEEDED(file->Save(win::Wide(shortcut).c_str(), TRUE)), "save shortcut " + shortcut);
}

}  // namespace test

namespace test {

void MakeShortcutWithoutPath(const std::string& shortcut) {
    MakeFolders(shortcut.substr(0, shortcut.rfind('\\')));
    win::ComPtr<IShellLinkW> link;
    Check(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                       link.put_void())),
          "create shell link");
    LPITEMIDLIST computer = nullptr;
    Check(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)), "My Computer");
    link->SetIDList(computer);
    ::CoTaskMemFree(computer);
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    Check(file && SUCCEEDED(file->Save(win::Wide(shortcut).c_str(), TRUE)), "save shortcut " + shortcut);
}

}  // namespace test
