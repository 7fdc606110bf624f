// The program's resources as the program finds them in its own module. Every dialog template of
// the ids header creates, holds the controls the code finds in it and no two controls with one id;
// translated with the shipped English file, it shows no key, clips no text and overlaps no
// controls, and the pages fill the frame's pane. The menu offers each command once, and the
// pictures, icon, version information and manifest are as the code and the shell expect them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageChoice.h"
#include "core/LanguageFile.h"
#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/Dpi.h"
#include "win/Text.h"
#include "win/TextParts.h"

namespace {

const char kLanguageFile[] =
#include "LanguageFile.inc"
    ;

const char kResourceIds[] =
#include "ResourceIds.inc"
    ;

HINSTANCE Module() {
    return ::GetModuleHandleA(nullptr);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND CreateFromTemplate(int id, HWND parent) {
    return ::CreateDialogParamW(Module(), MAKEINTRESOURCEW(id), parent, PlainDialogProc, 0);
}

std::wstring WideText(HWND window) {
    int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::string Text(HWND window) {
    return win::Narrow(WideText(window));
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

// The controls directly inside a dialog, in template order, with their rectangles in the
// dialog's client coordinates.
struct Control {
    HWND window;
    int id;
    RECT rect;
};

std::vector<Control> ControlsOf(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        controls.push_back({child, ::GetDlgCtrlID(child), rect});
    }
    return controls;
}

std::string Describe(const Control& control) {
    return ClassOf(control.window) + " " + std::to_string(control.id) + " \"" + Text(control.window) + "\"";
}

// Every control lies inside the dialog's client area and no two of them share a pixel. An
// etched line is the exception to the first rule: the system widens it by its own edges.
void ExpectTidyLayout(HWND dialog, const std::string& name) {
    RECT client;
    ::GetClientRect(dialog, &client);
    std::vector<Control> controls = ControlsOf(dialog);
    for (size_t i = 0; i < controls.size(); ++i) {
        const RECT& r = controls[i].rect;
        bool etched = (::GetWindowLongA(controls[i].window, GWL_STYLE) & SS_TYPEMASK) == SS_ETCHEDHORZ &&
                      lstrcmpiA(ClassOf(controls[i].window).c_str(), "Static") == 0;
        bool inside = r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom;
        EXPECT_TRUE(etched || inside) << name << ": " << Describe(controls[i]) << " at " << r.left << ","
                                      << r.top << " - " << r.right << "," << r.bottom << " sticks out of the "
                                      << client.right << " x " << client.bottom << " client area";
        for (size_t j = i + 1; j < controls.size(); ++j) {
            RECT overlap;
            EXPECT_FALSE(::IntersectRect(&overlap, &r, &controls[j].rect))
                << name << ": " << Describe(controls[i]) << " overlaps " << Describe(controls[j]);
        }
    }
}

// Why a control's text does not fit into it, or nothing when it does. Push buttons, check boxes,
// radio buttons and plain word-wrapping statics are measured in their own font; data controls
// (edits, lists) and pictures are not.
std::string TextProblem(HWND control) {
    const std::wstring wide = WideText(control);
    const std::string text = win::Narrow(wide);
    std::string kind = ClassOf(control);
    LONG style = ::GetWindowLongA(control, GWL_STYLE);
    if (text.empty() || (lstrcmpiA(kind.c_str(), "Button") != 0 && lstrcmpiA(kind.c_str(), "Static") != 0)) {
        return {};
    }
    RECT client;
    ::GetClientRect(control, &client);
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, 0, 0};
    std::string problem;
    auto report = [&](const char* what) {
        problem = std::string(what) + ": \"" + text + "\" needs " + std::to_string(needed.right) + " x " +
                  std::to_string(needed.bottom) + " in " + std::to_string(client.right) + " x " +
                  std::to_string(client.bottom);
    };
    if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        ::DrawTextW(dc, wide.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
        LONG type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            // The 3-D edge and the focus rectangle take a few pixels on every side.
            if (needed.right + 8 > client.right || needed.bottom + 4 > client.bottom)
                report("button");
        } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
                   type == BS_RADIOBUTTON) {
            // The box itself and the gap before the text.
            if (needed.right + 18 > client.right || needed.bottom > client.bottom)
                report("check box");
        }
    } else {
        LONG type = style & SS_TYPEMASK;
        bool wraps = type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT;
        if (wraps && !(style & SS_ELLIPSISMASK)) {
            if (const ::testing::AssertionResult whole = test::ShowsItsTextWhole(control); !whole)
                problem = std::string("text: ") + whole.message();
        }
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return problem;
}

void ExpectTextsFit(HWND dialog, const std::string& name) {
    for (const Control& control : ControlsOf(dialog)) {
        std::string problem = TextProblem(control.window);
        EXPECT_TRUE(problem.empty()) << name << ", control " << control.id << ": " << problem;
    }
}

std::vector<uint32_t> Pixels(HBITMAP bitmap, int* width = nullptr, int* height = nullptr) {
    BITMAP info{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info))
        return {};
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = info.bmWidth;
    header.bmiHeader.biHeight = -info.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = ::GetDC(nullptr);
    ::GetDIBits(dc, bitmap, 0, info.bmHeight, pixels.data(), &header, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    for (uint32_t& p : pixels)
        p &= 0xFFFFFF;
    if (width)
        *width = info.bmWidth;
    if (height)
        *height = info.bmHeight;
    return pixels;
}

HBITMAP LoadBitmapResource(int id) {
    return static_cast<HBITMAP>(::LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

struct Id {
    std::string name;
    int value;
};

// What the ids header declares. A group of control ids under a comment that ends with a
// template's number, as "// Scanning page (214)", are the controls the code finds in that template.
struct HeaderIds {
    std::vector<int> templates;
    std::map<int, std::vector<Id>> controls;  // by template
    std::vector<int> commands;
    std::vector<Id> pictures;  // their 100 % drawings
};

const HeaderIds& Header() {
    static const HeaderIds header = [] {
        HeaderIds ids;
        const std::regex group(R"(^//.*\((\d+)\)\s*$)"), define(R"(^#define\s+(\w+)\s+(\d+)\b)");
        std::istringstream text(kResourceIds);
        int groupTemplate = 0;  // whose controls the ids that follow are, if any
        for (std::string line; std::getline(text, line);) {
            std::smatch match;
            if (line.rfind("//", 0) == 0) {
                groupTemplate = std::regex_match(line, match, group) ? std::stoi(match[1]) : 0;
            } else if (std::regex_search(line, match, define)) {
                Id id{match[1], std::stoi(match[2])};
                if (id.name.rfind("IDD_", 0) == 0)
                    ids.templates.push_back(id.value);
                else if (id.name.rfind("IDC_", 0) == 0 && groupTemplate)
                    ids.controls[groupTemplate].push_back(id);
                else if (id.name.rfind("ID_", 0) == 0)
                    ids.commands.push_back(id.value);
                else if (id.name.rfind("IDB_", 0) == 0 && id.value < win::kPictureAt150)
                    ids.pictures.push_back(id);
            }
        }
        return ids;
    }();
    return header;
}

bool IsStatic(HWND control, LONG type) {
    return lstrcmpiA(ClassOf(control).c_str(), "Static") == 0 &&
           (::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == type;
}

// The header's picture that a picture control shows whole at its 100 % size, or 0.
int PictureOf(HWND control) {
    int width = 0, height = 0;
    std::vector<uint32_t> shown = Pixels(
        reinterpret_cast<HBITMAP>(::SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0)), &width, &height);
    for (const Id& picture : Header().pictures) {
        int pictureWidth = 0, pictureHeight = 0;
        HBITMAP bitmap = LoadBitmapResource(picture.value);
        bool same = Pixels(bitmap, &pictureWidth, &pictureHeight) == shown && pictureWidth == width &&
                    pictureHeight == height && !shown.empty();
        ::DeleteObject(bitmap);
        if (same)
            return picture.value;
    }
    return 0;
}

bool IsPushButton(HWND control) {
    LONG type = ::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return control && lstrcmpiA(ClassOf(control).c_str(), "Button") == 0 &&
           (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

// Controls that the code never looks for share the template's "no id".
bool HasNoId(int id) {
    return id == -1 || id == 0xFFFF;
}

// The access key a text gives: the character after a single "&", lower-cased, or 0.
char AccessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&' && text[++i] != '&')
            return static_cast<char>(::tolower(static_cast<unsigned char>(text[i])));
    }
    return 0;
}

bool IsClass(HWND control, const char* name) {
    return lstrcmpiA(ClassOf(control).c_str(), name) == 0;
}

// Controls that take typed text or a choice of rows and show no text of their own to name them.
bool IsInput(HWND control) {
    for (const char* name : {"Edit", "SysListView32", "SysTreeView32", "msctls_progress32", "ComboBox"}) {
        if (IsClass(control, name))
            return true;
    }
    return false;
}

bool IsTextLabel(HWND control) {
    LONG type = ::GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK;
    return IsClass(control, "Static") && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT ||
                                          type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE);
}

bool IsRadio(HWND control) {
    LONG type = ::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return IsClass(control, "Button") && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}

bool IsCheckBox(HWND control) {
    LONG type = ::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return IsClass(control, "Button") &&
           (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTO3STATE || type == BS_3STATE);
}

bool HasStyle(HWND control, LONG style) {
    return (::GetWindowLongA(control, GWL_STYLE) & style) == style;
}

// Creates every dialog template of the header as the program does, the pages inside the frame's
// pane and the other dialogs owned by the frame, and hands each to check untranslated.
void ForEveryTemplate(const std::function<void(HWND, int, const std::string&)>& check) {
    ASSERT_FALSE(Header().templates.empty()) << "the ids header was not read";
    HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(frame);
    HWND pane = ::GetDlgItem(frame, IDC_FRAME_PANE);
    for (int id : Header().templates) {
        std::string name = "template " + std::to_string(id);
        HWND dialog = id == IDD_WIZARD ? frame : CreateFromTemplate(id, pane);
        EXPECT_TRUE(dialog) << name;
        if (!dialog)
            continue;
        check(dialog, id, name);
        if (dialog != frame)
            ::DestroyWindow(dialog);
    }
    ::DestroyWindow(frame);
}

BOOL CALLBACK AddDialogId(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::set<int>*>(ids)->insert(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// A pseudo-translation of an English text that catches layouts only English fits: every text some
// 40% longer, its letters accented and a wide character among the padding, while conversions,
// escapes and the access key's letter stay as they are. A text without letters stays as it is.
std::string PseudoText(const std::string& english) {
    static const std::wstring plain = L"aceinoruyAEIOUCN";
    static const std::wstring accented =
        L"\u00E0\u00E7\u00E9\u00EE\u00F1\u00F6\u0155\u00FC\u00FD\u00C5\u00C9\u00CE\u00D8\u00DC\u00C7\u00D1";
    static const std::wstring padding = L"\u0174\u0126\u5B57\u0105\u0163 ";
    const std::wstring in = win::Wide(english);
    std::wstring out;
    size_t letters = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        const wchar_t c = in[i];
        if (c == L'%') {
            size_t j = i + 1;
            while (j < in.size() &&
                   std::wstring_view(L"-+ #0123456789.*lhLI").find(in[j]) != std::wstring_view::npos)
                ++j;
            out.append(in, i, std::min(j + 1, in.size()) - i);
            i = j;
        } else if ((c == L'\\' || c == L'&') && i + 1 < in.size()) {
            out += c;
            out += in[++i];
            ++letters;
        } else {
            const size_t at = plain.find(c);
            out += at == std::wstring::npos ? c : accented[at];
            letters += ::IsCharAlphaNumericW(c) ? 1 : 0;
        }
    }
    if (!letters)
        return english;
    out = L"[" + out + L" ";
    for (size_t k = 0; k < (letters * 2 + 4) / 5; ++k)
        out += padding[k % padding.size()];
    return win::Narrow(out + L"]");
}

// One language the templates are checked in.
struct CheckedLanguage {
    std::string name;
    std::unique_ptr<LanguageTable> table;
};

// Texts the code puts into a template's control as the program runs, in place of the template's
// own: each must fit there too, every form of a counted text included, with wide sample figures
// for its counts and sizes.
struct RuntimeText {
    int templateId;
    int control;
    const char* key;
};
constexpr RuntimeText kRuntimeTexts[] = {
    {IDD_PAGE_OPTIONS, IDC_OPTIONS_MONTHS_LABEL, "_MonthsCounted"},
    {IDD_PAGE_SCANNING, IDC_PAGE_DESCRIPTION, "_ScanningDescriptionDone"},
    {IDD_PAGE_CLEANING, IDC_PAGE_DESCRIPTION, "_CleaningDescriptionDone"},
    {IDD_PAGE_REPORT, IDC_REPORT_SUMMARY, "_ReportPageStateTotalSize"},
    {IDD_PAGE_REPORT, IDC_REPORT_TICKED, "_ReportPageTickedTotal"},
    {IDD_RESCUE, IDC_RESCUE_TOTAL, "_RescueTotalHeld"},
};

void ExpectRuntimeTextsFit(const LanguageTable& table, HWND dialog, int templateId, const std::string& name) {
    for (const RuntimeText& text : kRuntimeTexts) {
        if (text.templateId != templateId)
            continue;
        HWND control = ::GetDlgItem(dialog, text.control);
        ASSERT_TRUE(control) << name << ", " << text.key;
        const std::string kept = Text(control);
        const std::string forms = table.Translate(text.key);
        EXPECT_NE(forms, text.key) << name;
        for (std::string_view form : win::Split(forms, '|')) {
            const std::string shown =
                FormatText(std::string(form),
                           {std::string("888,888"), std::string("1,023 MB"), std::string("1,023 MB")});
            ::SetWindowTextW(control, win::Wide(shown).c_str());
            const std::string problem = TextProblem(control);
            EXPECT_TRUE(problem.empty()) << name << ", " << text.key << " \"" << form << "\": " << problem;
        }
        ::SetWindowTextW(control, win::Wide(kept).c_str());
    }
}

void ExpectEveryTemplateFits(const CheckedLanguage& language) {
    ForEveryTemplate([&](HWND dialog, int id, const std::string& template_) {
        const std::string name = language.name + ", " + template_;
        language.table->TranslateWindow(dialog);
        for (const Control& control : ControlsOf(dialog))
            EXPECT_NE(Text(control.window).rfind('_', 0), 0u)
                << name << ": untranslated " << Describe(control);
        ExpectTidyLayout(dialog, name);
        ExpectTextsFit(dialog, name);
        ExpectRuntimeTextsFit(*language.table, dialog, id, name);
    });
}

class ResourcesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&controls);
    }

