#include "core/VersionInfo.h"

#include <windows.h>
#include <winver.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/ProgramPath.h"

namespace {

// The version block of the file at path, as GetFileVersionInfoA gives it; empty when it has none.
std::vector<char> FileVersionBlock(const std::string& path) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0)
        return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data()))
        return {};
    return block;
}

// The running program's version block read from its own resources. GetFileVersionInfoA needs a
// path the system can open by name, which a program started through a path outside every drive
// (Wine's "\\?\unix\..." form) does not have.
std::vector<char> OwnVersionBlock() {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
    if (!resource)
        return {};
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data || size == 0)
        return {};
    // As GetFileVersionInfoA does, twice the size: VerQueryValueA puts the ANSI copies of the
    // block's texts after the block itself.
    std::vector<char> block(static_cast<size_t>(size) * 2);
    std::memcpy(block.data(), data, size);
    return block;
}

std::string QueryProductString(std::vector<char>& block, const std::string& valueName) {
    if (block.empty())
        return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < 4)
        return {};
    char query[128];
    std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1],
                  valueName.c_str());
    char* value = nullptr;
    if (!::VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return value;
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
