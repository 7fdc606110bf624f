#pragma once
// The File menu's Language submenu: "As Windows", then English and every shipped translation by
// its own name, the stored choice ticked. A choice is stored in config.xml at once and takes
// effect at the next start, when every window is made in that language.

#include <windows.h>

#include <string>
#include <vector>

#include "core/LanguageChoice.h"

class LanguageMenu {
  public:
    // Lists the languages of programFolder's "Languages" folder in the submenu of bar that holds
    // ID_LANGUAGE_WINDOWS.
    void Fill(HMENU bar, const std::string& programFolder);

    bool Handles(int id) const noexcept;

    // Stores the choice of command id and tells the user when it takes effect.
    void Choose(HWND owner, int id);

  private:
    void TickChoice(const std::string& tag);

    // A language the menu offers: its tag and its own name.
    struct Offered {
        std::string tag;
        std::string name;
    };

    HMENU popup_ = nullptr;
    std::vector<Offered> languages_;  // English first
};