    void SetUp() override {
        test::WriteFile(languagePath_, kLanguageFile);
        english_.SetPath(languagePath_);
    }

    // English, every shipped translation and the pseudo-language, each filling in English.
    std::vector<CheckedLanguage> Languages() {
        std::vector<CheckedLanguage> languages;
        auto add = [&](const std::string& name, const std::string& translation) {
            auto table = std::make_unique<LanguageTable>();
            table->SetPath(languagePath_);
            EXPECT_TRUE(table->SetTranslation(translation)) << name;
            languages.push_back({name, std::move(table)});
        };
        add("English", "");
        const std::vector<ShippedLanguage> shipped = FindShippedLanguages(test::SourceFile("data/Languages"));
        for (const ShippedLanguage& language : shipped)
            add(language.tag, language.path);
        std::string pseudo = "\xEF\xBB\xBF[String]\n";
        for (const auto& [key, value] : ParseLanguageText(kLanguageFile))
            pseudo += key + "=" + PseudoText(value) + "\n";
        test::WriteFile(folder_ / "pseudo.language", pseudo);
        add("pseudo-language", folder_ / "pseudo.language");
        return languages;
    }

    test::TempFolder folder_;
    std::string languagePath_ = folder_ / "Quillmoor.language";
    LanguageTable english_;
};

}  // namespace

