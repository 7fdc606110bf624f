#include "wizard/LanguageMenu.h"

#include "config/ConfigDocument.h"
#include "config/LanguageSetting.h"
#include "core/AskUser.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "win/Text.h"

namespace {

// The submenu of menu, at any depth, that holds command id as an item of its own.
HMENU PopupHolding(HMENU menu, UINT id) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        if (::GetMenuItemID(menu, i) == id)
            return menu;
        if (HMENU sub = ::GetSubMenu(menu, i))
            if (HMENU holder = PopupHolding(sub, id))
                return holder;
    }
    return nullptr;
}

}  // namespace

void LanguageMenu::Fill(HMENU bar, const std::string& programFolder) {
    popup_ = PopupHolding(bar, ID_LANGUAGE_WINDOWS);
    if (!popup_)
        return;
    // English speaks from the file beside the program, which every translation falls back on.
    languages_ = {{kEnglishTag, "English"}};
    for (const ShippedLanguage& language : FindShippedLanguages(programFolder + "\\Languages"))
        languages_.push_back({language.tag, OwnNameOf(language)});
    if (languages_.size() > IDM_LANGUAGE_LAST - IDM_LANGUAGE_FIRST + 1)
        languages_.resize(IDM_LANGUAGE_LAST - IDM_LANGUAGE_FIRST + 1);
    ::AppendMenuW(popup_, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < languages_.size(); ++i)
        ::AppendMenuW(popup_, MF_STRING, IDM_LANGUAGE_FIRST + i, win::Wide(languages_[i].name).c_str());
    TickChoice(ReadLanguageChoice(ConfigFilePath()));
}

bool LanguageMenu::Handles(int id) const noexcept {
    return id == ID_LANGUAGE_WINDOWS ||
           (id >= IDM_LANGUAGE_FIRST && static_cast<size_t>(id - IDM_LANGUAGE_FIRST) < languages_.size());
}

void LanguageMenu::TickChoice(const std::string& tag) {
    // A stored tag that no longer ships speaks as Windows does, so "As Windows" is ticked then.
    UINT ticked = ID_LANGUAGE_WINDOWS;
    for (size_t i = 0; i < languages_.size(); ++i)
        if (SameLanguageTag(languages_[i].tag, tag))
            ticked = static_cast<UINT>(IDM_LANGUAGE_FIRST + i);
    auto tick = [&](UINT id) {
        MENUITEMINFOW item{};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE;
        item.fType = MFT_STRING | MFT_RADIOCHECK;
        item.fState = id == ticked ? MFS_CHECKED : MFS_UNCHECKED;
        ::SetMenuItemInfoW(popup_, id, FALSE, &item);
    };
    tick(ID_LANGUAGE_WINDOWS);
    for (size_t i = 0; i < languages_.size(); ++i)
        tick(static_cast<UINT>(IDM_LANGUAGE_FIRST + i));
}

void LanguageMenu::Choose(HWND owner, int id) {
    const bool asWindows = id == ID_LANGUAGE_WINDOWS;
    const Offered* language = asWindows ? nullptr : &languages_[static_cast<size_t>(id - IDM_LANGUAGE_FIRST)];
    const std::string tag = asWindows ? std::string() : language->tag;
    if (!WriteLanguageChoice(ConfigFilePath(), tag)) {
        AskUserText(owner, FormatText(Translate("_LanguageNotSaved"), {ConfigFilePath()}),
                    MB_OK | MB_ICONERROR);
        return;
    }
    TickChoice(tag);
    AskUserText(owner,
                asWindows ? Translate("_LanguageAsWindowsFromNextStart")
                          : FormatText(Translate("_LanguageFromNextStart"), {language->name}),
                MB_OK | MB_ICONINFORMATION);
}
