#pragma once
// A path cut short in its middle to fit a width, so that its start and its file name both show
// ("C:\Users\ann\AppData\...\Cache\data_1"): the end ellipsis of a list cell would hide the name,
// which is what a user needs to tell the rows apart.

#include <windows.h>

#include <string>

namespace win {

// path as it fits width pixels in the font selected into dc: whole when it fits; else as much of
// its start as fits, "...\" and its last step; the last step alone after "...\" when even one
// character of the start does not fit (the cell then cuts it at its end).
std::wstring MiddleEllipsisPath(HDC dc, const std::wstring& path, int width);

}  // namespace win
