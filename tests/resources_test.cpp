// The program's resources as the program finds them in its own module: every dialog template
// creates, the pages fit the frame's pane with their English texts neither clipped nor
// overlapping, and the menu, pictures, icon, version information and manifest are as the code
// and the shell expect them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/LanguageTable.h"
#include "resources/ResourceIds.h"
#include "support/TestFiles.h"
#include "win/Dpi.h"

namespace {

const char kLanguageFile[] =
#include "LanguageFile.inc"
    ;

HINSTANCE Module() {
    return ::GetModuleHandleA(nullptr);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

HWND CreateFromTemplate(int id, HWND parent) {
    return ::CreateDialogParamA(Module(), MAKEINTRESOURCEA(id), parent, PlainDialogProc, 0);
}

std::string Text(HWND window) {
    int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(::GetWindowTextA(window, text.data(), length + 1)));
    return text;
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
    std::string text = Text(control);
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
        ::DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE);
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
            needed.right = client.right;
            UINT flags =
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
            ::DrawTextA(dc, text.c_str(), -1, &needed, flags);
            if (needed.bottom > client.bottom || needed.right > client.right)
                report("text");
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

// Where the dialog manager puts a control given in dialog units: position and size are
// converted separately, so the right and bottom edges round as the size does.
RECT Place(HWND dialog, int x, int y, int width, int height) {
    RECT origin{x, y, width, height};
    ::MapDialogRect(dialog, &origin);
    return {origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
}

HBITMAP LoadBitmapResource(int id) {
    return static_cast<HBITMAP>(::LoadImageA(Module(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

struct ExpectedControl {
    int id;
    const char* kind;
    LONG styles;  // style bits that must be set
};

struct PageLayout {
    int templateId;
    int picture;
    std::vector<ExpectedControl> controls;
};

const LONG kListStyles = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;

const std::vector<PageLayout>& Pages() {
    static const std::vector<PageLayout> pages = {
        {IDD_PAGE_WELCOME, IDB_SIDE_WELCOME, {{IDC_PAGE_DESCRIPTION, "Static", 0}}},
        {IDD_PAGE_FOLDERS,
         IDB_SIDE_FOLDERS,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_FOLDERS_TREE, WC_TREEVIEWA, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT},
          {IDC_FOLDERS_SELECTALL, "Button", 0},
          {IDC_FOLDERS_REMOVEALL, "Button", 0},
          {IDC_PAGE_DEFAULT, "Button", BS_DEFPUSHBUTTON}}},
        {IDD_PAGE_PATTERNS,
         IDB_SIDE_PATTERNS,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_PATTERNS_LIST, WC_LISTVIEWA, kListStyles | LVS_NOSORTHEADER},
          {IDC_PATTERNS_ADD, "Button", 0},
          {IDC_PATTERNS_DELETE, "Button", 0},
          {IDC_PATTERNS_MODIFY, "Button", 0},
          {IDC_PATTERNS_CHECKALL, "Button", 0},
          {IDC_PATTERNS_UNCHECKALL, "Button", 0},
          {IDC_PAGE_DEFAULT, "Button", BS_DEFPUSHBUTTON}}},
        {IDD_PAGE_OPTIONS,
         IDB_SIDE_OPTIONS,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_OPTIONS_NOTACCESSED, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_MONTHS, "Edit", ES_NUMBER},
          {IDC_OPTIONS_MONTHS_LABEL, "Static", 0},
          {IDC_OPTIONS_SKIPREADONLY, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_SKIPSYSTEM, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_SKIPHIDDEN, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_ZEROLENGTH, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_INVALIDSHORTCUTS, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_TEMP, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_IETEMP, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_RECENT, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_IEHISTORY, "Button", BS_AUTOCHECKBOX},
          {IDC_OPTIONS_IECOOKIES, "Button", BS_AUTOCHECKBOX},
          {IDC_PAGE_DEFAULT, "Button", BS_DEFPUSHBUTTON}}},
        {IDD_PAGE_SKIP,
         IDB_SIDE_OPTIONS,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_SKIP_LIST, WC_LISTVIEWA, kListStyles | LVS_NOSORTHEADER},
          {IDC_SKIP_ADD, "Button", 0},
          {IDC_SKIP_REMOVE, "Button", 0},
          {IDC_PAGE_DEFAULT, "Button", BS_DEFPUSHBUTTON}}},
        {IDD_PAGE_SCANNING,
         IDB_SIDE_SCANNING,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_SCANNING_ROOTS, WC_LISTVIEWA, kListStyles | LVS_NOSORTHEADER},
          {IDC_SCANNING_STATUS, "Static", SS_NOPREFIX},
          {IDC_SCANNING_FOUND, "Static", 0},
          {IDC_SCANNING_STOP, "Button", 0}}},
        {IDD_PAGE_REPORT,
         IDB_SIDE_REPORT,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_REPORT_LIST, WC_LISTVIEWA, kListStyles},
          {IDC_REPORT_SELECTALL, "Button", 0},
          {IDC_REPORT_REMOVEALL, "Button", 0},
          {IDC_REPORT_MOREINFO, "Button", 0},
          {IDC_REPORT_SUMMARY, "Static", 0}}},
        {IDD_PAGE_CLEANOPTIONS,
         IDB_SIDE_CLEANING,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_CLEANOPTIONS_MODE_LABEL, "Static", 0},
          {IDC_CLEANOPTIONS_PERMANENT, "Button", BS_AUTORADIOBUTTON | WS_GROUP},
          {IDC_CLEANOPTIONS_RECYCLE, "Button", BS_AUTORADIOBUTTON},
          {IDC_CLEANOPTIONS_BACKUP, "Button", BS_AUTOCHECKBOX | WS_GROUP},
          {IDC_CLEANOPTIONS_FOLDER, "Edit", 0},
          {IDC_CLEANOPTIONS_BROWSE, "Button", 0},
          {IDC_PAGE_DEFAULT, "Button", BS_DEFPUSHBUTTON}}},
        {IDD_PAGE_CLEANING,
         IDB_SIDE_CLEANING,
         {{IDC_PAGE_DESCRIPTION, "Static", 0},
          {IDC_CLEANING_STATUS, "Static", 0},
          {IDC_CLEANING_PROGRESS, PROGRESS_CLASSA, PBS_SMOOTH},
          {IDC_CLEANING_STOP, "Button", BS_DEFPUSHBUTTON}}},
        {IDD_PAGE_RESULTS,
         IDB_SIDE_RESULTS,
         {{IDC_PAGE_DESCRIPTION, "Static", 0}, {IDC_RESULTS_LOGVIEWER, "Button", BS_DEFPUSHBUTTON}}},
    };
    return pages;
}

