// The main menu's commands through the real frame and the prompts seam, and the About dialog with
// its two links: texts from the version resource and the language file, link colours from the
// browser's settings, opening by mouse and keyboard.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <set>
#include <vector>

#include "config/ConfigDocument.h"
#include "config/LanguageSetting.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "core/VersionInfo.h"
#include "core/WebAddresses.h"
#include "resources/ResourceIds.h"
#include "support/RegistrySnapshot.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "tools/TypedUrlsDialog.h"
#include "win/Text.h"
#include "wizard/AboutDialog.h"
#include "wizard/LinkControl.h"
#include "wizard/MenuCommands.h"
#include "wizard/WizardFrame.h"

namespace {

const char* const kBrowserSettings = "Software\\Microsoft\\Internet Explorer\\Settings";

// Prompts whose shell opens can be made to fail, as without a web browser.
class ScriptedPrompts : public test::RecordingPrompts {
  public:
    bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters) override {
        RecordingPrompts::ShellOpen(owner, target, parameters);
        return !failOpens;
    }
    bool failOpens = false;
};

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MouseClick(HWND control, POINT down, POINT up) {
    ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down.x, down.y));
    ::SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(up.x, up.y));
}

// Whether the control paints any pixel in the colour.
bool PaintsColour(HWND control, COLORREF colour) {
    RECT client;
    ::GetClientRect(control, &client);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    ::SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    bool found = false;
    for (int y = 0; y < client.bottom && !found; ++y)
        for (int x = 0; x < client.right && !found; ++x)
            found = ::GetPixel(dc, x, y) == colour;
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return found;
}

}  // namespace

TEST(LinkColours, ComeFromTheBrowserSettingsWhenTheyHoldAColour) {
    COLORREF colour = 0;
    EXPECT_TRUE(ParseColourText("10,20,30", colour));
    EXPECT_EQ(colour, RGB(10, 20, 30));
    EXPECT_TRUE(ParseColourText(" 255 , 0,128 ", colour));
    EXPECT_EQ(colour, RGB(255, 0, 128));
    for (const char* bad :
         {"", "1,2", "1,2,3,4", "256,0,0", "1,,3", "-1,2,3", "a,b,c", "1;2;3", "0001,2,3", "1 2,3,4"})
        EXPECT_FALSE(ParseColourText(bad, colour)) << bad;

    test::RegistrySnapshot saved(kBrowserSettings);
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kBrowserSettings, "Anchor Color");
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, kBrowserSettings, "Anchor Color Visited");
    LinkColours colours = ReadLinkColours();
    EXPECT_EQ(colours.normal, RGB(0, 0, 255));
    EXPECT_EQ(colours.visited, RGB(128, 0, 128));

    saved.SetText("Anchor Color", "0,128,0");
    saved.SetText("Anchor Color Visited", "128,64");  // no colour: the default stays
    colours = ReadLinkColours();
    EXPECT_EQ(colours.normal, RGB(0, 128, 0));
    EXPECT_EQ(colours.visited, RGB(128, 0, 128));
}

class AboutDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.SetText("Anchor Color", "10,20,30");
        settings_.SetText("Anchor Color Visited", "200,100,50");
        window_ = dialog_.Create(IDD_ABOUT, nullptr);
        ASSERT_TRUE(window_);
        ::ShowWindow(window_, SW_SHOW);
        test::PumpPending();
    }
    void TearDown() override {
        if (::IsWindow(window_))
            ::DestroyWindow(window_);
        test::PumpPending();
    }
    std::string Text(int id) const { return test::WindowText(::GetDlgItem(window_, id)); }

    test::ProgramFolder program_;
    test::RegistrySnapshot settings_{kBrowserSettings};
    ScriptedPrompts prompts_;
    AboutDialog dialog_;
    HWND window_ = nullptr;
};

