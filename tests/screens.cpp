// Takes pictures of the program's windows for a look at their layout: the wizard frame with each
// of its pages in turn, and every dialog, all translated into English (or a translation) and holding a few
// sample rows. Not a test; run it on a display and look at what it writes:
//     screens.exe <language file> <output folder> [<translation file>]
// Each window is written as <output folder>\<name>.bmp.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "config/FactoryDescriptions.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "clean/BackupStore.h"
#include "pages/ApplicationsDialog.h"
#include "pages/ReportPage.h"
#include "resources/ResourceIds.h"
#include "win/ComPtr.h"
#include "win/Dpi.h"
#include "win/PathParts.h"
#include "win/Text.h"

namespace {

HINSTANCE Module() {
    return ::GetModuleHandleA(nullptr);
}

// The banner's own edge colour, for the strips beside it when the frame is wider than the
// picture.
const COLORREF kBannerEdge = RGB(10, 38, 102);
HBRUSH bannerBrush = nullptr;

INT_PTR CALLBACK FrameProc(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_CTLCOLORSTATIC && ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == IDC_FRAME_BANNER) {
        return reinterpret_cast<INT_PTR>(bannerBrush);
    }
    return message == WM_INITDIALOG;
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

void Pump(DWORD milliseconds) {
    DWORD end = ::GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::Sleep(10);
    }
}

// Copies the window's rectangle from the screen into a 24-bit bottom-up BMP file.
bool Capture(HWND window, const std::string& path) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    ::GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
    return true;
}