struct DialogLayout {
    int id;
    const char* caption;
    std::vector<ExpectedControl> controls;
};

const std::vector<DialogLayout>& Dialogs() {
    const LONG noSort = LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
    static const std::vector<DialogLayout> dialogs = {
        {IDD_PATTERN,
         nullptr,
         {{IDC_PATTERN_MASK, "Edit", 0},
          {IDC_PATTERN_DESCRIPTION, "Edit", 0},
          {IDOK, "Button", BS_DEFPUSHBUTTON},
          {IDCANCEL, "Button", 0}}},
        {IDD_FILEDETAILS,
         "_MoreInfoDialog",
         {{IDC_DETAILS_ICON, "Static", SS_ICON},
          {IDC_DETAILS_PATH, "Edit", ES_MULTILINE | ES_READONLY},
          {IDC_DETAILS_LIST, WC_LISTVIEWA, noSort},
          {IDOK, "Button", BS_DEFPUSHBUTTON},
          {IDC_DETAILS_GOOGLE, "Button", 0},
          {IDC_DETAILS_BROWSE, "Button", 0}}},
        {IDD_RESCUE,
         "_RescueDialog",
         {{IDC_RESCUE_FOLDER, "Edit", ES_READONLY},
          {IDC_RESCUE_BROWSE, "Button", 0},
          {IDC_RESCUE_LIST, WC_LISTVIEWA, noSort | LVS_SINGLESEL},
          {IDC_RESCUE_STATUS, "Static", 0},
          {IDC_RESCUE_PROGRESS, PROGRESS_CLASSA, 0},
          {IDC_RESCUE_DELETE, "Button", 0},
          {IDC_RESCUE_RESTORE, "Button", BS_DEFPUSHBUTTON},
          {IDCANCEL, "Button", 0}}},
        {IDD_TYPEDURLS,
         "_TypedUrlsDialog",
         {{IDC_TYPEDURLS_LIST, WC_LISTVIEWA, noSort | LVS_SINGLESEL},
          {IDC_TYPEDURLS_CLEAR, "Button", BS_DEFPUSHBUTTON},
          {IDCANCEL, "Button", 0},
          {IDC_TYPEDURLS_CHECKALL, "Button", 0},
          {IDC_TYPEDURLS_UNCHECKALL, "Button", 0}}},
        {IDD_REPORT_STATUS,
         nullptr,
         {{IDC_REPORT_STATUS_TEXT, "Static", 0}, {IDC_REPORT_STATUS_PROGRESS, PROGRESS_CLASSA, 0}}},
    };
    return dialogs;
}

