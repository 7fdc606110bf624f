#pragma once
// The file calls of the program, by a file's true name at any length. Program paths are UTF-8;
// each call takes the "\\?\" form of a full path (FileApiPath), which the system reads exactly as
// written: no name is cut at 260 characters, and no final dot or blank is dropped. Every file,
// folder and listing call of the program goes through here.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "win/Result.h"
#include "win/UniqueHandle.h"

namespace win {

// The form of a path that the file calls read as written: "C:\x" as "\\?\C:\x", "\\server\share\x"
// as "\\?\UNC\server\share\x"; a path already in that form stays as it is. Anything else (a
// relative or device path) is passed on unchanged. Text that is no well-formed program text gives
// "", which no call accepts.
std::wstring FileApiPath(std::string_view path);
std::wstring FileApiPath(std::wstring_view path);

// A path as the file calls give it back ("\\?\C:\x", "\\?\UNC\s\h\x"), in the program's form.
std::string FromFileApiPath(std::wstring_view apiPath);

// True when a path may be handed to a file call: it has the "\\?\" form, or it is shorter than
// MAX_PATH. The calls below refuse any other (ERROR_FILENAME_EXCED_RANGE), so that a path that
// missed its prefix fails everywhere, as it would on Windows, not only where Windows is strict.
bool IsUsableApiPath(std::wstring_view apiPath) noexcept;

// The calls: each sets the last error when it fails.
DWORD FileAttributes(std::string_view path);  // INVALID_FILE_ATTRIBUTES when it fails
bool FileAttributeData(std::string_view path, WIN32_FILE_ATTRIBUTE_DATA& data);
bool SetFileAttributesOf(std::string_view path, DWORD attributes);
bool RemoveFile(std::string_view path);
bool MakeFolder(std::string_view path);
bool RemoveFolder(std::string_view path);
bool CopyFileTo(std::string_view from, std::string_view to, bool failIfExists);
bool MoveFileTo(std::string_view from, std::string_view to, DWORD flags);
UniqueFile OpenFile(std::string_view path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0);

// Calls on an open file, so that what is checked is what is acted on: no path is looked up again.
// True when the open file (or folder) is at path now, every link on the way resolved: a folder on
// the path that became a link leads elsewhere. Compared without regard to case.
bool IsAtPath(HANDLE handle, std::string_view path);
// Renames (moves) the open file to target on the same volume, never over another file
// (SetFileInformationByHandle, FileRenameInfo). The handle needs DELETE access.
Result RenameOpenFile(HANDLE file, std::string_view target);
// Marks the open file for deletion when its last handle closes (FileDispositionInfo). The handle
// needs DELETE access.
Result DeleteOpenFile(HANDLE file);
// What an open file is now. Asked by its basic, standard and internal information, not with
// GetFileInformationByHandle, which also asks the volume for its serial number: under Wine that
// alone takes about a millisecond, more than the rest of a cleaning's work on a small file.
struct OpenFileFacts {
    DWORD attributes = 0;
    uint64_t size = 0;
    FILETIME creation{}, lastAccess{}, lastWrite{};
    uint64_t fileId = 0;  // the id a folder listing gives the file
    DWORD links = 0;      // names the file has; 0 once its deletion has taken them all
    bool deletePending = false;
};
bool QueryOpenFile(HANDLE file, OpenFileFacts& facts);
// Copies the open file's data, named data streams, times and attributes into target, a file
// created new (never over another), and checks the copy before it counts: flushed to the disk, of
// the file's size, and for files up to kComparedCopyBytes read back and compared byte for byte.
// A copy that fails any step is removed again; the source is never changed. The handle needs read
// access.
Result CopyOpenFile(HANDLE file, std::string_view target);
constexpr uint64_t kComparedCopyBytes = 4u << 20;
// The call CopyOpenFile writes with (WriteFile); tests put a faulty one in its place. nullptr
// restores WriteFile.
using CopyWriteFunction = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
void SetCopyWriteFunction(CopyWriteFunction write) noexcept;
// Where the open file is now, as a full path in the program's form, after others may have renamed
// or moved it through handles of their own. Windows answers by the handle itself; Wine keeps the
// name the handle was opened with, so the answer is checked by opening it and comparing the file's
// id, and a stale one is replaced by a look-up of the id on the volume of onVolumeOf
// (OpenFileById). ERROR_FILE_NOT_FOUND when the file is nowhere on that volume.
Result CurrentPathOf(HANDLE file, std::string_view onVolumeOf, std::string& path);
// The root of the volume path lies on ("C:\", "\\server\share\", a mounted folder), folded for
// comparison; "" when unknown.
std::wstring VolumeOf(std::string_view path);
// The same root in the program's form, with its final backslash ("C:\\"); "" when unknown.
std::string VolumeRootOf(std::string_view path);

// The full form of a path typed on the command line: NormalizedPath against the current folder
// (for "C:x", drive C's own current folder, which the system keeps per drive).
std::string TypedFullPath(std::string_view typed);
// The long form of a path given with 8.3 short names (GetLongPathNameW); as given when unknown.
std::string LongPathOf(std::string_view path);

// The one true form of a folder (or file) the program acts on: full, with long names, the case
// the disk keeps and every link on the way resolved, as the open object's final path gives it.
// A walk from that form lists paths that the final paths of their open files give back, so a
// listed file is found at its path again. path must be a full path; it is taken exactly as
// given, nothing in it is normalised (a typed one goes through NormalizedPath first).
// The object is opened (a folder too) and its final path asked; the answer counts only when it
// opens as the same object (Wine's final path drops a name's final dots, and it gives none from
// 260 characters on). Otherwise, and where the path does not exist (yet), its parent is resolved
// the same way and the name appended as given (a short name, one with "~", as the folder's
// listing names it). A path on a drive that cannot be reached stays in its long form.
struct TruePath {
    std::string path;             // always set: the truest form known
    DWORD error = ERROR_SUCCESS;  // why some step could not be resolved (ERROR_FILE_NOT_FOUND for
                                  // a folder not made yet, ERROR_INVALID_NAME for no full path)
};
TruePath TruePathOf(std::string_view path);

// The true form of a folder named by text from outside the program's own listings (a setting, a
// registry value): NormalizedPath, then TruePathOf. Text that names no full path (empty,
// relative, a device path) stays as it is, with ERROR_INVALID_NAME: it names no place of its own.
TruePath TruePathOfText(std::string_view text);

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
class FolderListing {
  public:
    // folder: a path as FileApiPath gives it, with or without its final backslash.
    explicit FolderListing(const std::wstring& apiFolder);
    // The next entry; false at the end, or when the folder could not be listed.
    bool Next(ListedEntry& entry);
    // Why the listing ended early: ERROR_SUCCESS for a folder listed to its end (an empty one too).
    DWORD Error() const noexcept { return error_; }

  private:
    bool ReadBlock();
    bool StartOrdinaryListing();
    bool NextOrdinary(ListedEntry& entry);

    static constexpr size_t kBlockBytes = 64 * 1024;
    std::wstring apiFolder_;
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

// The call FolderListing reads a folder's blocks with: GetFileInformationByHandleEx unless a test
// puts in one that refuses the request as some volumes do; nullptr puts the system's back.
using FolderReadFunction = BOOL(WINAPI*)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer,
                                         DWORD bytes);
void SetFolderReadFunction(FolderReadFunction read);

}  // namespace win
