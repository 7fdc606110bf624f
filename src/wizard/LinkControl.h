#pragma once
// A static control taken over as a hyperlink: its text underlined in the link colour, the hand
// cursor over the text, a tooltip with the target, opened by a click or by Enter or Space while it
// has the focus, and drawn in the visited colour once it has been opened.

#include <windows.h>

#include <string>

#include "win/UniqueHandle.h"

struct LinkColours {
    COLORREF normal = RGB(0, 0, 255);
    COLORREF visited = RGB(128, 0, 128);
};

// "r,g,b": three decimal numbers from 0 to 255 separated by commas (blanks around them allowed).
bool ParseColourText(const std::string& text, COLORREF& colour);

// Blue and purple, each replaced by the web browser's "Anchor Color" or "Anchor Color Visited"
// (HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Settings) when that holds a colour.
LinkColours ReadLinkColours();

class LinkControl {
  public:
    LinkControl() = default;
    LinkControl(const LinkControl&) = delete;
    LinkControl& operator=(const LinkControl&) = delete;
    ~LinkControl();

    // Takes over the static control: its text now is the label. The colours are read here.
    void Attach(HWND control, const std::string& target);

    HWND Handle() const { return control_; }
    HWND Tooltip() const { return tooltip_; }
    const std::string& Target() const { return target_; }
    bool Visited() const { return visited_; }
    // The colour the text is drawn in now.
    COLORREF Colour() const { return visited_ ? colours_.visited : colours_.normal; }
    // The label's rectangle in the control's client area: the part that reacts to the mouse.
    RECT TextRect() const;

    // Opens the target through the shell; a success makes the link visited.
    bool Open();

  private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HDC dc) const;
    bool OverText(LPARAM clientPoint) const;
    void Detach();

    HWND control_ = nullptr;
    HWND tooltip_ = nullptr;
    win::UniqueGdiObject<HFONT> font_;  // the dialog's font, underlined
    HFONT baseFont_ = nullptr;          // the control's font before it became a link
    std::wstring label_;
    std::string target_;
    std::wstring tip_;  // the target, as the tooltip shows it
    LinkColours colours_;
    bool visited_ = false;
    bool pressed_ = false;
};
