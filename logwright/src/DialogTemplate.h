#pragma once
// In-memory dialog templates without controls: the windows create their controls themselves, so
// the component needs no resource script.

#include <windows.h>

#include <vector>

namespace logwright {

// A DLGTEMPLATE with the given styles, size (dialog units) and caption, using the 8-point shell
// dialog font. The vector's storage is suitably aligned for the dialog functions.
std::vector<WORD> MakeDialogTemplate(DWORD style, DWORD exStyle, short cx, short cy, const wchar_t* caption);

// The module that holds this code (the DLL, or the program it is linked into).
HINSTANCE ThisModule();

}  // namespace logwright