// Each template holds the controls the code finds in it, each with an id of its own; a dialog
// with a title bar has a button to close it, and a page covers the frame's pane and passes the
// keyboard on into its controls. Translated, no text is left a key, every picture control shows
// a picture whole, and the layout is tidy with no text clipped.
TEST_F(ResourcesTest, EveryTemplateHoldsItsControlsAndFitsItsTexts) {
    std::set<int> inModule;
    ::EnumResourceNamesA(Module(), MAKEINTRESOURCEA(5), AddDialogId, reinterpret_cast<LONG_PTR>(&inModule));
    EXPECT_EQ(inModule, std::set<int>(Header().templates.begin(), Header().templates.end()))
        << "every template of the module is named in the header, and the other way round";
    for (const auto& [group, controls] : Header().controls) {
        EXPECT_TRUE(inModule.count(group))
            << controls.front().name << " is grouped under " << group << ", which is no template";
    }

    ForEveryTemplate([&](HWND dialog, int id, const std::string& name) {
        LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
        // The program shows a window once it is translated, so no key ever flashes up.
        EXPECT_FALSE(style & WS_VISIBLE) << name;
        if (style & WS_CHILD) {
            RECT client, pane;
            ::GetClientRect(dialog, &client);
            ::GetClientRect(::GetParent(dialog), &pane);
            EXPECT_TRUE(::EqualRect(&client, &pane)) << name << " does not cover the pane";
            EXPECT_TRUE(style & DS_CONTROL) << name;
            EXPECT_TRUE(IsStatic(::GetDlgItem(dialog, IDC_PAGE_PICTURE), SS_BITMAP)) << name;
            EXPECT_TRUE(::GetDlgItem(dialog, IDC_PAGE_DESCRIPTION)) << name;
        } else if ((style & WS_CAPTION) == WS_CAPTION) {
            EXPECT_TRUE(IsPushButton(::GetDlgItem(dialog, IDOK)) ||
                        IsPushButton(::GetDlgItem(dialog, IDCANCEL)))
                << name << " has no button to close it";
        }
        auto group = Header().controls.find(id);
        if (group != Header().controls.end()) {
            for (const Id& control : group->second)
                EXPECT_TRUE(::GetDlgItem(dialog, control.value)) << name << " has no " << control.name;
        }
        std::set<int> ids;
        for (const Control& control : ControlsOf(dialog)) {
            EXPECT_TRUE(HasNoId(control.id) || ids.insert(control.id).second)
                << name << ": a second control with id " << control.id << ", " << Describe(control);
        }

        english_.TranslateWindow(dialog);
        EXPECT_NE(Text(dialog).rfind('_', 0), 0u) << name << ": untranslated caption " << Text(dialog);
        for (const Control& control : ControlsOf(dialog)) {
            EXPECT_NE(Text(control.window).rfind('_', 0), 0u)
                << name << ": untranslated " << Describe(control);
            if (IsStatic(control.window, SS_BITMAP)) {
                EXPECT_NE(PictureOf(control.window), 0)
                    << name << ": " << Describe(control) << " shows no picture";
            }
            // An icon that the code does not fill in shows the one its template names.
            if (HasNoId(control.id) && IsStatic(control.window, SS_ICON)) {
                EXPECT_TRUE(::SendMessageA(control.window, STM_GETICON, 0, 0)) << name << ": an empty icon";
            }
        }
        ExpectTidyLayout(dialog, name);
        ExpectTextsFit(dialog, name);
        ExpectRuntimeTextsFit(english_, dialog, id, name);
    });
}

