#include "app/VersionInfo.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "app/ProgramPath.h"

std::string ProductStringOf(const std::string& path, const std::string& valueName) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!::GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4)
        return {};
    char query[128];
    std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1],
                  valueName.c_str());
    char* value = nullptr;
    if (!::VerQueryValueA(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value) return {};
    return value;
}

std::string ProductString(const std::string& valueName) { return ProductStringOf(ProgramFilePath(), valueName); }
