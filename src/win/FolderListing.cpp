#include "win/FolderListing.h"

#include <atomic>
#include <cstddef>
#include <string_view>
#include <utility>

#include "win/ApiPath.h"

namespace win {

namespace {

std::atomic<FolderReadFunction> g_folderRead{nullptr};

// The answers of a volume that does not know the by-handle listing request, as opposed to a folder
// that could not be read.
bool IsRefusedRequest(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_LEVEL || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace

void SetFolderReadFunction(FolderReadFunction read) {
    g_folderRead = read;
}

ListingEnd ListingEndFor(const std::wstring& apiPath) {
    // Only the `\\?\X:\` form names a drive letter; a share's `\\?\UNC\` form and a volume's
    // GUID form are asked again.
    static constexpr std::wstring_view kDevicePrefix = L"\\\\?\\";
    if (apiPath.size() < kDevicePrefix.size() + 3 ||
        apiPath.compare(0, kDevicePrefix.size(), kDevicePrefix) != 0)
        return ListingEnd::AskAgain;
    const wchar_t letter = apiPath[kDevicePrefix.size()];
    if (!((letter >= L'A' && letter <= L'Z') || (letter >= L'a' && letter <= L'z')) ||
        apiPath[kDevicePrefix.size() + 1] != L':' || apiPath[kDevicePrefix.size() + 2] != L'\\')
        return ListingEnd::AskAgain;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_FIXED ? ListingEnd::ShortBlockEnds : ListingEnd::AskAgain;
}

FolderListing::FolderListing(const std::wstring& apiFolder, ListingEnd end)
    : apiFolder_(apiFolder), end_(end) {
    if (!IsUsableApiPath(apiFolder)) {
        error_ = ERROR_FILENAME_EXCED_RANGE;
        return;
    }
    folder_.reset(::CreateFileW(apiFolder.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder_) {
        error_ = ::GetLastError();
        return;
    }
    block_ = std::make_unique<uint64_t[]>(kBlockBytes / sizeof(uint64_t));
}

bool FolderListing::ReadBlock() {
    const FILE_INFO_BY_HANDLE_CLASS kind = first_ ? FileIdBothDirectoryRestartInfo : FileIdBothDirectoryInfo;
    const bool first = std::exchange(first_, false);
    const FolderReadFunction read = g_folderRead.load();
    const BOOL done = read ? read(folder_.get(), kind, block_.get(), static_cast<DWORD>(kBlockBytes))
                           : ::GetFileInformationByHandleEx(folder_.get(), kind, block_.get(),
                                                            static_cast<DWORD>(kBlockBytes));
    if (!done) {
        const DWORD error = ::GetLastError();
        folder_.reset();
        if (first && IsRefusedRequest(error))
            return StartOrdinaryListing();
        // The end of the listing; a drive root without a single entry has none to begin with.
        if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND)
            error_ = error;
        return false;
    }
    offset_ = 0;
    pending_ = true;
    return true;
}

bool FolderListing::StartOrdinaryListing() {
    std::wstring pattern = apiFolder_;
    if (pattern.empty() || pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    find_.reset(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found_, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH));
    if (!find_) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
            error_ = error;
        return false;
    }
    foundPending_ = true;
    return true;
}

bool FolderListing::NextOrdinary(ListedEntry& entry) {
    if (!foundPending_) {
        if (!::FindNextFileW(find_.get(), &found_)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_NO_MORE_FILES)
                error_ = error;
            find_.reset();
            return false;
        }
    }
    foundPending_ = false;
    entry.name = std::wstring_view(found_.cFileName);
    entry.attributes = found_.dwFileAttributes;
    entry.size = (static_cast<uint64_t>(found_.nFileSizeHigh) << 32) | found_.nFileSizeLow;
    entry.lastAccess = found_.ftLastAccessTime;
    entry.lastWrite = found_.ftLastWriteTime;
    entry.fileId = 0;
    return true;
}

bool FolderListing::Next(ListedEntry& entry) {
    if (!pending_ && !find_ && (!folder_ || !ReadBlock()))
        return false;
    if (find_)
        return NextOrdinary(entry);
    const auto* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(
        reinterpret_cast<const unsigned char*>(block_.get()) + offset_);
    entry.name = std::wstring_view(record->FileName, record->FileNameLength / sizeof(wchar_t));
    entry.attributes = record->FileAttributes;
    entry.size = static_cast<uint64_t>(record->EndOfFile.QuadPart);
    entry.lastAccess = {static_cast<DWORD>(record->LastAccessTime.LowPart),
                        static_cast<DWORD>(record->LastAccessTime.HighPart)};
    entry.lastWrite = {static_cast<DWORD>(record->LastWriteTime.LowPart),
                       static_cast<DWORD>(record->LastWriteTime.HighPart)};
    entry.fileId = static_cast<uint64_t>(record->FileId.QuadPart);
    if (record->NextEntryOffset == 0) {
        pending_ = false;
        // The last record of a block that had room for one more of any name: nothing is left.
        const size_t used = offset_ + offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + record->FileNameLength;
        if (end_ == ListingEnd::ShortBlockEnds && kBlockBytes - used >= kLongestRecordBytes)
            folder_.reset();
    } else {
        offset_ += record->NextEntryOffset;
    }
    return true;
}

}  // namespace win
