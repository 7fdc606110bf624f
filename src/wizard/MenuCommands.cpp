#include "wizard/MenuCommands.h"

#include "core/ProgramPath.h"
#include "core/WebAddresses.h"
#include "clean/ActivityLog.h"
#include "pages/CleaningPages.h"
#include "pages/RescueManager.h"
#include "resources/ResourceIds.h"
#include "tools/AutomaticCleaningDialog.h"
#include "tools/TypedUrlsDialog.h"
#include "win/Prompts.h"
#include "wizard/AboutDialog.h"

std::string HelpFilePath() {
    return ProgramDirectory() + "\\" + ProgramBaseName() + ".chm";
}

namespace {

// Opens a dialog modally over whatever window is active now; its result is not needed.
template <typename DialogType, typename... Arguments>
void OpenModal(int templateId, Arguments&... arguments) {
    DialogType dialog(arguments...);
    win::CurrentPrompts().RunModal(dialog, templateId, ::GetActiveWindow());
}

}  // namespace

void RunMenuCommand(HWND frame, Session& session, int id) {
    switch (id) {
        case ID_TOOLS_RESCUE:
            OpenModal<RescueManager>(IDD_RESCUE, session);
            break;
        case ID_TOOLS_TYPEDURLS:
            // The menu item is greyed too; an accelerator or a sent command must not get round it.
            if (!session.CurrentPolicy().noTypedUrlTool)
                OpenModal<TypedUrlsDialog>(IDD_TYPEDURLS);
            break;
        case ID_TOOLS_AUTOCLEAN: {
            DataFolders data = session.Data();
            std::string program = ProgramFilePath();
            Policy policy = session.CurrentPolicy();
            OpenModal<AutomaticCleaningDialog>(IDD_AUTOCLEAN, data, program, policy);
            break;
        }
        case ID_HELP_ABOUT:
            OpenModal<AboutDialog>(IDD_ABOUT);
            break;
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
