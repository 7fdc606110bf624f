#include "core/VersionInfo.h"

#include <windows.h>
#include <winver.h>

#include <cstdio>
#include <cwchar>
#include <cstring>
#include <vector>

#include "core/ProgramPath.h"
#include "win/Text.h"

namespace {

// The version block of the file at path, as GetFileVersionInfoA gives it; empty when it has none.
std::vector<char> FileVersionBlock(const std::string& path) {
    DWORD handle = 0;
    const std::wstring file = win::Wide(path);
    DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return {};
    return block;
}

// The running program's version block read from its own resources. GetFileVersionInfoW needs a
// path the system can open by name, which a program started through a path outside every drive
// (Wine's "\\?\unix\..." form) does not have.
std::vector<char> OwnVersionBlock() {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC resource =
        ::FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));  // RT_VERSION
    if (!resource)
        return {};
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0)
        return {};
    // As GetFileVersionInfoW does, twice the size, room the version calls may use after the block.
    std::vector<char> block(static_cast<size_t>(size) * 2);
    std::memcpy(block.data(), data, size);
    return block;
}

std::string QueryProductString(std::vector<char>& block, const std::string& valueName) {
    if (block.empty())
        return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < 4)
        return {};
    wchar_t query[128];
    std::swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1],
                  win::Wide(valueName).c_str());
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return win::Narrow(value);
}

}  // namespace

std::string ProductStringOf(const std::string& path, const std::string& valueName) {
    std::vector<char> block = FileVersionBlock(path);
    return QueryProductString(block, valueName);
}

std::string ProductString(const std::string& valueName) {
    std::vector<char> block = FileVersionBlock(ProgramFilePath());
    if (block.empty())
        block = OwnVersionBlock();
    return QueryProductString(block, valueName);
}
