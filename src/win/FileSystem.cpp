#include "win/FileSystem.h"

#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

#include "win/CharStep.h"
#include "win/Fold.h"
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

bool IsAtPath(HANDLE handle, std::string_view path) {
    std::string expected(path);
    while (expected.size() > 3 && expected.back() == '\\')
        expected.pop_back();
    // Wine reports a name's final dots and blanks away ("a." as "a"); the folders on the way,
    // where a link would show, must still be the same.
    std::string trimmed = expected;
    while (!trimmed.empty() && (trimmed.back() == '.' || trimmed.back() == ' '))
        trimmed.pop_back();
    const bool canTrim = trimmed != expected && trimmed.size() > 3 && trimmed.back() != '\\';
    auto matches = [&](std::string_view place, size_t skip) {
        return SameFolded(place, std::string_view(expected).substr(skip)) ||
               (canTrim && SameFolded(place, std::string_view(trimmed).substr(skip)));
    };

    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD n = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                          FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
        buffer.resize(n + 1);
        n = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    if (n > 0 && n < buffer.size())
        return matches(FromFileApiPath(std::wstring_view(buffer.data(), n)), 0);
    // Wine gives no final path from 260 characters on. The name on the volume (links resolved too)
    // is compared with the path below its volume's root, on the same volume.
    std::vector<unsigned char> block(sizeof(FILE_NAME_INFO) + 65536 * sizeof(wchar_t));
    auto* name = reinterpret_cast<FILE_NAME_INFO*>(block.data());
    if (!::GetFileInformationByHandleEx(handle, FileNameInfo, name, static_cast<DWORD>(block.size())))
        return false;
    const std::string root = VolumeRootOf(expected);
    DWORD handleSerial = 0, rootSerial = 0;
    if (root.empty() || trimmed.size() < root.size() ||
        !::GetVolumeInformationByHandleW(handle, nullptr, 0, &handleSerial, nullptr, nullptr, nullptr, 0) ||
        !::GetVolumeInformationW(Wide(root).c_str(), nullptr, 0, &rootSerial, nullptr, nullptr, nullptr, 0) ||
        handleSerial != rootSerial)
        return false;
    return matches(Narrow(std::wstring_view(name->FileName, name->FileNameLength / sizeof(wchar_t))),
                   root.size() - 1);
}

Result RenameOpenFile(HANDLE file, std::string_view target) {
    const std::wstring api = Checked(target);
    if (api.empty())
        return Result::LastError();
    // The information block ends with the name; it is allocated with room for it.
    const size_t bytes = sizeof(FILE_RENAME_INFO) + api.size() * sizeof(wchar_t);
    std::vector<unsigned char> block(bytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(api.size() * sizeof(wchar_t));
    std::wmemcpy(info->FileName, api.data(), api.size());
    return Result::From(::SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(bytes)));
}

Result DeleteOpenFile(HANDLE file) {
    FILE_DISPOSITION_INFO info{};
    info.DeleteFile = TRUE;
    return Result::From(::SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof(info)));
}

bool QueryOpenFile(HANDLE file, OpenFileFacts& facts) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    FILE_INTERNAL_INFORMATION internal{};
    IO_STATUS_BLOCK status{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)))
        return false;
    const NTSTATUS asked =
        ::NtQueryInformationFile(file, &status, &internal, sizeof(internal), FileInternalInformation);
    if (!NT_SUCCESS(asked)) {
        ::SetLastError(::RtlNtStatusToDosError(asked));
        return false;
    }
    auto time = [](const LARGE_INTEGER& value) {
        return FILETIME{static_cast<DWORD>(value.QuadPart), static_cast<DWORD>(value.QuadPart >> 32)};
    };
    facts.attributes = basic.FileAttributes;
    facts.size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
    facts.creation = time(basic.CreationTime);
    facts.lastAccess = time(basic.LastAccessTime);
    facts.lastWrite = time(basic.LastWriteTime);
    facts.fileId = static_cast<uint64_t>(internal.IndexNumber.QuadPart);
    facts.links = standard.NumberOfLinks;
    facts.deletePending = standard.DeletePending != FALSE;
    return true;
}

namespace {

std::atomic<CopyWriteFunction> g_copyWrite{nullptr};

// Reads exactly size bytes at the file's position, or fails (ERROR_HANDLE_EOF when it ends first).
Result ReadExactly(HANDLE file, char* data, DWORD size) {
    for (DWORD done = 0; done < size;) {
        DWORD read = 0;
        if (!::ReadFile(file, data + done, size - done, &read, nullptr))
            return Result::LastError();
        if (read == 0)
            return Result::Failed(ERROR_HANDLE_EOF);
        done += read;
    }
    return {};
}

Result Rewind(HANDLE file) {
    return Result::From(::SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_BEGIN));
}

