#include "scan/Shortcut.h"

#include <windows.h>
#include <shlobj.h>

#include "win/ComPtr.h"
#include "win/Text.h"

bool ResolveShortcutTarget(const std::string& shortcutPath, std::string& target) {
    target.clear();
    win::ComPtr<IShellLinkA> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.put_void())))
        return false;
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file)
        return false;
    std::wstring wide = win::AnsiToWide(shortcutPath);
    if (wide.size() >= MAX_PATH)
        wide.resize(MAX_PATH - 1);
    if (FAILED(file->Load(wide.c_str(), STGM_READ)))
        return false;
    char buffer[MAX_PATH] = {};
    if (FAILED(link->GetPath(buffer, MAX_PATH, nullptr, 0)))
        return false;
    target = buffer;
    return true;
}
