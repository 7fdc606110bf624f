#include "win/OpenFileCalls.h"

#include <winternl.h>

#include <cwchar>
#include <vector>

#include "win/ApiPath.h"
#include "win/Fold.h"
#include "win/PathCalls.h"
#include "win/Text.h"

namespace win {

ResultOf<std::string> FinalPathOf(HANDLE handle) {
    const std::wstring final = FetchSystemWideText([handle](wchar_t* buffer, UINT size) {
        return ::GetFinalPathNameByHandleW(handle, buffer, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    if (final.empty())
        return Result::LastError();
    return FromFileApiPath(final);
}

bool SameObject(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
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

    if (const ResultOf<std::string> final = FinalPathOf(handle))
        return matches(final.Value(), 0);
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
    const ResultOf<std::wstring> checked = CheckedApiPath(target);
    if (!checked)
        return checked.Outcome();
    const std::wstring& api = checked.Value();
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

ResultOf<OpenFileFacts> QueryOpenFile(HANDLE file) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    FILE_INTERNAL_INFORMATION internal{};
    IO_STATUS_BLOCK status{};
    if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)))
        return Result::LastError();
    const NTSTATUS asked =
        ::NtQueryInformationFile(file, &status, &internal, sizeof(internal), FileInternalInformation);
    if (!NT_SUCCESS(asked))
        return Result::Failed(::RtlNtStatusToDosError(asked));
    auto time = [](const LARGE_INTEGER& value) {
        return FILETIME{static_cast<DWORD>(value.QuadPart), static_cast<DWORD>(value.QuadPart >> 32)};
    };
    OpenFileFacts facts;
    facts.attributes = basic.FileAttributes;
    facts.size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
    facts.creation = time(basic.CreationTime);
    facts.lastAccess = time(basic.LastAccessTime);
    facts.lastWrite = time(basic.LastWriteTime);
    facts.fileId = static_cast<uint64_t>(internal.IndexNumber.QuadPart);
    facts.links = standard.NumberOfLinks;
    facts.deletePending = standard.DeletePending != FALSE;
    return facts;
}

ResultOf<std::string> CurrentPathOf(HANDLE file, std::string_view onVolumeOf) {
    const ResultOf<OpenFileFacts> about = QueryOpenFile(file);
    if (!about)
        return about.Outcome();
    // The handle's own answer counts when that path opens to this very object.
    if (ResultOf<std::string> answer = FinalPathOf(file)) {
        UniqueFile there = OpenFile(answer.Value(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
        if (there && SameObject(file, there.get()))
            return answer;
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
    id.FileId.QuadPart = static_cast<LONGLONG>(about->fileId);
    UniqueFile found(::OpenFileById(root.get(), &id, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS));
    if (!found) {
        const DWORD error = ::GetLastError();
        return Result::Failed(
            error == ERROR_INVALID_PARAMETER || error == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : error);
    }
    return FinalPathOf(found.get());
}

}  // namespace win