// Each shipped translation, and a pseudo-language whose every text is some 40% longer with accented
// and wide characters, fits every template as English does: the layout gives longer texts room.
TEST_F(ResourcesTest, EveryLanguageFitsEveryTemplate) {
    std::vector<CheckedLanguage> languages = Languages();
    ASSERT_GT(languages.size(), 2u) << "English, the translations and the pseudo-language";
    for (size_t i = 1; i < languages.size(); ++i)  // English has the test above
        ExpectEveryTemplateFits(languages[i]);
}

// Alt and one letter reach each button, and each input through the label before it; no letter
// is given twice on a page or dialog, where a page shares the letters of the frame's buttons and
// menu bar. Enter and Esc are the keys of OK and Cancel, which need none. Each menu gives every
// item a letter of its own.
TEST_F(ResourcesTest, AccessKeysAreGivenOnceOnEveryPageAndDialog) {
    for (const CheckedLanguage& language : Languages()) {
        const LanguageTable& table = *language.table;
        HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
        ASSERT_TRUE(frame);
        table.TranslateWindow(frame);
        HMENU bar = ::GetMenu(frame);
        ASSERT_TRUE(bar);
        table.TranslateMenu(bar);
        auto menuText = [](HMENU menu, int i) {
            wchar_t text[128] = {};
            ::GetMenuStringW(menu, i, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
            return win::Narrow(text);
        };
        std::map<char, std::string> frameKeys;
        for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
            const std::string text = menuText(bar, i);
            EXPECT_NE(AccessKey(text), 0) << language.name << ", menu " << text;
            EXPECT_TRUE(frameKeys.emplace(AccessKey(text), "menu " + text).second)
                << language.name << ", menu " << text;
            std::map<char, std::string> items;
            HMENU popup = ::GetSubMenu(bar, i);
            for (int j = 0; popup && j < ::GetMenuItemCount(popup); ++j) {
                if (::GetMenuState(popup, j, MF_BYPOSITION) & MF_SEPARATOR)
                    continue;
                const std::string item = menuText(popup, j);
                EXPECT_NE(AccessKey(item), 0) << language.name << ", " << text << " > " << item;
                auto [at, fresh] = items.emplace(AccessKey(item), item);
                EXPECT_TRUE(fresh) << language.name << ", " << text << " > " << item << " and " << at->second
                                   << " share a key";
            }
        }

        // The keys of a window's own controls, added to those it starts with.
        auto collect = [](HWND dialog, const std::string& name, std::map<char, std::string> keys) {
            for (const Control& control : ControlsOf(dialog)) {
                const bool button =
                    IsRadio(control.window) || IsCheckBox(control.window) ||
                    (IsPushButton(control.window) && control.id != IDOK && control.id != IDCANCEL);
                const bool input = IsInput(control.window) && HasStyle(control.window, WS_TABSTOP);
                HWND label = button ? control.window : ::GetWindow(control.window, GW_HWNDPREV);
                if ((!button && !input) || !label)
                    continue;  // an input with no label at all is the next test's finding
                const char key = button || IsTextLabel(label) ? AccessKey(Text(label)) : 0;
                EXPECT_NE(key, 0) << name << ": no access key for " << Describe(control);
                if (!key)
                    continue;
                auto [at, fresh] = keys.emplace(key, Describe(control));
                EXPECT_TRUE(fresh) << name << ": " << Describe(control) << " and " << at->second << " share "
                                   << key;
            }
            return keys;
        };
        frameKeys = collect(frame, language.name + ", the frame", frameKeys);
        ForEveryTemplate([&](HWND dialog, int id, const std::string& name) {
            if (id == IDD_WIZARD)
                return;
            table.TranslateWindow(dialog);
            const bool page = ::GetWindowLongA(dialog, GWL_STYLE) & WS_CHILD;
            collect(dialog, language.name + ", " + name, page ? frameKeys : std::map<char, std::string>());
        });
        ::DestroyWindow(frame);
    }
}