// Widths in pixels at 96 DPI, as the program gives them, unless already the list's own.
void AddColumns(HWND list, const std::vector<std::pair<const char*, int>>& columns, bool scale = true) {
    const UINT dpi = scale ? win::WindowDpi(list) : 96;
    for (size_t i = 0; i < columns.size(); ++i) {
        std::wstring title = win::Wide(Translate(columns[i].first));
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = win::ScaleToDpi(columns[i].second, dpi);
        column.pszText = title.data();
        ::SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
}

void AddRow(HWND list, const std::vector<std::string>& cells, bool ticked = true) {
    std::vector<std::wstring> texts;
    for (const std::string& cell : cells)
        texts.push_back(win::Wide(cell));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = texts[0].data();
    int row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    for (size_t c = 1; c < cells.size(); ++c) {
        item.iSubItem = static_cast<int>(c);
        item.pszText = texts[c].data();
        ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    }
    if (::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES) {
        LVITEMA state{};
        state.stateMask = LVIS_STATEIMAGEMASK;
        state.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
        ::SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
}

void Styles(HWND list, DWORD styles) {
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
}

HTREEITEM AddNode(HWND tree, HTREEITEM parent, const char* text, int image, int selected, int state) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selected;
    insert.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
    insert.item.state = INDEXTOSTATEIMAGEMASK(state) | (parent ? 0 : TVIS_EXPANDED);
    return reinterpret_cast<HTREEITEM>(
        ::SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void FillSamples(const std::vector<HWND>& pages) {
    const DWORD checks = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;

    HWND tree = ::GetDlgItem(pages[1], IDC_FOLDERS_TREE);
    const UINT dpi = win::WindowDpi(tree);
    HIMAGELIST images = win::LoadImageStrip(Module(), IDB_TREE_IMAGES, dpi).release();
    HIMAGELIST states = win::LoadImageStrip(Module(), IDB_TREE_STATES, dpi).release();
    ::SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    ::SendMessageA(tree, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(states));
    HTREEITEM c = AddNode(tree, nullptr, "C:", 2, 2, 2);
    AddNode(tree, c, "Program Files", 0, 1, 3);
    AddNode(tree, c, "Temp", 0, 1, 3);
    HTREEITEM users = AddNode(tree, c, "users", 0, 1, 1);
    AddNode(tree, c, "windows", 0, 1, 3);
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(users));
    AddNode(tree, nullptr, "D:", 2, 2, 3);

    HWND patterns = ::GetDlgItem(pages[2], IDC_PATTERNS_LIST);
    AddColumns(patterns, {{"_JunkName", 200}, {"_JunkDescription", 400}});
    Styles(patterns, checks);
    // The factory's descriptions, shown as the page shows them, and one of the user's own.
    AddRow(patterns, {"*.tmp", DescriptionShown("Temporary files")});
    AddRow(patterns, {"*.bak", DescriptionShown("Backup copies made by programs (check before removing)")},
           false);
    AddRow(patterns,
           {"~*.*", DescriptionShown("Temporary files whose names begin with a tilde, such as lock files "
                                     "of open documents")});
    AddRow(patterns, {"*.dmp", DescriptionShown("Memory dumps written when a program or Windows crashed")});
    AddRow(patterns, {"*.log.old", "My old logs"});

    ::SendDlgItemMessageA(pages[3], IDC_OPTIONS_NOTACCESSED, BM_SETCHECK, BST_CHECKED, 0);
    ::SetDlgItemTextA(pages[3], IDC_OPTIONS_MONTHS, "12");
    for (int id : {IDC_OPTIONS_SKIPSYSTEM, IDC_OPTIONS_ZEROLENGTH, IDC_OPTIONS_TEMP, IDC_OPTIONS_IETEMP}) {
        ::SendDlgItemMessageA(pages[3], id, BM_SETCHECK, BST_CHECKED, 0);
    }

    HWND skip = ::GetDlgItem(pages[4], IDC_SKIP_LIST);
    AddColumns(skip, {{"_FoldersToSkipFromSearch", 600}});
    Styles(skip, checks);
    AddRow(skip, {"C:\\windows"});
    AddRow(skip, {"C:\\Program Files"}, false);

    HWND roots = ::GetDlgItem(pages[5], IDC_SCANNING_ROOTS);
    AddColumns(roots, {{"_ListviewTragetFolder", 200}, {"_ListviewScanstate", 300}});
    Styles(roots, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    AddRow(roots, {"C:\\", Translate("_StateComplete")});
    AddRow(roots, {"D:\\", Translate("_stateScanning")});
    AddRow(roots, {"E:\\", Translate("_StateNotComplete")});
    ::SetDlgItemTextA(pages[5], IDC_SCANNING_STATUS,
                      "D:\\Projects\\Archive & Old\\2019\\Customer reports\\Quarterly\\Drafts\\Scans");
    ::SetDlgItemTextW(pages[5], IDC_SCANNING_FOUND,
                      win::Wide(FormatText(Translate("_StateFindItem"), {CountText(1280)})).c_str());
    ::EnableWindow(::GetDlgItem(pages[5], IDC_SCANNING_STOP), TRUE);

    ::SendDlgItemMessageA(pages[7], IDC_CLEANOPTIONS_RECYCLE, BM_SETCHECK, BST_CHECKED, 0);
    ::SendDlgItemMessageA(pages[7], IDC_CLEANOPTIONS_BACKUP, BM_SETCHECK, BST_CHECKED, 0);
    ::SetDlgItemTextA(pages[7], IDC_CLEANOPTIONS_FOLDER, "C:\\Program Files\\Quillmoor\\Backup");
    ::SendDlgItemMessageA(pages[7], IDC_CLEANOPTIONS_EXPIRE, BM_SETCHECK, BST_CHECKED, 0);
    ::SetDlgItemTextA(pages[7], IDC_CLEANOPTIONS_DAYS, "14");

    ::SendDlgItemMessageA(pages[8], IDC_CLEANING_PROGRESS, PBM_SETRANGE32, 0, 100);
    ::SendDlgItemMessageA(pages[8], IDC_CLEANING_PROGRESS, PBM_SETPOS, 60, 0);
    ::SetDlgItemTextW(pages[8], IDC_CLEANING_STATUS,
                      win::Wide(Translate("_CleaningPageStateBackup")).c_str());

    // The results of a cleaning into a restore point, its date in the words of the language spoken.
    const SYSTEMTIME until{2026, 12, 2, 22, 10, 30, 0, 0};
    const std::string results =
        Translate("_CleanerResultsDescription") + "\r\n\r\n" +
        FormatText(Translate("_ResultsCounts"),
                   {CountText(12), CountText(0), CountText(0), CountText(0), SizeText(7219)}) +
        "\r\n" +
        FormatText(Translate("_ResultsRestorePoint"),
                   {"C:\\Program Files\\Quillmoor\\Backup\\2026-12-08_10-30-00"}) +
        "\r\n" +
        FormatText(Translate("_ResultsHeldUntil"), {SizeText(2831155), DayText(until, until), SizeText(0)});
    ::SetDlgItemTextW(pages[9], IDC_PAGE_DESCRIPTION, win::Wide(results).c_str());
    // The page grows its description to fit its text and moves the log button below it; so here.
    HWND description = ::GetDlgItem(pages[9], IDC_PAGE_DESCRIPTION);
    HWND logButton = ::GetDlgItem(pages[9], IDC_RESULTS_LOGVIEWER);
    RECT text{}, button{};
    ::GetWindowRect(description, &text);
    ::GetWindowRect(logButton, &button);
    ::MapWindowPoints(nullptr, pages[9], reinterpret_cast<POINT*>(&text), 2);
    ::MapWindowPoints(nullptr, pages[9], reinterpret_cast<POINT*>(&button), 2);
    const int grown = win::ScaleToDpi(110, win::WindowDpi(description));
    ::MoveWindow(description, text.left, text.top, text.right - text.left, grown, TRUE);
    ::MoveWindow(logButton, button.left, text.top + grown + 6, button.right - button.left,
                 button.bottom - button.top, TRUE);
}

void FillDialog(int id, HWND dialog) {
    const DWORD checks = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    if (id == IDD_PATTERN) {
        ::SetWindowTextW(dialog, win::Wide(Translate("_AddJunkFileDialogCaption")).c_str());
        ::SetDlgItemTextA(dialog, IDC_PATTERN_MASK, "*.tmp");
        ::SetDlgItemTextA(dialog, IDC_PATTERN_DESCRIPTION, "Temporary files");
    } else if (id == IDD_FILEDETAILS) {
        ::SendDlgItemMessageA(dialog, IDC_DETAILS_ICON, STM_SETICON,
                              reinterpret_cast<WPARAM>(::LoadIconA(nullptr, MAKEINTRESOURCEA(32516))), 0);
        ::SetDlgItemTextA(dialog, IDC_DETAILS_PATH, "C:\\windows\\Temp\\install.dmp");
        HWND list = ::GetDlgItem(dialog, IDC_DETAILS_LIST);
        RECT client;
        ::GetClientRect(list, &client);
        AddColumns(list, {{"_AttributeName", client.right / 3}, {"_AttributeValue", client.right / 3 * 2}},
                   false);
        Styles(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_FLATSB);
        const std::string time = DateTimeText({2026, 3, 1, 2, 10, 15, 0, 0}, Seconds::kShown);
        AddRow(list, {Translate("_CreationTime"), time});
        AddRow(list,
               {Translate("_FileSize"),
                FormatText(Translate("_FileSizeWithBytes"),
                           {SizeText(1048576), FormatText(PluralForm(Translate("_SizeInBytes"), 1048576),
                                                          {CountText(1048576)})})});
        AddRow(list, {Translate("_LastAccessTime"), time});
        AddRow(list, {Translate("_LastWriteTime"), time});
    } else if (id == IDD_RESCUE) {
        ::SetDlgItemTextA(dialog, IDC_RESCUE_FOLDER, "C:\\Program Files\\Quillmoor\\Backup");
        HWND list = ::GetDlgItem(dialog, IDC_RESCUE_LIST);
        AddColumns(list, {{"_RescueDialogListColDate", 250},
                          {"_RescueDialogListColSize", 100},
                          {"_RescueDialogListColAge", 90}});
        Styles(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        RestorePoint older, newer;
        ParseRestorePointName("2025-12-24_18-00-00", older);
        ParseRestorePointName("2026-01-31_08-05-09", newer);
        AddRow(list, {RestorePointDisplayText(older), SizeText(262144), CountText(349)});
        AddRow(list, {RestorePointDisplayText(newer), SizeText(2831155), CountText(1311)});
        ::SetDlgItemTextW(dialog, IDC_RESCUE_TOTAL,
                          win::Wide(FormatText(Translate("_RescueTotalHeld"), {SizeText(3093299)})).c_str());
        ::SetDlgItemTextW(dialog, IDC_RESCUE_STATUS,
                          win::Wide(Translate("_RescueDialogStateRestoreComplete")).c_str());
        ::SendDlgItemMessageA(dialog, IDC_RESCUE_PROGRESS, PBM_SETPOS, 100, 0);
    } else if (id == IDD_TYPEDURLS) {
        HWND list = ::GetDlgItem(dialog, IDC_TYPEDURLS_LIST);
        AddColumns(list, {{"_TypedUrlsDialogColUrl", 450}});
        Styles(list, checks);
        AddRow(list, {"http://www.example.com/"}, false);
        AddRow(list, {"http://news.example.org/today"}, true);
    } else if (id == IDD_REPORT_STATUS) {
        ::SendDlgItemMessageA(dialog, IDC_REPORT_STATUS_PROGRESS, PBM_SETPOS, 40, 0);
    } else if (id == IDD_ABOUT) {
        ::SetDlgItemTextW(dialog, IDC_ABOUT_THANKS, win::Wide(Translate("_Thankyoulist", true)).c_str());
        ::SetDlgItemTextA(dialog, IDC_ABOUT_NAME, "Quillmoor");
        ::SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, "1.0");
    }
}

// The Applications list as the program shows it, in a program folder of its own beside the
// language file's: the shipped rules (those whose applications are here) and a community file
// whose groups are numbers, one of them unknown.
void CaptureApplications(const std::string& languageFile, HWND owner, const std::string& out) {
    const std::string from = win::FolderPartOf(languageFile);
    const std::string folder = out + "\\applications-folder";
    ::CreateDirectoryW(win::Wide(folder).c_str(), nullptr);
    for (const char* file : {"Quillmoor.rules", "config.xml"})
        ::CopyFileW(win::Wide(from + "\\" + file).c_str(), win::Wide(folder + "\\" + file).c_str(), FALSE);
    const char community[] =
        "[Sample Player *]\r\nLangSecRef=3023\r\nFileKey1=%Temp%\\Sample Player|*.tmp\r\n"
        "[Sample Browser Thumbnails *]\r\nLangSecRef=3029\r\nFileKey1=%Temp%\\Sample Browser|*.tmp\r\n"
        "[Sample Tool *]\r\nLangSecRef=3024\r\nFileKey1=%Temp%\\Sample Tool|*.log\r\n"
        "[Sample Game *]\r\nLangSecRef=3099\r\nFileKey1=%Temp%\\Sample Game|*.tmp\r\n";
    HANDLE file = ::CreateFileW(win::Wide(folder + "\\winapp2.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, community, sizeof(community) - 1, &written, nullptr);
    ::CloseHandle(file);
    ApplicationsDialog dialog(DataFoldersBeside(folder));
    HWND window = dialog.Create(IDD_APPLICATIONS, owner);
    ::SetWindowPos(window, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(400);
    Capture(window, out + "\\dialog_" + std::to_string(IDD_APPLICATIONS) + ".bmp");
    ::DestroyWindow(window);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: screens <language file> <output folder> [<translation file>]\n");
        return 1;
    }
    LanguageTable::Instance().SetPath(argv[1]);
    if (argc > 3) {
        LanguageTable::Instance().SetTranslation(argv[3]);
        // The translation's tag is its file's name: "...\Languages\de.language".
        std::string tag = argv[3];
        tag = tag.substr(tag.find_last_of("\\/") + 1);
        SetCurrentLocale(LocaleForLanguage(tag.substr(0, tag.find('.')), ""));
    }
    std::string out = argv[2];
    win::ComApartment com;  // the Applications list reads config.xml
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    bannerBrush = ::CreateSolidBrush(kBannerEdge);

    HWND frame = ::CreateDialogParamA(Module(), MAKEINTRESOURCEA(IDD_WIZARD), nullptr, FrameProc, 0);
    HWND pane = ::GetDlgItem(frame, IDC_FRAME_PANE);
    // The pictures at the screen's DPI, as the frame and the pages show them; kept until the end.
    std::vector<win::UniqueGdiObject<HBITMAP>> pictures;
    pictures.push_back(win::FitPicture(::GetDlgItem(frame, IDC_FRAME_BANNER), IDB_BANNER));
    const int templates[] = {IDD_PAGE_WELCOME,  IDD_PAGE_FOLDERS,  IDD_PAGE_PATTERNS, IDD_PAGE_OPTIONS,
                             IDD_PAGE_SKIP,     IDD_PAGE_SCANNING, IDD_PAGE_REPORT,   IDD_PAGE_CLEANOPTIONS,
                             IDD_PAGE_CLEANING, IDD_PAGE_RESULTS};
    const int sides[] = {IDB_SIDE_WELCOME,  IDB_SIDE_FOLDERS,  IDB_SIDE_PATTERNS, IDB_SIDE_OPTIONS,
                         IDB_SIDE_OPTIONS,  IDB_SIDE_SCANNING, IDB_SIDE_REPORT,   IDB_SIDE_CLEANING,
                         IDB_SIDE_CLEANING, IDB_SIDE_RESULTS};
    // The report page is the program's own, filled with sample results: its kinds' bars and ticks
    // are drawn by the page.
    ReportPage report;
    ScanResults samples;
    const std::string emptyKind = Translate("_ZeroLengthFile"), temporary = Translate("_WindowsTempFile"),
                      browser = Translate("_InterTempFile");
    const struct {
        const char* path;
        const char* reason;
        uint64_t size;
    } found[] = {{"C:\\Temp\\setup.log.tmp", temporary.c_str(), 12800},
                 {"C:\\Temp\\a\\cache.bin", "Temporary files", 730'000'000},
                 {"C:\\users\\me\\AppData\\Local\\Browser\\User Data\\Default\\Cache\\f_0001",
                  browser.c_str(), 1'150'000'000},
                 {"C:\\users\\me\\AppData\\Local\\Browser\\User Data\\Default\\Cache\\f_0002",
                  "Browser cache", 96'000'000},
                 {"C:\\users\\me\\Documents\\~report.doc", "Leftovers", 40960},
                 {"C:\\windows\\Temp\\install.dmp", "Crash dumps", 180'000'000},
                 {"C:\\users\\me\\empty.txt", emptyKind.c_str(), 0}};
    for (const auto& file : found)
        samples.AddOrReplace(file.path, file.reason, file.size);
    std::vector<HWND> pages;
    for (size_t i = 0; i < std::size(templates); ++i) {
        HWND page = templates[i] == IDD_PAGE_REPORT
                        ? report.CreateIn(pane)
                        : ::CreateDialogParamA(Module(), MAKEINTRESOURCEA(templates[i]), pane, PlainProc, 0);
        LanguageTable::Instance().TranslateWindow(page);
        pictures.push_back(win::FitPicture(::GetDlgItem(page, IDC_PAGE_PICTURE), sides[i]));
        pages.push_back(page);
    }
    FillSamples(pages);
    report.Fill(&samples);
    // The largest kind chosen, and one of its files unticked, so that its box shows grey.
    ListView_SetItemState(report.Kinds().Handle(), 0, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    report.List().SetTicked(1, false);
    LanguageTable::Instance().TranslateWindow(frame);
    LanguageTable::Instance().TranslateMenu(::GetMenu(frame));
    ::DrawMenuBar(frame);
    ::SetWindowPos(frame, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    RECT paneClient;
    ::GetClientRect(pane, &paneClient);
    for (size_t i = 0; i < pages.size(); ++i) {
        for (HWND page : pages)
            ::ShowWindow(page, SW_HIDE);
        ::MoveWindow(pages[i], 0, 0, paneClient.right, paneClient.bottom, FALSE);
        ::ShowWindow(pages[i], SW_SHOW);
        bool last = i + 1 == pages.size();
        ::ShowWindow(::GetDlgItem(frame, IDC_FRAME_PRE), last ? SW_HIDE : SW_SHOW);
        ::ShowWindow(::GetDlgItem(frame, IDC_FRAME_NEXT), last ? SW_HIDE : SW_SHOW);
        ::SetDlgItemTextW(frame, IDC_FRAME_CANCEL,
                          win::Wide(Translate(last ? "_FinishButton" : "_Cancel")).c_str());
        ::RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(400);
        Capture(frame, out + "\\page" + std::to_string(i) + "_" + std::to_string(templates[i]) + ".bmp");
    }
    ::ShowWindow(frame, SW_HIDE);

    const int dialogs[] = {IDD_PATTERN,   IDD_FILEDETAILS,   IDD_RESCUE,
                           IDD_TYPEDURLS, IDD_REPORT_STATUS, IDD_ABOUT};
    for (int id : dialogs) {
        HWND dialog = ::CreateDialogParamA(Module(), MAKEINTRESOURCEA(id), frame, PlainProc, 0);
        LanguageTable::Instance().TranslateWindow(dialog);
        FillDialog(id, dialog);
        ::SetWindowPos(dialog, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::RedrawWindow(dialog, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump(400);
        Capture(dialog, out + "\\dialog_" + std::to_string(id) + ".bmp");
        ::DestroyWindow(dialog);
    }
    CaptureApplications(argv[1], frame, out);
    ::DestroyWindow(frame);
    ::DeleteObject(bannerBrush);
    return 0;
}
