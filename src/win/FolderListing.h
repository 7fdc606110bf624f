#pragma once
// The entries of one folder, read through the folder's own handle with each file's id.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "win/UniqueHandle.h"

namespace win {

// One entry of a folder listing.
struct ListedEntry {
    std::wstring_view name;  // valid until the next call to Next
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME lastAccess{};
    FILETIME lastWrite{};
    uint64_t fileId = 0;  // 0 where the listing gives none
};

// The entries of one folder, "." and ".." included, in the order the file system gives them,
// with each file's id: the folder is opened and read in blocks (FileIdBothDirectoryInfo). Where the
// volume refuses that request (some network servers do), the folder is listed the ordinary way
// (FindFirstFileExW), without file ids, instead of passing for unreadable.
//
// Each block read costs a call into the file system, and on local fixed volumes the file system
// fills a block as far as the next record fits: a block that ends with room for another record of
// the longest name (255 characters) is the folder's last, so the read that would only learn that
// there is nothing more is left out (ListingEnd::ShortBlockEnds). Elsewhere (network shares, whose
// servers may answer with fewer records than fit, and removable media) the folder is read until
// the file system says it has no more (ListingEnd::AskAgain).
enum class ListingEnd { AskAgain, ShortBlockEnds };

class FolderListing {
  public:
    // folder: a path as FileApiPath gives it, with or without its final backslash.
    explicit FolderListing(const std::wstring& apiFolder, ListingEnd end = ListingEnd::AskAgain);
    // The next entry; false at the end, or when the folder could not be listed.
    bool Next(ListedEntry& entry);
    // Why the listing ended early: ERROR_SUCCESS for a folder listed to its end (an empty one too).
    DWORD Error() const noexcept { return error_; }

  private:
    bool ReadBlock();
    bool StartOrdinaryListing();
    bool NextOrdinary(ListedEntry& entry);

    static constexpr size_t kBlockBytes = 64 * 1024;
    // A record of a 255-character name, with its padding to the next 8-byte boundary.
    static constexpr size_t kLongestRecordBytes =
        (offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + 255 * sizeof(wchar_t) + 7) / 8 * 8;
    std::wstring apiFolder_;
    ListingEnd end_;
    UniqueFile folder_;
    std::unique_ptr<uint64_t[]> block_;  // 8-byte aligned, as the records need
    size_t offset_ = 0;                  // of the next record in the block
    bool pending_ = false;               // the block holds a record not yet handed out
    bool first_ = true;
    UniqueFind find_;  // the ordinary listing, where the volume refused the by-handle one
    WIN32_FIND_DATAW found_{};
    bool foundPending_ = false;  // found_ holds an entry not yet handed out
    DWORD error_ = ERROR_SUCCESS;
};

// How a listing of what lies below apiPath (a path as FileApiPath gives it) may end: short blocks
// end it on a local fixed drive (a drive letter whose type is DRIVE_FIXED), never on a share
// (`\\?\UNC\`), a mapped network drive, removable media or anything else. Folder links on the way
// lead elsewhere, so a walk that asks once for its root follows none.
ListingEnd ListingEndFor(const std::wstring& apiPath);

// The call FolderListing reads a folder's blocks with: GetFileInformationByHandleEx unless a test
// puts in one that refuses the request as some volumes do; nullptr puts the system's back.
using FolderReadFunction = BOOL(WINAPI*)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer,
                                         DWORD bytes);
void SetFolderReadFunction(FolderReadFunction read);

}  // namespace win