// A screen reader names an input after the text label just before it in the template (tab order):
// a visible label with text, short enough to hear, so never the page's whole description.
TEST_F(ResourcesTest, EveryInputHasALabelBeforeIt) {
    ForEveryTemplate([&](HWND dialog, int, const std::string& name) {
        english_.TranslateWindow(dialog);
        for (const Control& control : ControlsOf(dialog)) {
            if (!IsInput(control.window))
                continue;
            HWND label = ::GetWindow(control.window, GW_HWNDPREV);
            const bool named = label && IsTextLabel(label) && HasStyle(label, WS_VISIBLE) &&
                               !Text(label).empty() && ::GetDlgCtrlID(label) != IDC_PAGE_DESCRIPTION;
            EXPECT_TRUE(named) << name << ": " << Describe(control) << " follows "
                               << (label ? Describe({label, ::GetDlgCtrlID(label), {}}) : "nothing");
        }
    });
}

// The arrow keys move within a group (from one WS_GROUP control to the next): a group of radio
// buttons holds nothing else a user reaches, and is one tab stop; no box to type in or list shares
// a group with check boxes, where the arrows would carry the focus into it.
TEST_F(ResourcesTest, ArrowGroupsHoldOnlyTheirButtons) {
    ForEveryTemplate([&](HWND dialog, int, const std::string& name) {
        std::vector<std::vector<HWND>> groups;
        for (const Control& control : ControlsOf(dialog)) {
            if (groups.empty() || HasStyle(control.window, WS_GROUP))
                groups.emplace_back();
            if (!IsClass(control.window, "Static"))
                groups.back().push_back(control.window);
        }
        for (const std::vector<HWND>& group : groups) {
            size_t radios = 0, checks = 0, inputs = 0, radioStops = 0;
            for (HWND control : group) {
                radios += IsRadio(control);
                radioStops += IsRadio(control) && HasStyle(control, WS_TABSTOP);
                checks += IsCheckBox(control);
                inputs += IsInput(control);
            }
            if (radios) {
                EXPECT_EQ(radios, group.size()) << name << ": the group of " << Text(group.front());
                EXPECT_EQ(radioStops, 1u) << name << ": the group of " << Text(group.front());
            }
            EXPECT_FALSE(checks && inputs) << name << ": the group of " << Text(group.front());
        }
    });
}

