#include "support/WindowTest.h"

#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "win/Dialog.h"
#include "win/Text.h"

namespace test {

std::string SourceFile(const std::string& relative) {
    std::string path = std::string("\\\\?\\unix") + QM_SOURCE_DIR + "/" + relative;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

::testing::AssertionResult ShowsItsTextWhole(HWND control) {
    RECT client{};
    ::GetClientRect(control, &client);
    const std::wstring text = win::Wide(win::WindowText(control));
    HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT needed{0, 0, client.right, 0};
    const bool noPrefix = ::GetWindowLongW(control, GWL_STYLE) & SS_NOPREFIX;
    ::DrawTextW(dc, text.c_str(), -1, &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | (noPrefix ? DT_NOPREFIX : 0));
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    if (needed.bottom <= client.bottom && needed.right <= client.right)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << win::WindowText(control) << "\" needs " << needed.right << " x " << needed.bottom
           << " in " << client.right << " x " << client.bottom;
}

int RecordingPrompts::MessageBox(HWND, const std::string& text, const std::string&, UINT style) {
    messages.push_back(text);
    styles.push_back(style);
    if (answers.empty())
        return IDOK;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string RecordingPrompts::BrowseForFolder() {
    if (folders.empty())
        return {};
    std::string folder = folders.front();
    folders.pop_front();
    return folder;
}

bool RecordingPrompts::ShellOpen(HWND, const std::string& target, const std::string& parameters) {
    opened.push_back(parameters.empty() ? target : target + " " + parameters);
    return true;
}

namespace {
// The dialog that RunModal has open, handed to the test's driver by a timer.
struct OpenDialog {
    RecordingPrompts* prompts;
    win::Dialog* dialog;
    int templateId;
};
OpenDialog* g_openDialog = nullptr;

void CALLBACK DriveOpenDialog(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (g_openDialog && g_openDialog->dialog->Handle())
        g_openDialog->prompts->onDialog(g_openDialog->dialog->Handle(), g_openDialog->templateId);
}
}  // namespace

std::string RecordingPrompts::SaveFileName(HWND, const std::string&, const std::string&, const std::string&) {
    if (saveNames.empty())
        return {};
    std::string name = saveNames.front();
    saveNames.pop_front();
    return name;
}

int RecordingPrompts::TrackMenu(HWND, HMENU menu, POINT) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        menuItems.push_back(text);
    }
    if (menuChoices.empty())
        return 0;
    const int choice = menuChoices.front();
    menuChoices.pop_front();
    return choice;
}

INT_PTR RecordingPrompts::RunModal(win::Dialog& dialog, int templateId, HWND owner) {
    dialogs.push_back(templateId);
    if (!onDialog)
        return IDCANCEL;
    OpenDialog open{this, &dialog, templateId};
    g_openDialog = &open;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 50, DriveOpenDialog);
    INT_PTR result = dialog.RunModal(templateId, owner);
    ::KillTimer(nullptr, timer);
    g_openDialog = nullptr;
    return result;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

bool DeliverSentMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        ::Sleep(1);
    }
    return true;
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

ProgramFolder::ProgramFolder(const std::string& configXml) {
    if (configXml.empty())
        ::CopyFileA(SourceFile("data/config.xml").c_str(), (dir_ / "config.xml").c_str(), FALSE);
    else
        WriteFile(dir_ / "config.xml", configXml);
    ::CopyFileA(SourceFile("data/Quillmoor.language").c_str(), (dir_ / "Quillmoor.language").c_str(), FALSE);
    OverrideProgramDirectory(dir_.Path());
    LanguageTable::Instance().SetPath(dir_ / "Quillmoor.language");
}

ProgramFolder::~ProgramFolder() {
    LanguageTable::Instance().SetPath("");
    OverrideProgramDirectory("");
}

void Click(HWND dialog, int id) {
    ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string WindowText(HWND window) {
    char buffer[4096] = {};
    ::GetWindowTextA(window, buffer, sizeof(buffer));
    return buffer;
}

}  // namespace test
