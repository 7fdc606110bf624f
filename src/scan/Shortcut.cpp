#include "scan/Shortcut.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "win/ComPtr.h"
#include "win/PathCalls.h"
#include "win/Text.h"

bool IsShortcutToMissingTarget(const std::string& shortcutPath) {
    win::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.put_void())))
        return false;
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(win::Wide(shortcutPath).c_str(), STGM_READ)))
        return false;
    // The target's path as its item id list names it, by its true name; the path the shortcut
    // records beside it may be a lossy ANSI copy (Wine gives that one back), so it serves only
    // where there is no id list. A target path is at most 32,767 characters.
    std::wstring target(32768, L'\0');
    LPITEMIDLIST items = nullptr;
    bool fromItems = false;
    if (SUCCEEDED(link->GetIDList(&items)) && items) {
        fromItems = ::SHGetPathFromIDListEx(items, target.data(), static_cast<DWORD>(target.size()),
                                            GPFIDL_DEFAULT) != FALSE;
        ::CoTaskMemFree(items);
        // An id list without a file-system path is a virtual folder: nothing to check.
        if (!fromItems)
            return false;
    }
    // A shortcut whose recorded target is empty leads nowhere, whatever id list it holds (Wine
    // stores the desktop folder's with it).
    std::wstring recorded(32768, L'\0');
    if (FAILED(link->GetPath(recorded.data(), static_cast<int>(recorded.size()), nullptr, 0)))
        return false;
    if (recorded[0] == L'\0')
        return true;
    if (!fromItems)
        target = recorded;
    target.resize(std::wcslen(target.c_str()));
    const DWORD error = win::FileAttributes(win::Narrow(target)).Error();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}