// The same layout checks, in every language, on a screen at 144 DPI (150 %), where the program's windows grow
// with their font and take the 150 % pictures. Runs only where the test run set the screen's DPI and says so
// in QM_TEST_DPI (the ctest entry resources_at_144_dpi, in a prefix of its own).
TEST_F(ResourcesTest, LayoutHoldsAtTheScreensDpi) {
    const char* wanted = std::getenv("QM_TEST_DPI");
    if (!wanted)
        GTEST_SKIP() << "QM_TEST_DPI is not set";
    // Windows enlarges, and blurs, the windows of a program whose manifest does not declare it DPI
    // aware, and tells it 96; Wine does neither, so the declaration is read as the system reads it.
    wchar_t awareness[64] = {};
    SIZE_T written = 0;
    EXPECT_TRUE(::QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                       L"dpiAwareness", awareness, std::size(awareness), &written));
    EXPECT_EQ(std::wstring(awareness), L"system");

    // Each picture is shown at its 100 % size times 1.5, as the prepared drawing, not scaled.
    std::vector<win::UniqueGdiObject<HBITMAP>> fitted;  // kept while their controls live
    ForEveryTemplate([&](HWND dialog, int, const std::string& name) {
        const UINT dpi = win::WindowDpi(dialog);
        ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(wanted))) << name;
        ASSERT_EQ(dpi, 144u) << "the pictures below are compared with their 150 % drawings";
        for (const Control& control : ControlsOf(dialog)) {
            if (!IsStatic(control.window, SS_BITMAP))
                continue;
            const int picture = PictureOf(control.window);
            ASSERT_NE(picture, 0) << name << ": " << Describe(control);
            fitted.push_back(win::FitPicture(control.window, picture));
            ASSERT_TRUE(fitted.back()) << name;
            int width = 0, height = 0, baseWidth = 0, baseHeight = 0;
            HBITMAP base = LoadBitmapResource(picture);
            Pixels(base, &baseWidth, &baseHeight);
            ::DeleteObject(base);
            HBITMAP prepared = LoadBitmapResource(picture + QM_PICTURE_150);
            std::vector<uint32_t> want = Pixels(prepared, &width, &height);
            ::DeleteObject(prepared);
            EXPECT_EQ(width, ::MulDiv(baseWidth, 3, 2)) << name << ", picture " << picture;
            EXPECT_EQ(height, ::MulDiv(baseHeight, 3, 2)) << name << ", picture " << picture;
            EXPECT_EQ(Pixels(reinterpret_cast<HBITMAP>(
                          ::SendMessageA(control.window, STM_GETIMAGE, IMAGE_BITMAP, 0))),
                      want)
                << name << ", picture " << picture;
        }
    });
    for (const CheckedLanguage& language : Languages())
        ExpectEveryTemplateFits(language);

    // The tree's images come whole from their 150 % strips.
    for (int strip : {IDB_TREE_IMAGES, IDB_TREE_STATES}) {
        win::UniqueImageList small = win::LoadImageStrip(Module(), strip, 96);
        win::UniqueImageList large = win::LoadImageStrip(Module(), strip, 144);
        int smallSize = 0, largeSize = 0, height = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(small.get(), &smallSize, &height)) << strip;
        ASSERT_TRUE(::ImageList_GetIconSize(large.get(), &largeSize, &height)) << strip;
        EXPECT_EQ(largeSize, ::MulDiv(smallSize, 3, 2)) << strip;
        EXPECT_EQ(::ImageList_GetImageCount(large.get()), ::ImageList_GetImageCount(small.get())) << strip;
    }
}

