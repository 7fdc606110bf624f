#include "win/Prompts.h"

#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>

#include "win/Dialog.h"

namespace win {

namespace {
Prompts g_realPrompts;
Prompts* g_prompts = &g_realPrompts;
}  // namespace

int Prompts::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style) {
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

std::string Prompts::BrowseForFolder() {
    BROWSEINFOA info{};
    info.hwndOwner = ::GetActiveWindow();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST picked = ::SHBrowseForFolderA(&info);
    if (!picked)
        return {};
    char path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListA(picked, path);
    ::CoTaskMemFree(picked);
    return ok ? std::string(path) : std::string();
}

bool Prompts::ShellOpen(HWND owner, const std::string& target, const std::string& parameters) {
    HINSTANCE result =
        ::ShellExecuteA(owner, "open", target.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                        nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

INT_PTR Prompts::RunModal(Dialog& dialog, int templateId, HWND owner) {
    return dialog.RunModal(templateId, owner);
}

std::string Prompts::SaveFileName(HWND owner, const std::string& suggestedName, const std::string& filter,
                                  const std::string& extension) {
    char path[MAX_PATH] = {};
    suggestedName.copy(path, sizeof(path) - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof(path);
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    return ::GetSaveFileNameA(&dialog) ? std::string(path) : std::string();
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
