#include "win/Prompts.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/LanguageTable.h"
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

Prompts& CurrentPrompts() {
    return *g_prompts;
}
void SetPrompts(Prompts* prompts) {
    g_prompts = prompts ? prompts : &g_realPrompts;
}

int AskUser(HWND owner, const char* textKey, UINT style) {
    return AskUserText(owner, Translate(textKey), style);
}

int AskUserText(HWND owner, const std::string& text, UINT style) {
    return CurrentPrompts().MessageBox(owner, text, Translate("_Quillmoor"), style);
}

}  // namespace win
