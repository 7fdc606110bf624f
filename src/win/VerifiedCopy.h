#pragma once
// The copy of an open file that counts only once it is on the disk as the file is.

#include <windows.h>

#include <cstdint>
#include <string_view>

#include "win/Result.h"

namespace win {

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

}  // namespace win