void ExpectControls(HWND dialog, const std::string& name, const std::vector<ExpectedControl>& expected) {
    for (const ExpectedControl& e : expected) {
        HWND control = ::GetDlgItem(dialog, e.id);
        ASSERT_TRUE(control) << name << " has no control " << e.id;
        EXPECT_EQ(lstrcmpiA(ClassOf(control).c_str(), e.kind), 0)
            << name << ", control " << e.id << " is a " << ClassOf(control);
        LONG style = ::GetWindowLongA(control, GWL_STYLE);
        EXPECT_EQ(style & e.styles, e.styles)
            << name << ", control " << e.id << " style " << std::hex << style;
        bool data = lstrcmpiA(e.kind, WC_LISTVIEWA) == 0 || lstrcmpiA(e.kind, WC_TREEVIEWA) == 0 ||
                    lstrcmpiA(e.kind, "Edit") == 0;
        if (data) {
            EXPECT_TRUE((style & WS_BORDER) || (::GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE))
                << name << ", control " << e.id << " has no border";
        }
        if (lstrcmpiA(e.kind, "Button") == 0 && e.styles == 0) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << name << ", control " << e.id;
        }
    }
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

    test::TempFolder folder_;
    std::string languagePath_ = folder_ / "Quillmoor.language";
    LanguageTable english_;
};

}  // namespace

