#pragma once
// The folders directly inside a folder, as the folder selection page shows them below a drive or
// folder: hidden and system ones included, in the order the listing returns them.

#include <string>
#include <vector>

// The names of the subfolders of path ("C:" or "C:\" for a drive, "C:\Windows" for a folder);
// none for a folder that cannot be listed.
std::vector<std::string> ListSubfolders(const std::string& path);

// True as soon as the listing of path shows one subfolder; files never count.
bool HasSubfolder(const std::string& path);
