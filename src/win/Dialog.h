#pragma once
// The one dialog base of the program: routes the messages of a dialog made from a template to
// member functions, and keeps exceptions from ever reaching the system.

#include <windows.h>

#include <string>

namespace win {

class Dialog {
  public:
    Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND Handle() const noexcept { return hwnd_; }
    HWND Item(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }

    // A modeless dialog (a page inside the frame, or the frame itself).
    HWND Create(int templateId, HWND parent);
    // A modal dialog; returns the result given to End.
    INT_PTR RunModal(int templateId, HWND owner);
    void End(INT_PTR result);

    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text) const;
    bool IsChecked(int id) const { return ::IsDlgButtonChecked(hwnd_, id) != BST_UNCHECKED; }
    void SetChecked(int id, bool checked) const {
        ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
    }
    void Enable(int id, bool enable) const { ::EnableWindow(Item(id), enable); }
    // A worker's status line: while it runs, one line whose paths are shortened in their middle;
    // afterwards its sentences wrap, so a long one (or a longer language) shows whole.
    void ShowStatusAsPaths(int id, bool paths) const;

  protected:
    virtual bool OnInit() { return true; }  // true: let the system set the focus
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // Return true when handled; result is the value for DWLP_MSGRESULT.
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    virtual void OnSize(int /*width*/, int /*height*/) {}
    virtual void OnDestroy() {}
    // Any other message; return true when handled.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, INT_PTR& /*result*/) {
        return false;
    }

  private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog a command belongs to: the nearest dialog above the control that sent it, or above
    // the focused control for the IDOK that Enter sends without one. The dialog manager sends a
    // focused button's command and an access key's to the top dialog, where a page's button would
    // act as the frame's button of the same id.
    HWND CommandOwner(int id, HWND control) const;
    // Enter on a focused push button that the dialog manager does not take for the default one
    // (focus set by code, not by Tab) arrives as IDOK without a control: it clicks that button.
    bool PressFocusedButton() const;

    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

// A window's whole text, and a new one, in program text.
std::string WindowText(HWND window);
void SetWindowTextOf(HWND window, const std::string& text);

// The first control Tab reaches among a dialog's own controls (visible, enabled, a tab stop); null
// when it has none.
HWND FirstTabStop(HWND dialog);

// Centres a window over its owner when the owner is visible and not minimised, otherwise over the
// desktop work area, and keeps it inside the work area.
void CentreWindow(HWND window);

}  // namespace win
