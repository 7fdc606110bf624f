#include "core/AskUser.h"

#include "core/LanguageTable.h"
#include "win/Prompts.h"

int AskUser(HWND owner, const char* textKey, UINT style) {
    return AskUserText(owner, Translate(textKey), style);
}

int AskUserText(HWND owner, const std::string& text, UINT style) {
    return win::CurrentPrompts().MessageBox(owner, text, Translate("_Quillmoor"), style);
}
