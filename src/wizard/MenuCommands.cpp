#include "wizard/MenuCommands.h"

#include "app/ProgramPath.h"
#include "pages/CleaningPages.h"
#include "resources/ResourceIds.h"
#include "clean/ActivityLog.h"
#include "win/Prompts.h"

const char* const kWebSiteAddress = "https://quillmoor.example.org/";
const char* const kContactAddress = "https://quillmoor.example.org/contact";
const char* const kSupportAddress = "https://quillmoor.example.org/support";
const char* const kSearchAddress = "https://www.google.com";

std::string HelpFilePath() { return ProgramDirectory() + "\\" + ProgramBaseName() + ".chm"; }

void RunMenuCommand(HWND frame, int id) {
    switch (id) {
    case ID_HELP_CONTENT:
        win::CurrentPrompts().ShellOpen(frame, HelpFilePath(), "");
        break;
    case ID_HELP_WEBSITE:
        win::CurrentPrompts().ShellOpen(frame, kWebSiteAddress, "");
        break;
    case ID_HELP_CONTACT:
        win::CurrentPrompts().ShellOpen(frame, kContactAddress, "");
        break;
    case ID_TOOLS_LOGWRIGHT:
        OpenActivityLogViewer(ProgramLogFolder());
        break;
    default:
        break;
    }
}