// The frame's menu offers each command of the header once, enabled and unticked, with a text of
// the language file, and nothing else but its submenus and separators.
TEST_F(ResourcesTest, MenuOffersEveryCommandOnce) {
    HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(frame);
    HMENU bar = ::GetMenu(frame);
    ASSERT_TRUE(bar);
    english_.TranslateMenu(bar);
    std::map<UINT, int> offered;
    std::function<void(HMENU)> walk = [&](HMENU menu) {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char text[128] = {};
            MENUITEMINFOA item{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
            item.dwTypeData = text;
            item.cch = sizeof(text);
            ASSERT_TRUE(::GetMenuItemInfoA(menu, i, TRUE, &item));
            if (item.fType & MFT_SEPARATOR)
                continue;
            EXPECT_TRUE(text[0] && text[0] != '_') << "menu item " << item.wID << " reads \"" << text << "\"";
            if (item.hSubMenu) {
                walk(item.hSubMenu);
            } else {
                ++offered[item.wID];
                EXPECT_FALSE(item.fState & (MFS_GRAYED | MFS_CHECKED)) << text;
            }
        }
    };
    walk(bar);
    std::map<UINT, int> once;
    for (int command : Header().commands)
        once[static_cast<UINT>(command)] = 1;
    EXPECT_FALSE(once.empty());
    EXPECT_EQ(offered, once);
    ::DestroyWindow(frame);
}

// Every picture has its drawing for screens at 200 %, twice its size (the 150 % ones are looked
// at on a 144-DPI screen), and every page role has a side picture of its own, all of one size.
TEST(Resources, PicturesComeForLargerScreens) {
    std::set<std::vector<uint32_t>> sides;
    std::set<std::pair<int, int>> sideSizes;
    size_t sideCount = 0;
    for (const Id& picture : Header().pictures) {
        int width = 0, height = 0, largeWidth = 0, largeHeight = 0;
        HBITMAP bitmap = LoadBitmapResource(picture.value);
        std::vector<uint32_t> pixels = Pixels(bitmap, &width, &height);
        ::DeleteObject(bitmap);
        ASSERT_FALSE(pixels.empty()) << picture.name;
        HBITMAP large = LoadBitmapResource(picture.value + QM_PICTURE_200);
        Pixels(large, &largeWidth, &largeHeight);
        ::DeleteObject(large);
        EXPECT_EQ(largeWidth, 2 * width) << picture.name;
        EXPECT_EQ(largeHeight, 2 * height) << picture.name;
        if (picture.name.rfind("IDB_SIDE_", 0) == 0) {
            ++sideCount;
            sides.insert(pixels);
            sideSizes.insert({width, height});
        }
    }
    EXPECT_GT(sideCount, 1u);
    EXPECT_EQ(sides.size(), sideCount) << "every page role has a picture of its own";
    EXPECT_EQ(sideSizes.size(), 1u);
}

// Where the frame is wider than the banner, the strips beside it are filled with one colour;
// the banner's own outer columns are that colour from top to bottom, so that no seam shows.
TEST(Resources, BannerEndsInOneColour) {
    HBITMAP bitmap = LoadBitmapResource(IDB_BANNER);
    int width = 0, height = 0;
    std::vector<uint32_t> pixels = Pixels(bitmap, &width, &height);
    ::DeleteObject(bitmap);
    ASSERT_EQ(pixels.size(), 750u * 100u);
    const uint32_t edge = pixels[0];
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(pixels[y * width], edge) << "left column, row " << y;
        EXPECT_EQ(pixels[y * width + width - 1], edge) << "right column, row " << y;
    }
    EXPECT_EQ(edge, 0x0A2666u);  // RGB(10, 38, 102), which the frame paints beside the banner
}

