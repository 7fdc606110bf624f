#pragma once
// Everything that waits for the user outside our own windows, or hands something to the shell:
// message boxes, the folder browser, shell open requests and modal dialogs. The program uses the
// real ones; window tests install their own to answer prompts and record requests.

#include <windows.h>

#include <string>

namespace win {

class Dialog;

class Prompts {
  public:
    virtual ~Prompts() = default;
    virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style);
    // The folder the user picked (owned by the active window, file-system folders only), or "".
    virtual std::string BrowseForFolder();
    // ShellExecuteA(owner, "open", target, parameters, no folder, SW_SHOWNORMAL); true on success.
    virtual bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters);
    virtual INT_PTR RunModal(Dialog& dialog, int templateId, HWND owner);
    // The file the user chose to save to (Save As, owned by owner, asking before it overwrites a
    // file), or "". filter is the dialog's list of "text\0pattern\0" pairs.
    virtual std::string SaveFileName(HWND owner, const std::string& suggestedName, const std::string& filter,
                                     const std::string& extension);
    // The command the user picked from a shortcut menu shown at point (screen), or 0.
    virtual int TrackMenu(HWND owner, HMENU menu, POINT point);
};

// The prompts in use; SetPrompts(nullptr) goes back to the real ones.
Prompts& CurrentPrompts();
void SetPrompts(Prompts* prompts);

}  // namespace win