TEST_F(ResourcesTest, FrameFollowsItsTable) {
    HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(frame);
    LONG style = ::GetWindowLongA(frame, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_VISIBLE));
    EXPECT_EQ(Text(frame), "_Quillmoor");
    HMENU menu = ::GetMenu(frame);
    ASSERT_TRUE(menu);
    EXPECT_EQ(::GetMenuItemCount(menu), 3);

    // Positions and sizes exactly as the frame's table gives them, in dialog units.
    struct Placed {
        int id;
        int x, y, width, height;
        const char* text;
    };
    const Placed placed[] = {
        {IDC_FRAME_BANNER, 0, 0, 481, 59, nullptr},  {IDC_FRAME_PANE, 0, 59, 481, 213, "_Pane"},
        {IDC_FRAME_HELP, 3, 281, 53, 17, "_Help"},   {IDC_FRAME_PRE, 292, 281, 53, 17, "_Pre"},
        {IDC_FRAME_NEXT, 345, 281, 53, 17, "_Next"}, {IDC_FRAME_CANCEL, 421, 281, 53, 17, "_Cancel"},
    };
    for (const Placed& p : placed) {
        HWND control = ::GetDlgItem(frame, p.id);
        ASSERT_TRUE(control) << p.id;
        RECT expected = Place(frame, p.x, p.y, p.width, p.height);
        RECT actual;
        ::GetWindowRect(control, &actual);
        ::MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_TRUE(::EqualRect(&expected, &actual)) << "control " << p.id;
        if (p.text) {
            EXPECT_EQ(Text(control), p.text);
        }
    }
    HWND banner = ::GetDlgItem(frame, IDC_FRAME_BANNER);
    EXPECT_EQ(::GetWindowLongA(banner, GWL_STYLE) & (SS_TYPEMASK | SS_CENTERIMAGE),
              SS_BITMAP | SS_CENTERIMAGE);
    HBITMAP shown = reinterpret_cast<HBITMAP>(::SendMessageA(banner, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP bannerBitmap = LoadBitmapResource(IDB_BANNER);
    EXPECT_EQ(Pixels(shown), Pixels(bannerBitmap));
    ::DeleteObject(bannerBitmap);
    ExpectTidyLayout(frame, "frame");
    english_.TranslateWindow(frame);
    ExpectTextsFit(frame, "frame");
    ::DestroyWindow(frame);
}

// Each page, created inside the pane and translated, covers the pane exactly, shows its own side
// picture whole, and fits its English texts.
TEST_F(ResourcesTest, PagesFillThePaneAndFitTheirTexts) {
    HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(frame);
    HWND pane = ::GetDlgItem(frame, IDC_FRAME_PANE);
    RECT paneClient;
    ::GetClientRect(pane, &paneClient);
    for (const PageLayout& layout : Pages()) {
        std::string name = "page " + std::to_string(layout.templateId);
        HWND page = CreateFromTemplate(layout.templateId, pane);
        ASSERT_TRUE(page) << name;
        LONG pageStyle = ::GetWindowLongA(page, GWL_STYLE);
        EXPECT_EQ(pageStyle & (WS_CHILD | DS_CONTROL), WS_CHILD | DS_CONTROL) << name;
        EXPECT_FALSE(pageStyle & (WS_CAPTION | WS_VISIBLE | WS_POPUP)) << name;
        RECT client;
        ::GetClientRect(page, &client);
        EXPECT_TRUE(::EqualRect(&client, &paneClient)) << name;
        english_.TranslateWindow(page);

        HWND picture = ::GetDlgItem(page, IDC_PAGE_PICTURE);
        ASSERT_TRUE(picture) << name;
        RECT pictureRect;
        ::GetClientRect(picture, &pictureRect);
        EXPECT_EQ(pictureRect.right, 150) << name;
        EXPECT_EQ(pictureRect.bottom, 210) << name;
        HBITMAP expected = LoadBitmapResource(layout.picture);
        std::vector<uint32_t> want = Pixels(expected);
        ::DeleteObject(expected);
        EXPECT_FALSE(want.empty());
        EXPECT_EQ(Pixels(reinterpret_cast<HBITMAP>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0))),
                  want)
            << name << " does not show bitmap " << layout.picture << " after translation";

        ExpectControls(page, name, layout.controls);
        ExpectTidyLayout(page, name);
        ExpectTextsFit(page, name);
        for (const Control& control : ControlsOf(page)) {
            EXPECT_EQ(Text(control.window).rfind('_', 0), std::string::npos)
                << name << ": untranslated text " << Describe(control);
        }
        ::DestroyWindow(page);
    }
    ::DestroyWindow(frame);
}