// White is the transparent colour of the two image strips: the unused state image is all white,
// every other image has something to show, and the three check-box states differ.
TEST(Resources, TreeImageStripsHaveTheirImages) {
    auto cells = [](int id, int size) {
        HBITMAP bitmap = LoadBitmapResource(id);
        int width = 0, height = 0;
        std::vector<uint32_t> pixels = Pixels(bitmap, &width, &height);
        ::DeleteObject(bitmap);
        std::vector<std::vector<uint32_t>> images(static_cast<size_t>(width / size));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                images[x / size].push_back(pixels[y * width + x]);
        }
        return images;
    };
    auto inked = [](const std::vector<uint32_t>& image) {
        size_t n = 0;
        for (uint32_t p : image)
            n += p != 0xFFFFFF;
        return n;
    };
    auto folders = cells(IDB_TREE_IMAGES, 16);
    ASSERT_EQ(folders.size(), 3u);
    for (const auto& image : folders) {
        EXPECT_GT(inked(image), 40u);
        EXPECT_EQ(image[0], 0xFFFFFFu) << "the corner is transparent";
    }
    EXPECT_NE(folders[0], folders[1]);
    auto states = cells(IDB_TREE_STATES, 13);
    ASSERT_EQ(states.size(), 4u);
    EXPECT_EQ(inked(states[0]), 0u);
    for (int i = 1; i <= 3; ++i)
        EXPECT_GE(inked(states[i]), 48u) << "a box has its frame";
    EXPECT_NE(states[1], states[2]);
    EXPECT_NE(states[1], states[3]);
    EXPECT_NE(states[2], states[3]);
}

// Small and large icons for screens at 100 %, 150 % and 200 %.
TEST(Resources, IconHasItsSizes) {
    HRSRC group =
        ::FindResourceA(Module(), MAKEINTRESOURCEA(IDI_QUILLMOOR), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_TRUE(group);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(Module(), group)));
    ASSERT_TRUE(data);
    // The group directory: reserved, type and count words, then 14-byte entries.
    WORD count = 0;
    std::memcpy(&count, data + 4, 2);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = data + 6 + 14 * i;
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, 2);
        EXPECT_GE(bits, 8) << "icon entry " << i;
        sizes.insert(entry[0] == 0 ? 256 : entry[0]);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64}));
    for (int size : {16, 24, 32, 48, 64}) {
        HICON icon = static_cast<HICON>(
            ::LoadImageA(Module(), MAKEINTRESOURCEA(IDI_QUILLMOOR), IMAGE_ICON, size, size, 0));
        EXPECT_TRUE(icon) << size;
        if (icon)
            ::DestroyIcon(icon);
    }
}

// The version block is read from the module's own resource rather than through the file's path:
// the test program may run from a folder that the Wine prefix reaches only by a Unix path. The
// caption and the About dialog show its product name and version; the shell shows its other
// texts and the fixed version, which says what the texts say.
TEST(Resources, VersionInformationNamesTheProduct) {
    HRSRC resource =
        ::FindResourceA(Module(), MAKEINTRESOURCEA(VS_VERSION_INFO), MAKEINTRESOURCEA(16));  // RT_VERSION
    ASSERT_TRUE(resource);
    const BYTE* data = static_cast<const BYTE*>(::LockResource(::LoadResource(Module(), resource)));
    DWORD size = ::SizeofResource(Module(), resource);
    ASSERT_TRUE(data && size > 0);
    std::vector<BYTE> block(data, data + size);
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                 reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    auto value = [&](const wchar_t* name) {
        wchar_t query[64];
        wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", translation[0], translation[1], name);
        wchar_t* text = nullptr;
        UINT chars = 0;
        if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &chars) || !text) {
            return std::wstring();
        }
        return std::wstring(text);
    };
    for (const wchar_t* name : {L"ProductName", L"ProductVersion", L"FileVersion", L"CompanyName",
                                L"FileDescription", L"LegalCopyright"})
        EXPECT_FALSE(value(name).empty()) << "no " << win::Narrow(name);
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    auto dotted = [](DWORD high, DWORD low) {
        return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
               std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
    };
    EXPECT_EQ(value(L"FileVersion"), dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    const std::wstring product = dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    const std::wstring shown = value(L"ProductVersion");
    EXPECT_TRUE(product == shown || product.rfind(shown + L".", 0) == 0);
}

// The manifest asks for version 6 of the common controls, and the system honours it: the
// common-controls library that the program's imports reach is the side-by-side version 6.
TEST(Resources, ManifestSelectsCommonControlsSix) {
    HRSRC manifest = ::FindResourceA(Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_TRUE(manifest);
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(Module(), manifest)));
    std::string text(data, ::SizeofResource(Module(), manifest));
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\""),
              std::string::npos);
    EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    ASSERT_TRUE(::InitCommonControlsEx(&controls));
    HMODULE comctl = nullptr;
    ASSERT_TRUE(::GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCSTR>(reinterpret_cast<void*>(&::InitCommonControlsEx)), &comctl));
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(comctl, path, MAX_PATH);
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6."), std::string::npos) << path;
}
