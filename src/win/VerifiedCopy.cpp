#include "win/VerifiedCopy.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/Text.h"

namespace win {

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

// Reads exactly size bytes of the file's backup stream at BackupRead's position.
Result ReadBackupExactly(HANDLE file, void* into, DWORD size, void*& context) {
    DWORD got = 0;
    if (!::BackupRead(file, static_cast<BYTE*>(into), size, &got, FALSE, FALSE, &context))
        return Result::LastError();
    return got == size ? Result() : Result::Failed(ERROR_HANDLE_EOF);
}

// Writes the named stream BackupRead has reached, size bytes, into the stream of that name of
// target: ":name:$DATA" after the file's own name makes the stream.
Result CopyNamedStream(HANDLE file, void*& context, std::string_view target, const std::wstring& name,
                       uint64_t size) {
    UniqueFile stream = OpenFile(std::string(target) + Narrow(name), GENERIC_WRITE, 0, CREATE_NEW);
    if (!stream)
        return Result::LastError();
    std::vector<char> buffer(static_cast<size_t>(std::clamp<uint64_t>(size, 1, 1 << 20)));
    for (uint64_t left = size; left > 0;) {
        const DWORD part = static_cast<DWORD>(std::min<uint64_t>(left, buffer.size()));
        if (Result read = ReadBackupExactly(file, buffer.data(), part, context); !read)
            return read;
        DWORD written = 0;
        if (!::WriteFile(stream.get(), buffer.data(), part, &written, nullptr) || written != part)
            return Result::Failed(ERROR_WRITE_FAULT);
        left -= part;
    }
    return Result::From(::FlushFileBuffers(stream.get()));
}

// Copies the named data streams of the open file into streams of target's name, read through the
// file's own handle (BackupRead). A volume or system that keeps no streams (FAT, Wine) says the
// call is not supported: there is nothing to carry.
Result CopyStreams(HANDLE file, std::string_view target) {
    void* context = nullptr;
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
        if (!name.empty() &&
            !(outcome = ReadBackupExactly(file, name.data(), header.dwStreamNameSize, context)))
            break;
        const uint64_t size = static_cast<uint64_t>(header.Size.QuadPart);
        if (header.dwStreamId == BACKUP_ALTERNATE_DATA && !name.empty()) {
            if (!(outcome = CopyNamedStream(file, context, target, name, size)))
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
    const ResultOf<OpenFileFacts> about = QueryOpenFile(file);
    if (!about)
        return about.Outcome();
    UniqueFile copy = OpenFile(target, GENERIC_READ | GENERIC_WRITE | DELETE, 0, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!copy)
        return Result::LastError();
    if (Result filled = FillCopy(file, about.Value(), copy.get(), target); !filled) {
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

}  // namespace win
