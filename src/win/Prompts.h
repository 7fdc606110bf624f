#pragma once
// Everything that waits for the user outside our own windows, or hands something to the shell:
// message boxes, the folder browser, shell open requests and modal dialogs. The program uses the
// real ones; window tests install their own to answer prompts and record requests.

#include <windows.h>

#include <string>

namespace win {

class Dialog;

// The words on a message box's buttons, with their access keys, in the language the program speaks.
struct ButtonTexts {
    std::string ok, cancel, yes, no;
};

class Prompts {
  public:
    virtual ~Prompts() = default;
    // A message box as MessageBoxW shows it (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL, an icon,
    // MB_DEFBUTTON2 or 3) and its answer (IDOK, IDCANCEL, IDYES, IDNO); once button texts are set,
    // a task dialog with those texts, since MessageBoxW's buttons speak the Windows display language.
    virtual int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style);
    // The texts the real message boxes put on their buttons; set once, before the first box.
    void SetButtonTexts(const ButtonTexts& texts) { buttons_ = texts; }
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

  private:
    ButtonTexts buttons_;
};

// The prompts in use; SetPrompts(nullptr) goes back to the real ones.
Prompts& CurrentPrompts();
void SetPrompts(Prompts* prompts);

}  // namespace win