// Copies size bytes from the start of one open file (or stream) to another's position.
Result CopyData(HANDLE from, HANDLE to, uint64_t size) {
    const CopyWriteFunction write = g_copyWrite.load() ? g_copyWrite.load() : ::WriteFile;
    // Room for the whole file, up to 1 MB at a time: a small file needs no large buffer.
    std::vector<char> buffer(static_cast<size_t>(std::clamp<uint64_t>(size, 1, 1 << 20)));
    for (uint64_t left = size; left > 0;) {
        const DWORD part = static_cast<DWORD>(std::min<uint64_t>(left, buffer.size()));
        if (Result read = ReadExactly(from, buffer.data(), part); !read)
            return read;
        DWORD written = 0;
        if (!write(to, buffer.data(), part, &written, nullptr))
            return Result::LastError();
        if (written != part)
            return Result::Failed(ERROR_WRITE_FAULT);
        left -= part;
    }
    return {};
}

// Reads the copy back and compares it with the source, both from their start.
Result CompareData(HANDLE source, HANDLE copy, uint64_t size) {
    if (Result rewound = Rewind(source); !rewound)
        return rewound;
    if (Result rewound = Rewind(copy); !rewound)
        return rewound;
    std::vector<char> a(static_cast<size_t>(std::clamp<uint64_t>(size, 1, 1 << 20))), b(a.size());
    for (uint64_t left = size; left > 0;) {
        const DWORD part = static_cast<DWORD>(std::min<uint64_t>(left, a.size()));
        if (Result read = ReadExactly(source, a.data(), part); !read)
            return read;
        if (Result read = ReadExactly(copy, b.data(), part); !read)
            return read;
        if (std::memcmp(a.data(), b.data(), part) != 0)
            return Result::Failed(ERROR_WRITE_FAULT);
        left -= part;
    }
    return {};
}

// Copies the named data streams of the open file into streams of target's name, read through the
// file's own handle (BackupRead). A volume or system that keeps no streams (FAT, Wine) says the
// call is not supported: there is nothing to carry.
Result CopyStreams(HANDLE file, std::string_view target) {
    void* context = nullptr;
    auto read = [&](void* into, DWORD size) {
        DWORD got = 0;
        if (!::BackupRead(file, static_cast<BYTE*>(into), size, &got, FALSE, FALSE, &context))
            return Result::LastError();
        return got == size ? Result() : Result::Failed(ERROR_HANDLE_EOF);
    };
    Result outcome;
    constexpr DWORD kHeader = offsetof(WIN32_STREAM_ID, cStreamName);
    for (;;) {
        WIN32_STREAM_ID header{};
        DWORD got = 0;
        if (!::BackupRead(file, reinterpret_cast<BYTE*>(&header), kHeader, &got, FALSE, FALSE, &context)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
                error != ERROR_CALL_NOT_IMPLEMENTED)
                outcome = Result::Failed(error);
            break;
        }
        if (got == 0)
            break;  // every stream read
        if (got != kHeader) {
            outcome = Result::Failed(ERROR_HANDLE_EOF);
            break;
        }
        std::wstring name(header.dwStreamNameSize / sizeof(wchar_t), L'\0');
        if (!name.empty() && !(outcome = read(name.data(), header.dwStreamNameSize)))
            break;
        const uint64_t size = static_cast<uint64_t>(header.Size.QuadPart);
        if (header.dwStreamId == BACKUP_ALTERNATE_DATA && !name.empty()) {
            // ":name:$DATA" after the file's own name makes the stream.
            UniqueFile stream = OpenFile(std::string(target) + Narrow(name), GENERIC_WRITE, 0, CREATE_NEW);
            if (!stream) {
                outcome = Result::LastError();
                break;
            }
            std::vector<char> buffer(static_cast<size_t>(std::clamp<uint64_t>(size, 1, 1 << 20)));
            for (uint64_t left = size; left > 0 && outcome;) {
                const DWORD part = static_cast<DWORD>(std::min<uint64_t>(left, buffer.size()));
                DWORD written = 0;
                if ((outcome = read(buffer.data(), part)))
                    outcome =
                        ::WriteFile(stream.get(), buffer.data(), part, &written, nullptr) && written == part
                            ? Result()
                            : Result::Failed(ERROR_WRITE_FAULT);
                left -= part;
            }
            if (outcome)
                outcome = Result::From(::FlushFileBuffers(stream.get()));
            if (!outcome)
                break;
        } else if (size > 0) {
            DWORD low = 0, high = 0;
            ::BackupSeek(file, static_cast<DWORD>(size), static_cast<DWORD>(size >> 32), &low, &high,
                         &context);
            if ((static_cast<uint64_t>(high) << 32 | low) != size) {
                outcome = Result::Failed(ERROR_HANDLE_EOF);
                break;
            }
        }
    }
    DWORD ignored = 0;
    if (context)
        ::BackupRead(file, nullptr, 0, &ignored, TRUE, FALSE, &context);  // frees the context
    return outcome;
}