TEST_F(ResourcesTest, OptionKeysKeepTheirTrailingBlanks) {
    HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
    HWND page = CreateFromTemplate(IDD_PAGE_OPTIONS, ::GetDlgItem(frame, IDC_FRAME_PANE));
    ASSERT_TRUE(page);
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_NOTACCESSED)), "_FindFilesHaveNotAccessed ");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_SKIPREADONLY)), "_SkipReadOnlyFiles ");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_SKIPSYSTEM)), "_SkipSystemFiles ");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_SKIPHIDDEN)), "_SkipHideFiles ");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_ZEROLENGTH)), "_FindZeroLengthFiles ");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_INVALIDSHORTCUTS)), "_FindInvalidShortcuts ");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_TEMP)), "_FindTemp");
    EXPECT_EQ(Text(::GetDlgItem(page, IDC_OPTIONS_MONTHS)), "");
    ::DestroyWindow(frame);
}

TEST_F(ResourcesTest, AboutDialogFollowsItsTable) {
    HWND about = CreateFromTemplate(IDD_ABOUT, nullptr);
    ASSERT_TRUE(about);
    LONG style = ::GetWindowLongA(about, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_EQ(Text(about), "_AboutDialog");
    RECT client;
    ::GetClientRect(about, &client);
    RECT size = Place(about, 0, 0, 254, 244);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    struct Row {
        int id;  // 0: a control without an id, found by its text
        const char* kind;
        const char* text;
        int x, y, width, height;
    };
    const Row rows[] = {
        {IDC_ABOUT_NAME, "Static", "_AppName", 43, 7, 204, 10},
        {IDC_ABOUT_VERSION, "Static", "_AppVersion", 43, 20, 204, 10},
        {IDC_ABOUT_WEBSITE, "Static", "_Websitelink", 43, 33, 204, 10},
        {IDC_ABOUT_SUPPORT, "Static", "_Supportlink", 43, 45, 204, 10},
        {0, "Static", "_Copyright", 43, 58, 204, 10},
        {0, "Static", "_Thanks", 43, 116, 204, 10},
        {IDC_ABOUT_THANKS, "Edit", "", 43, 130, 204, 37},
        {IDCANCEL, "Button", "_Cancel", 197, 171, 50, 14},
        {0, "Static", "_Warning", 7, 195, 240, 42},
    };
    std::vector<Control> controls = ControlsOf(about);
    for (const Row& row : rows) {
        const Control* found = nullptr;
        for (const Control& c : controls) {
            if (row.id ? c.id == row.id : Text(c.window) == row.text)
                found = &c;
        }
        ASSERT_TRUE(found) << row.text;
        EXPECT_EQ(lstrcmpiA(ClassOf(found->window).c_str(), row.kind), 0) << row.text;
        EXPECT_EQ(Text(found->window), row.text);
        RECT expected = Place(about, row.x, row.y, row.width, row.height);
        EXPECT_TRUE(::EqualRect(&expected, &found->rect)) << row.text;
    }
    HWND thanks = ::GetDlgItem(about, IDC_ABOUT_THANKS);
    LONG thanksStyle = ::GetWindowLongA(thanks, GWL_STYLE);
    EXPECT_EQ(thanksStyle & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
              ES_MULTILINE | ES_READONLY | WS_VSCROLL);
    EXPECT_TRUE(::GetWindowLongA(thanks, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(::GetWindowLongA(::GetDlgItem(about, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

    // The program icon at the top left and the etched line above the warning.
    RECT iconPlace = Place(about, 7, 7, 20, 20);
    bool icon = false, line = false;
    for (const Control& c : controls) {
        LONG type = ::GetWindowLongA(c.window, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_ICON && c.rect.left == iconPlace.left && c.rect.top == iconPlace.top) {
            icon = ::SendMessageA(c.window, STM_GETICON, 0, 0) != 0;
        }
        if (type == SS_ETCHEDHORZ)
            line = true;
    }
    EXPECT_TRUE(icon);
    EXPECT_TRUE(line);

    english_.TranslateWindow(about);
    ExpectTidyLayout(about, "about");
    ExpectTextsFit(about, "about");
    ::DestroyWindow(about);
}

TEST_F(ResourcesTest, DialogsKeepTheirControlsInsideAndApart) {
    HWND owner = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(owner);
    for (const DialogLayout& d : Dialogs()) {
        std::string name = "dialog " + std::to_string(d.id);
        HWND dialog = CreateFromTemplate(d.id, owner);
        ASSERT_TRUE(dialog) << name;
        LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_POPUP) << name;
        EXPECT_FALSE(style & (WS_THICKFRAME | WS_VISIBLE)) << name;
        if (d.caption) {
            EXPECT_EQ(style & WS_CAPTION, WS_CAPTION) << name;
            EXPECT_EQ(Text(dialog), d.caption) << name;
        }
        ExpectControls(dialog, name, d.controls);
        english_.TranslateWindow(dialog);
        ExpectTidyLayout(dialog, name);
        ExpectTextsFit(dialog, name);
        ::DestroyWindow(dialog);
    }
    EXPECT_TRUE(::GetWindowLongA(CreateFromTemplate(IDD_REPORT_STATUS, owner), GWL_EXSTYLE) & WS_EX_TOPMOST);
    ::DestroyWindow(owner);
}

// The same layout checks on a screen at 144 DPI (150 %), where the program's windows grow with
// their font and take the 150 % pictures. Runs only where the test run set the screen's DPI and
// says so in QM_TEST_DPI (the ctest entry resources_at_144_dpi, in a prefix of its own).
TEST_F(ResourcesTest, LayoutHoldsAtTheScreensDpi) {
    const char* wanted = std::getenv("QM_TEST_DPI");
    if (!wanted)
        GTEST_SKIP() << "QM_TEST_DPI is not set";
    HWND frame = CreateFromTemplate(IDD_WIZARD, nullptr);
    ASSERT_TRUE(frame);
    // Windows enlarges, and blurs, the windows of a program whose manifest does not declare it DPI
    // aware, and tells it 96; Wine does neither, so the declaration is read as the system reads it.
    wchar_t awareness[64] = {};
    SIZE_T written = 0;
    EXPECT_TRUE(::QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                       L"dpiAwareness", awareness, std::size(awareness), &written));
    EXPECT_EQ(std::wstring(awareness), L"system");
    const UINT dpi = win::WindowDpi(frame);
    ASSERT_EQ(dpi, static_cast<UINT>(std::atoi(wanted)));
    ASSERT_EQ(dpi, 144u) << "the pictures below are compared with their 150 % drawings";

    // Each picture is shown at its 100 % size times 1.5, as the prepared drawing, not scaled.
    auto expectPicture = [&](HWND control, int picture, const std::string& name,
                             win::UniqueGdiObject<HBITMAP>& fitted) {
        fitted = win::FitPicture(control, picture);
        ASSERT_TRUE(fitted) << name;
        int width = 0, height = 0, baseWidth = 0, baseHeight = 0;
        HBITMAP base = LoadBitmapResource(picture);
        Pixels(base, &baseWidth, &baseHeight);
        ::DeleteObject(base);
        HBITMAP prepared = LoadBitmapResource(picture + QM_PICTURE_150);
        std::vector<uint32_t> want = Pixels(prepared, &width, &height);
        ::DeleteObject(prepared);
        EXPECT_EQ(width, ::MulDiv(baseWidth, 3, 2)) << name;
        EXPECT_EQ(height, ::MulDiv(baseHeight, 3, 2)) << name;
        EXPECT_EQ(Pixels(reinterpret_cast<HBITMAP>(::SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0))),
                  want)
            << name;
    };
    win::UniqueGdiObject<HBITMAP> banner;
    expectPicture(::GetDlgItem(frame, IDC_FRAME_BANNER), IDB_BANNER, "banner", banner);
    ExpectTidyLayout(frame, "frame");
    english_.TranslateWindow(frame);
    ExpectTextsFit(frame, "frame");

    HWND pane = ::GetDlgItem(frame, IDC_FRAME_PANE);
    for (const PageLayout& layout : Pages()) {
        std::string name = "page " + std::to_string(layout.templateId);
        HWND page = CreateFromTemplate(layout.templateId, pane);
        ASSERT_TRUE(page) << name;
        english_.TranslateWindow(page);
        win::UniqueGdiObject<HBITMAP> picture;
        expectPicture(::GetDlgItem(page, IDC_PAGE_PICTURE), layout.picture, name, picture);
        ExpectTidyLayout(page, name);
        ExpectTextsFit(page, name);
        ::DestroyWindow(page);
    }
    for (const DialogLayout& d : Dialogs()) {
        std::string name = "dialog " + std::to_string(d.id);
        HWND dialog = CreateFromTemplate(d.id, frame);
        ASSERT_TRUE(dialog) << name;
        english_.TranslateWindow(dialog);
        ExpectTidyLayout(dialog, name);
        ExpectTextsFit(dialog, name);
        ::DestroyWindow(dialog);
    }
    HWND about = CreateFromTemplate(IDD_ABOUT, frame);
    english_.TranslateWindow(about);
    ExpectTidyLayout(about, "about");
    ExpectTextsFit(about, "about");
    ::DestroyWindow(about);

    // The tree's images come whole from their 150 % strips.
    for (int strip : {IDB_TREE_IMAGES, IDB_TREE_STATES}) {
        win::UniqueImageList small = win::LoadImageStrip(Module(), strip, 96);
        win::UniqueImageList large = win::LoadImageStrip(Module(), strip, dpi);
        int smallSize = 0, largeSize = 0, height = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(small.get(), &smallSize, &height)) << strip;
        ASSERT_TRUE(::ImageList_GetIconSize(large.get(), &largeSize, &height)) << strip;
        EXPECT_EQ(largeSize, ::MulDiv(smallSize, 3, 2)) << strip;
        EXPECT_EQ(::ImageList_GetImageCount(large.get()), ::ImageList_GetImageCount(small.get())) << strip;
    }
    ::DestroyWindow(frame);
}

TEST(Resources, EveryDialogTemplateIsPresent) {
    const int ids[] = {
        IDD_WIZARD,        IDD_PAGE_WELCOME,  IDD_PAGE_FOLDERS, IDD_PAGE_PATTERNS, IDD_PAGE_OPTIONS,
        IDD_PAGE_SKIP,     IDD_PAGE_SCANNING, IDD_PAGE_REPORT,  IDD_PAGE_CLEANING, IDD_PAGE_CLEANOPTIONS,
        IDD_PAGE_RESULTS,  IDD_PATTERN,       IDD_FILEDETAILS,  IDD_RESCUE,        IDD_TYPEDURLS,
        IDD_REPORT_STATUS, IDD_ABOUT};
    for (int id : ids) {
        EXPECT_TRUE(::FindResourceA(Module(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5))) << id;  // RT_DIALOG
    }
}

TEST(Resources, MenuHasItsItemsInOrder) {
    HMENU bar = ::LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_TRUE(bar);
    struct Item {
        const char* text;  // nullptr: a separator
        UINT id;
    };
    struct Popup {
        const char* text;
        std::vector<Item> items;
    };
    const std::vector<Popup> expected = {
        {"_File", {{"_Exit", ID_FILE_EXIT}}},
        {"_Tools",
         {{"_StartRescueManager", ID_TOOLS_RESCUE},
          {nullptr, 0},
          {"_ClearTypedUrls", ID_TOOLS_TYPEDURLS},
          {"_Logwright", ID_TOOLS_LOGWRIGHT}}},
        {"_Help",
         {{"_Content", ID_HELP_CONTENT},
          {"_Website", ID_HELP_WEBSITE},
          {"_Contactus", ID_HELP_CONTACT},
          {nullptr, 0},
          {"_About", ID_HELP_ABOUT}}},
    };
    auto text = [](HMENU menu, int position) {
        char buffer[128] = {};
        ::GetMenuStringA(menu, position, buffer, sizeof(buffer), MF_BYPOSITION);
        return std::string(buffer);
    };
    ASSERT_EQ(::GetMenuItemCount(bar), static_cast<int>(expected.size()));
    for (size_t p = 0; p < expected.size(); ++p) {
        EXPECT_EQ(text(bar, static_cast<int>(p)), expected[p].text);
        HMENU popup = ::GetSubMenu(bar, static_cast<int>(p));
        ASSERT_TRUE(popup) << expected[p].text;
        ASSERT_EQ(::GetMenuItemCount(popup), static_cast<int>(expected[p].items.size())) << expected[p].text;
        for (size_t i = 0; i < expected[p].items.size(); ++i) {
            const Item& item = expected[p].items[i];
            int position = static_cast<int>(i);
            UINT state = ::GetMenuState(popup, position, MF_BYPOSITION);
            if (!item.text) {
                EXPECT_TRUE(state & MF_SEPARATOR) << expected[p].text << " item " << i;
                continue;
            }
            EXPECT_EQ(text(popup, position), item.text);
            EXPECT_EQ(::GetMenuItemID(popup, position), item.id) << item.text;
            EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) << item.text;
        }
    }
    ::DestroyMenu(bar);
}

TEST(Resources, PicturesHaveTheirSizes) {
    struct Size {
        int id, width, height;
    };
    const Size sizes[] = {
        {IDB_TREE_IMAGES, 48, 16},     {IDB_TREE_STATES, 52, 13},    {IDB_BANNER, 750, 100},
        {IDB_SIDE_RESULTS, 150, 210},  {IDB_SIDE_WELCOME, 150, 210}, {IDB_SIDE_FOLDERS, 150, 210},
        {IDB_SIDE_PATTERNS, 150, 210}, {IDB_SIDE_OPTIONS, 150, 210}, {IDB_SIDE_SCANNING, 150, 210},
        {IDB_SIDE_REPORT, 150, 210},   {IDB_SIDE_CLEANING, 150, 210}};
    std::set<std::vector<uint32_t>> sides;
    for (const Size& s : sizes) {
        HBITMAP bitmap = LoadBitmapResource(s.id);
        ASSERT_TRUE(bitmap) << s.id;
        int width = 0, height = 0;
        std::vector<uint32_t> pixels = Pixels(bitmap, &width, &height);
        EXPECT_EQ(width, s.width) << s.id;
        EXPECT_EQ(height, s.height) << s.id;
        if (s.id >= IDB_SIDE_RESULTS)
            sides.insert(pixels);
        ::DeleteObject(bitmap);
        // The 200 % drawing is twice as large; the 150 % ones are looked at on a 144-DPI screen.
        HBITMAP large = LoadBitmapResource(s.id + QM_PICTURE_200);
        int largeWidth = 0, largeHeight = 0;
        Pixels(large, &largeWidth, &largeHeight);
        ::DeleteObject(large);
        EXPECT_EQ(largeWidth, 2 * s.width) << s.id;
        EXPECT_EQ(largeHeight, 2 * s.height) << s.id;
    }
    EXPECT_EQ(sides.size(), 8u) << "every page role has a picture of its own";
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
// the test program may run from a folder that the Wine prefix reaches only by a Unix path.
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
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04b0);
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
    EXPECT_EQ(value(L"ProductName"), L"Quillmoor");
    EXPECT_EQ(value(L"ProductVersion"), L"1.0");
    EXPECT_EQ(value(L"FileVersion"), L"1.0.0.0");
    EXPECT_EQ(value(L"LegalCopyright"), L"Copyright (c) 2026 the Quillmoor developers");
    EXPECT_FALSE(value(L"CompanyName").empty());
    EXPECT_FALSE(value(L"FileDescription").empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
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
