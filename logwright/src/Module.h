#pragma once
// The DLL's module-wide count of live objects, class factory references and server locks, which
// DllCanUnloadNow looks at.

#include <windows.h>

namespace logwright {

void ModuleAddRef();
void ModuleRelease();
long ModuleRefCount();

}  // namespace logwright