// Everything a copy needs before it counts, through the copy's open handle.
Result FillCopy(HANDLE file, const OpenFileFacts& about, HANDLE copy, std::string_view target) {
    if (Result rewound = Rewind(file); !rewound)
        return rewound;
    if (Result copied = CopyData(file, copy, about.size); !copied)
        return copied;
    if (Result rewound = Rewind(file); !rewound)
        return rewound;
    if (Result streams = CopyStreams(file, target); !streams)
        return streams;
    if (!::FlushFileBuffers(copy))
        return Result::LastError();
    FILE_STANDARD_INFO written{};
    if (!::GetFileInformationByHandleEx(copy, FileStandardInfo, &written, sizeof(written)))
        return Result::LastError();
    if (static_cast<uint64_t>(written.EndOfFile.QuadPart) != about.size)
        return Result::Failed(ERROR_WRITE_FAULT);
    if (about.size <= kComparedCopyBytes)
        if (Result same = CompareData(file, copy, about.size); !same)
            return same;
    // Times and attributes last: reading back sets the access time, and a read-only copy could not
    // have been written.
    FILE_BASIC_INFO basic{};  // a change time of zero is left to the system
    auto value = [](const FILETIME& time) {
        LARGE_INTEGER v;
        v.LowPart = time.dwLowDateTime;
        v.HighPart = static_cast<LONG>(time.dwHighDateTime);
        return v;
    };
    basic.CreationTime = value(about.creation);
    basic.LastAccessTime = value(about.lastAccess);
    basic.LastWriteTime = value(about.lastWrite);
    basic.FileAttributes = about.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return Result::From(::SetFileInformationByHandle(copy, FileBasicInfo, &basic, sizeof(basic)));
}

}  // namespace

void SetCopyWriteFunction(CopyWriteFunction write) noexcept {
    g_copyWrite = write;
}

Result CopyOpenFile(HANDLE file, std::string_view target) {
    OpenFileFacts about;
    if (!QueryOpenFile(file, about))
        return Result::LastError();
    UniqueFile copy = OpenFile(target, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!copy)
        return Result::LastError();
    if (Result filled = FillCopy(file, about, copy.get(), target); !filled) {
        // The copy goes as its handle closes: nothing half written stays behind.
        (void)DeleteOpenFile(copy.get());
        return filled;
    }
    // A close that fails may have lost what the system still held for the disk.
    if (!::CloseHandle(copy.release())) {
        const Result closed = Result::LastError();
        (void)RemoveFile(target);
        return closed;
    }
    return {};
}

