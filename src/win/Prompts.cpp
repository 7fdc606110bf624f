#include "win/Prompts.h"

#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>

#include "win/Dialog.h"
#include "win/Text.h"

namespace win {

namespace {
Prompts g_realPrompts;
Prompts* g_prompts = &g_realPrompts;
}  // namespace

int Prompts::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style) {
    return ::MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), style);
}

std::string Prompts::BrowseForFolder() {
    BROWSEINFOW info{};
    info.hwndOwner = ::GetActiveWindow();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST picked = ::SHBrowseForFolderW(&info);
    if (!picked)
        return {};
    // The path of any length the folder has (SHGetPathFromIDListEx); at most 32,767 characters.
    std::wstring path(32768, L'\0');
    const bool ok =
        ::SHGetPathFromIDListEx(picked, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    ::CoTaskMemFree(picked);
    return ok ? Narrow(path.c_str()) : std::string();
}

bool Prompts::ShellOpen(HWND owner, const std::string& target, const std::string& parameters) {
    const std::wstring file = Wide(target), arguments = Wide(parameters);
    HINSTANCE result =
        ::ShellExecuteW(owner, L"open", file.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                        nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

INT_PTR Prompts::RunModal(Dialog& dialog, int templateId, HWND owner) {
    return dialog.RunModal(templateId, owner);
}

std::string Prompts::SaveFileName(HWND owner, const std::string& suggestedName, const std::string& filter,
                                  const std::string& extension) {
    // Room for a path of any length the system allows.
    std::wstring path(32768, L'\0');
    const std::wstring suggested = Wide(suggestedName), filters = Wide(filter),
                       defaultExtension = Wide(extension);
    suggested.copy(path.data(), path.size() - 1);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filters.c_str();
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = defaultExtension.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return ::GetSaveFileNameW(&dialog) ? Narrow(path.c_str()) : std::string();
}

int Prompts::TrackMenu(HWND owner, HMENU menu, POINT point) {
    return static_cast<int>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr));
}

Prompts& CurrentPrompts() {
    return *g_prompts;
}
void SetPrompts(Prompts* prompts) {
    g_prompts = prompts ? prompts : &g_realPrompts;
}

}  // namespace win
