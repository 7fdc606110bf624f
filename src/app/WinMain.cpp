// The program's entry point: one instance, COM, the language file, the parser check, the wizard
// frame and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "core/AskUser.h"
#include "core/DataFolders.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "app/UnattendedRun.h"
#include "config/ConfigDocument.h"
#include "config/LanguageSetting.h"
#include "core/LanguageChoice.h"
#include "core/LocaleText.h"
#include "win/ComPtr.h"
#include "win/Prompts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"
#include "session/ProgramPolicy.h"
#include "wizard/WizardFrame.h"

namespace {

// {2933BF90-7B36-11D2-B20E-00C04F983E60} and {2933BF81-7B36-11D2-B20E-00C04F983E60}
const CLSID kDomDocument = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const IID kDomDocumentInterface = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

bool XmlParserPresent() {
    win::ComPtr<IUnknown> document;
    HRESULT hr = ::CoCreateInstance(kDomDocument, nullptr,
                                    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                    kDomDocumentInterface, document.put_void());
    return SUCCEEDED(hr) && document;
}

// The command line's arguments after the program's name, as the C runtime split them, in full:
// a folder may have any name.
std::vector<std::string> Arguments() {
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.push_back(win::Narrow(__wargv[i]));
    return arguments;
}

// Speaks the language the user chose, else that of Windows, where a translation of it ships;
// English, from the file beside the program, otherwise and for every text a translation lacks.
void SpeakChosenLanguage() {
    const std::vector<ShippedLanguage> shipped = FindShippedLanguages(ProgramDirectory() + "\\Languages");
    std::vector<std::string> tags;
    for (const ShippedLanguage& language : shipped)
        tags.push_back(language.tag);
    const std::string tag = PickLanguage(ReadLanguageChoice(ConfigFilePath()), DisplayLanguageTag(), tags);
    for (const ShippedLanguage& language : shipped)
        if (language.tag == tag)
            LanguageTable::Instance().SetTranslation(language.path);
    SetCurrentLocale(LocaleForLanguage(tag, UserLocaleName()));
    win::CurrentPrompts().SetButtonTexts(
        {Translate("_OK"), Translate("_Cancel"), Translate("_Yes"), Translate("_No")});
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int showCommand) {
    // A user's first start of an installation for the whole machine gives them their own config.xml
    // before anything reads one. A copy that fails leaves none: the wizard then shows the factory
    // values it cannot save, and "/auto" says that config.xml is missing, naming where.
    if (const DataFolders data = ProgramDataFolders(); data.perMachine)
        (void)PrepareUserConfig(data.FactoryConfigPath(), data.ConfigPath());
    const CommandLine command = ParseCommandLine(Arguments());
    const CommandSwitch* chosen = command.chosen;
    // A switch that only reads runs beside an open wizard.
    if (chosen && !chosen->oneInstance)
        return chosen->run(command);
    const win::SingleInstance instance(L"{7ECC0C75-C524-46f0-BECC-05DB5D441FC8}");
    if (instance.AnotherRuns())
        return chosen && !chosen->opensWindow ? kExitAlreadyRunning : 0;
    const win::ComApartment com;
    LanguageTable::Instance().SetPath(ProgramDirectory() + "\\" + ProgramBaseName() + ".language");
    SpeakChosenLanguage();
    if (command.mode == CommandLine::Mode::Invalid)
        return ShowUsage(command);
    if (chosen)
        return chosen->run(command);

    if (!XmlParserPresent()) {
        AskUser(nullptr, "_NotInstallXML2", MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    ::InitCommonControlsEx(&controls);

    int exitCode = 0;
    {
        auto frame = std::make_unique<WizardFrame>();
        // The organisation's automatic cleaning is put in place (or taken away) by the user's own
        // start of the program: the task runs as that user.
        (void)EnforceAutomaticPolicy(frame->CurrentSession().CurrentPolicy(), ProgramFilePath());
        HWND window = frame->Open();
        if (window) {
            ::ShowWindow(window, showCommand);
            MSG msg;
            for (;;) {
                BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
                if (got == -1)
                    continue;
                if (got == 0) {
                    exitCode = static_cast<int>(msg.wParam);
                    break;
                }
                // The frame's own window may be gone already while the quit message is on its way.
                if (::IsWindow(window) && ::IsDialogMessageW(window, &msg))
                    continue;
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
    }
    return exitCode;
}