Result CurrentPathOf(HANDLE file, std::string_view onVolumeOf, std::string& path) {
    path.clear();
    OpenFileFacts about;
    if (!QueryOpenFile(file, about))
        return Result::LastError();
    auto idAt = [](HANDLE handle) {
        OpenFileFacts facts;
        return QueryOpenFile(handle, facts) ? facts.fileId : 0;
    };
    auto finalPath = [](HANDLE handle) {
        std::wstring buffer(MAX_PATH + 1, L'\0');
        for (;;) {
            const DWORD n =
                ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            if (n == 0)
                return std::string();
            if (n < buffer.size())
                return FromFileApiPath(std::wstring_view(buffer.data(), n));
            buffer.resize(n + 1);
        }
    };
    // The handle's own answer counts when that path opens to this very file.
    const std::string answer = finalPath(file);
    if (!answer.empty()) {
        UniqueFile there =
            OpenFile(answer, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
        if (there && idAt(there.get()) == about.fileId) {
            path = answer;
            return {};
        }
    }
    // A stale answer: the file is looked up by its id on the volume.
    UniqueFile root = OpenFile(VolumeRootOf(onVolumeOf), FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS);
    if (!root)
        return Result::LastError();
    FILE_ID_DESCRIPTOR id{};
    id.dwSize = sizeof(id);
    id.Type = FileIdType;
    id.FileId.QuadPart = static_cast<LONGLONG>(about.fileId);
    UniqueFile found(::OpenFileById(root.get(), &id, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS));
    if (!found) {
        const DWORD error = ::GetLastError();
        return Result::Failed(
            error == ERROR_INVALID_PARAMETER || error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error);
    }
    path = finalPath(found.get());
    return path.empty() ? Result::LastError() : Result();
}

std::wstring VolumeOf(std::string_view path) {
    return FoldedText(VolumeRootOf(path));
}

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

namespace {

std::atomic<FolderReadFunction> g_folderRead{nullptr};

// The answers of a volume that does not know the by-handle listing request, as opposed to a folder
// that could not be read.
bool IsRefusedRequest(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_LEVEL || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// The path an open object has now, every link on the way resolved, in the program's form; ""
// when the system gives none.
std::string FinalPathOf(HANDLE handle) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD n = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0)
            return {};
        if (n < buffer.size())
            return FromFileApiPath(std::wstring_view(buffer.data(), n));
        buffer.resize(n + 1);
    }
    return {};
}

// Opened to be looked at only: no access to its data, shared with everyone, a folder too.
UniqueFile OpenToLookAt(std::string_view path) {
    return OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
}

// True when path opens as the object handle holds: same volume, same file id.
bool OpensAs(HANDLE handle, std::string_view path) {
    const UniqueFile other = OpenToLookAt(path);
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    return other && ::GetFileInformationByHandle(handle, &a) &&
           ::GetFileInformationByHandle(other.get(), &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// The name the folder's listing gives the entry at path: the long name of a short one.
std::string ListedNameOf(std::string_view path, std::string given) {
    const std::wstring api = Checked(path);
    WIN32_FIND_DATAW found{};
    UniqueFind find;
    if (!api.empty())
        find.reset(
            ::FindFirstFileExW(api.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    return find ? Narrow(found.cFileName) : given;
}

}  // namespace

void SetFolderReadFunction(FolderReadFunction read) {
    g_folderRead = read;
}

TruePath TruePathOf(std::string_view path) {
    if (!IsFullPath(path) || path.compare(0, 4, "\\\\?\\") == 0 || path.compare(0, 4, "\\\\.\\") == 0)
        return {std::string(path), ERROR_INVALID_NAME};
    std::string_view trimmed = path;
    while (trimmed.size() > 3 && EndsWithBackslash(trimmed))
        trimmed.remove_suffix(1);
    DWORD error = ERROR_SUCCESS;
    const UniqueFile object = OpenToLookAt(trimmed);
    if (object) {
        std::string final = FinalPathOf(object.get());
        // The same text in another case names what was opened; any other answer (Wine's drops a
        // name's final dots) counts only when it opens as the same object.
        if (IsFullPath(final) && (SameFolded(final, trimmed) || OpensAs(object.get(), final)))
            return {std::move(final), ERROR_SUCCESS};
    } else {
        error = ::GetLastError();
    }
    const std::string name = NamePartOf(trimmed);
    if (IsRootPath(trimmed) || name.empty())
        return {LongPathOf(path), error};
    std::string folder = FolderPartOf(trimmed);
    if (folder.size() == 2)
        folder += '\\';  // "C:" -> "C:\"
    TruePath parent = TruePathOf(folder);
    if (!EndsWithBackslash(parent.path))
        parent.path += '\\';
    parent.path += object && name.find('~') != std::string::npos ? ListedNameOf(trimmed, name) : name;
    if (parent.error == ERROR_SUCCESS)
        parent.error = error;
    return parent;
}

TruePath TruePathOfText(std::string_view text) {
    const std::string full = NormalizedPath(text, {});
    if (!IsFullPath(full) || full.compare(0, 4, "\\\\?\\") == 0 || full.compare(0, 4, "\\\\.\\") == 0)
        return {std::string(text), ERROR_INVALID_NAME};
    return TruePathOf(full);
}

FolderListing::FolderListing(const std::wstring& apiFolder) : apiFolder_(apiFolder) {
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
    if (record->NextEntryOffset == 0)
        pending_ = false;
    else
        offset_ += record->NextEntryOffset;
    return true;
}

}  // namespace win