TEST_F(AboutDialogTest, ShowsTheProductTheThanksListAndTwoLinks) {
    EXPECT_EQ(test::WindowText(window_), Translate("_AboutDialog"));
    // The test program carries the program's version resource.
    EXPECT_EQ(Text(IDC_ABOUT_NAME), "Quillmoor");
    EXPECT_EQ(Text(IDC_ABOUT_VERSION), "1.0");
    EXPECT_EQ(Text(IDC_ABOUT_NAME), ProductString("ProductName"));
    EXPECT_EQ(Text(IDC_ABOUT_THANKS), Translate("_Thankyoulist", true));
    EXPECT_EQ(::SendMessageA(::GetDlgItem(window_, IDC_ABOUT_THANKS), EM_GETLINECOUNT, 0, 0), 3);
    EXPECT_EQ(Text(IDCANCEL), Translate("_Close"));  // nothing to cancel: the window only closes

    const LinkControl& webSite = dialog_.WebSiteLink();
    const LinkControl& support = dialog_.SupportLink();
    EXPECT_EQ(webSite.Handle(), ::GetDlgItem(window_, IDC_ABOUT_WEBSITE));
    EXPECT_EQ(support.Handle(), ::GetDlgItem(window_, IDC_ABOUT_SUPPORT));
    EXPECT_EQ(Text(IDC_ABOUT_WEBSITE), Translate("_Websitelink"));
    EXPECT_EQ(webSite.Target(), kWebSiteAddress);
    EXPECT_EQ(support.Target(), kSupportAddress);
    EXPECT_TRUE(::GetWindowLongA(webSite.Handle(), GWL_STYLE) & SS_NOTIFY);
    // Tab reaches both links on its round through the dialog.
    std::set<HWND> tabStops;
    for (HWND stop = ::GetNextDlgTabItem(window_, nullptr, FALSE); stop && tabStops.insert(stop).second;)
        stop = ::GetNextDlgTabItem(window_, stop, FALSE);
    EXPECT_TRUE(tabStops.count(webSite.Handle()) && tabStops.count(support.Handle()));
    for (const LinkControl* link : {&webSite, &support}) {
        char tip[256] = {};
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(link->Handle());
        tool.lpszText = tip;
        ::SendMessageA(link->Tooltip(), TTM_GETTEXTA, sizeof(tip), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::string(tip), link->Target());
    }
    // The colours of the browser's settings, the underlined text painted in them.
    EXPECT_EQ(webSite.Colour(), RGB(10, 20, 30));
    EXPECT_TRUE(PaintsColour(webSite.Handle(), RGB(10, 20, 30)));
    EXPECT_FALSE(PaintsColour(webSite.Handle(), RGB(200, 100, 50)));
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(webSite.Handle(), WM_GETFONT, 0, 0)), sizeof(font),
                 &font);
    EXPECT_TRUE(font.lfUnderline);

    // The hand cursor over the text.
    POINT over = Centre(webSite.TextRect());
    ::ClientToScreen(webSite.Handle(), &over);
    ::SetCursorPos(over.x, over.y);
    // In a Wine desktop the move reaches the windows as a message of its own, which may set the
    // cursor again after ours: the control is asked again until what it set stays.
    EXPECT_TRUE(test::PumpUntil([&] {
        ::SendMessageA(webSite.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(webSite.Handle()),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return ::GetCursor() == ::LoadCursorW(nullptr, IDC_HAND);
    }));

    // Esc ends the dialog as "_Close" does.
    MSG escape{window_, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    ::IsDialogMessageA(window_, &escape);
    EXPECT_FALSE(::IsWindow(window_));
}

TEST_F(AboutDialogTest, LinksOpenByClickOrKeyAndTurnVisitedOnlyWhenOpened) {
    const LinkControl& webSite = dialog_.WebSiteLink();
    const LinkControl& support = dialog_.SupportLink();
    const RECT text = webSite.TextRect();
    RECT client;
    ::GetClientRect(webSite.Handle(), &client);
    ASSERT_LT(text.right + 4, client.right);  // the control is wider than its text

    // Beside the text, or released elsewhere: nothing opens.
    MouseClick(webSite.Handle(), {text.right + 2, 2}, {text.right + 2, 2});
    MouseClick(webSite.Handle(), Centre(text), {text.right + 2, 2});
    EXPECT_TRUE(prompts_.opened.empty());

    // A click on the text gives the focus and opens the target; the link is visited from then on.
    MouseClick(webSite.Handle(), Centre(text), Centre(text));
    EXPECT_EQ(prompts_.opened, (std::vector<std::string>{kWebSiteAddress}));
    EXPECT_EQ(::GetFocus(), webSite.Handle());
    EXPECT_TRUE(webSite.Visited());
    EXPECT_EQ(webSite.Colour(), RGB(200, 100, 50));
    EXPECT_TRUE(PaintsColour(webSite.Handle(), RGB(200, 100, 50)));
    EXPECT_FALSE(support.Visited());

    // A target that cannot be opened leaves the link as it was.
    prompts_.failOpens = true;
    ::SetFocus(support.Handle());
    MSG key{support.Handle(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(::IsDialogMessageA(window_, &key));  // the dialog hands Enter to the link
    EXPECT_EQ(prompts_.opened.size(), 2u);
    EXPECT_EQ(prompts_.opened.back(), kSupportAddress);
    EXPECT_FALSE(support.Visited());
    EXPECT_EQ(support.Colour(), RGB(10, 20, 30));

    prompts_.failOpens = false;
    key.wParam = VK_SPACE;
    ::IsDialogMessageA(window_, &key);
    EXPECT_EQ(prompts_.opened.size(), 3u);
    EXPECT_TRUE(support.Visited());
    EXPECT_TRUE(::IsWindow(window_));  // Enter went to the link, not to the dialog
}

class MenuCommandsTest : public ::testing::Test {
  protected:
    test::ProgramFolder program_;
    test::RegistrySnapshot typedUrls_{kTypedUrlsKey};
    ScriptedPrompts prompts_;
    WizardFrame frame_;
};

TEST_F(MenuCommandsTest, EveryCommandReachesItsTargetAtAnyTime) {
    HWND frame = frame_.Open();
    ASSERT_TRUE(frame);
    ::ShowWindow(frame, SW_SHOW);
    ::SetActiveWindow(frame);

    // Nothing in the menu is ever greyed.
    HMENU menu = ::GetMenu(frame);
    for (int id : {ID_FILE_EXIT, ID_TOOLS_RESCUE, ID_TOOLS_TYPEDURLS, ID_TOOLS_LOGWRIGHT, ID_HELP_CONTENT,
                   ID_HELP_WEBSITE, ID_HELP_CONTACT, ID_HELP_ABOUT})
        EXPECT_EQ(::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED), 0u) << id;

    // The three dialogs open modally over the active window, translated, and close with their Close
    // button, which says so: none of them has anything left to cancel.
    std::vector<HWND> owners;
    std::vector<std::string> captions;
    prompts_.onDialog = [&](HWND dialog, int) {
        owners.push_back(::GetWindow(dialog, GW_OWNER));
        captions.push_back(test::WindowText(dialog));
        EXPECT_FALSE(::IsWindowEnabled(frame));
        EXPECT_EQ(test::WindowText(::GetDlgItem(dialog, IDCANCEL)), Translate("_Close"));
        test::Click(dialog, IDCANCEL);
    };
    for (int id : {ID_TOOLS_RESCUE, ID_TOOLS_TYPEDURLS, ID_HELP_ABOUT})
        ::SendMessageA(frame, WM_COMMAND, id, 0);
    EXPECT_EQ(prompts_.dialogs, (std::vector<int>{IDD_RESCUE, IDD_TYPEDURLS, IDD_ABOUT}));
    EXPECT_EQ(owners, (std::vector<HWND>{frame, frame, frame}));
    EXPECT_EQ(captions, (std::vector<std::string>{Translate("_RescueDialog"), Translate("_TypedUrlsDialog"),
                                                  Translate("_AboutDialog")}));
    EXPECT_TRUE(::IsWindowEnabled(frame));

    // The help file beside the program (by the program's own name), from the menu and the Help button,
    // and the two web pages.
    const std::string help = program_ / (ProgramBaseName() + ".chm");
    EXPECT_EQ(HelpFilePath(), help);
    EXPECT_EQ(ProgramBaseName(), "menu_commands_test");
    ::SendMessageA(frame, WM_COMMAND, ID_HELP_CONTENT, 0);
    test::Click(frame, IDC_FRAME_HELP);
    ::SendMessageA(frame, WM_COMMAND, ID_HELP_WEBSITE, 0);
    ::SendMessageA(frame, WM_COMMAND, ID_HELP_CONTACT, 0);
    EXPECT_EQ(prompts_.opened, (std::vector<std::string>{help, help, kWebSiteAddress, kContactAddress}));

    // Without the log component the viewer command shows nothing at all.
    ::SendMessageA(frame, WM_COMMAND, ID_TOOLS_LOGWRIGHT, 0);
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_EQ(prompts_.dialogs.size(), 3u);
    EXPECT_EQ(prompts_.opened.size(), 4u);
    EXPECT_TRUE(::IsWindow(frame));
    ::DestroyWindow(frame);
    test::PumpPending();
}

// The Language submenu offers "As Windows", English and every translation beside the program by
// its own name, ticks the stored choice, and stores a new one at once, saying when it takes effect.
TEST_F(MenuCommandsTest, LanguageMenuOffersTheShippedLanguagesAndStoresTheChoice) {
    test::WriteFile(program_ / "Languages\\pt-BR.language",
                    "\xEF\xBB\xBF[String]\n_LanguageName=Portugu\xC3\xAAs\n");
    test::WriteFile(program_ / "Languages\\de.language", "[String]\n_LanguageName=Deutsch\n");
    ASSERT_TRUE(WriteLanguageChoice(ConfigFilePath(), "pt-BR"));
    HWND frame = frame_.Open();
    ASSERT_TRUE(frame);
    HMENU file = ::GetSubMenu(::GetMenu(frame), 0);
    HMENU languages = ::GetSubMenu(file, 0);
    ASSERT_TRUE(languages);
    auto items = [&] {
        std::vector<std::string> shown;
        for (int i = 0; i < ::GetMenuItemCount(languages); ++i) {
            wchar_t text[64] = {};
            ::GetMenuStringW(languages, i, text, 64, MF_BYPOSITION);
            const bool ticked = ::GetMenuState(languages, i, MF_BYPOSITION) & MF_CHECKED;
            shown.push_back((ticked ? "* " : "") + win::Narrow(text));
        }
        return shown;
    };
    const std::string asWindows = Translate("_LanguageAsWindows");
    EXPECT_EQ(items(), (std::vector<std::string>{asWindows, "", "English", "Deutsch", "* Portugu\xC3\xAAs"}));

    ::SendMessageA(frame, WM_COMMAND, IDM_LANGUAGE_FIRST + 1, 0);
    EXPECT_EQ(ReadLanguageChoice(ConfigFilePath()), "de");
    EXPECT_EQ(items(), (std::vector<std::string>{asWindows, "", "English", "* Deutsch", "Portugu\xC3\xAAs"}));
    ::SendMessageA(frame, WM_COMMAND, ID_LANGUAGE_WINDOWS, 0);
    EXPECT_EQ(ReadLanguageChoice(ConfigFilePath()), "");
    EXPECT_EQ(items(),
              (std::vector<std::string>{"* " + asWindows, "", "English", "Deutsch", "Portugu\xC3\xAAs"}));
    EXPECT_EQ(prompts_.messages,
              (std::vector<std::string>{FormatText(Translate("_LanguageFromNextStart"), {"Deutsch"}),
                                        Translate("_LanguageAsWindowsFromNextStart")}));
    ::DestroyWindow(frame);
    test::PumpPending();
}
