#include "win/Prompts.h"

#include <shellapi.h>
#include <shlobj.h>
#include <commdlg.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win/Dialog.h"
#include "win/Text.h"

namespace win {

namespace {
Prompts g_realPrompts;
Prompts* g_prompts = &g_realPrompts;
}  // namespace

namespace {

using TaskDialogIndirectCall = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Version 6 of the common controls has task dialogs; the program's manifest asks for it, but a
// process without that manifest (or a system without it) finds none and gets MessageBoxW.
TaskDialogIndirectCall FindTaskDialog() {
    // Loaded as the process's activation context says (version 6 under the manifest), once, and
    // kept for the process's life.
    static const HMODULE controls = ::LoadLibraryW(L"comctl32.dll");
    if (!controls)
        return nullptr;
    return reinterpret_cast<TaskDialogIndirectCall>(
        reinterpret_cast<void*>(::GetProcAddress(controls, "TaskDialogIndirect")));
}

}  // namespace

int Prompts::MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style) {
    const std::wstring wideText = Wide(text), wideCaption = Wide(caption);
    const TaskDialogIndirectCall taskDialog = buttons_.ok.empty() ? nullptr : FindTaskDialog();
    if (!taskDialog)
        return ::MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);

    const std::wstring ok = Wide(buttons_.ok), cancel = Wide(buttons_.cancel), yes = Wide(buttons_.yes),
                       no = Wide(buttons_.no);
    std::vector<TASKDIALOG_BUTTON> buttons;
    switch (style & MB_TYPEMASK) {
        case MB_OKCANCEL:
            buttons = {{IDOK, ok.c_str()}, {IDCANCEL, cancel.c_str()}};
            break;
        case MB_YESNO:
            buttons = {{IDYES, yes.c_str()}, {IDNO, no.c_str()}};
            break;
        case MB_YESNOCANCEL:
            buttons = {{IDYES, yes.c_str()}, {IDNO, no.c_str()}, {IDCANCEL, cancel.c_str()}};
            break;
        default:
            buttons = {{IDOK, ok.c_str()}};
            break;
    }
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof(config);
    config.hwndParent = owner;
    config.pszWindowTitle = wideCaption.c_str();
    config.pszContent = wideText.c_str();
    config.cButtons = static_cast<UINT>(buttons.size());
    config.pButtons = buttons.data();
    const size_t defaultIndex = (style & MB_DEFMASK) == MB_DEFBUTTON2   ? 1
                                : (style & MB_DEFMASK) == MB_DEFBUTTON3 ? 2
                                                                        : 0;
    config.nDefaultButton = buttons[std::min(defaultIndex, buttons.size() - 1)].nButtonID;
    // As with MessageBoxW, Esc and the close box answer only a box that can be cancelled or has one
    // button.
    const UINT type = style & MB_TYPEMASK;
    if (type == MB_OKCANCEL || type == MB_YESNOCANCEL || buttons.size() == 1)
        config.dwFlags |= TDF_ALLOW_DIALOG_CANCELLATION;
    switch (style & MB_ICONMASK) {
        case MB_ICONERROR:
            config.pszMainIcon = TD_ERROR_ICON;
            break;
        case MB_ICONWARNING:
            config.pszMainIcon = TD_WARNING_ICON;
            break;
        case MB_ICONINFORMATION:
            config.pszMainIcon = TD_INFORMATION_ICON;
            break;
        case MB_ICONQUESTION:
            config.dwFlags |= TDF_USE_HICON_MAIN;
            config.hMainIcon = ::LoadIconW(nullptr, IDI_QUESTION);
            break;
    }
    int answer = 0;
    if (FAILED(taskDialog(&config, &answer, nullptr, nullptr)))
        return ::MessageBoxW(owner, wideText.c_str(), wideCaption.c_str(), style);
    // A box with one button answers Esc with that button, as MessageBoxW does.
    return answer == IDCANCEL && buttons.size() == 1 ? buttons[0].nButtonID : answer;
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
