#pragma once
// Shared by the window tests: prompts that answer from a script and record what they were asked,
// a message pump with a deadline, and a program folder of the test's own.

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/Prompts.h"

namespace test {

// A file of the source tree, reached through Wine's "\\?\unix\" form (there is no Z: drive).
std::string SourceFile(const std::string& relative);

// Answers message boxes from a queue (IDOK when it is empty) and records every request.
class RecordingPrompts : public win::Prompts {
  public:
    RecordingPrompts() { win::SetPrompts(this); }
    ~RecordingPrompts() override { win::SetPrompts(nullptr); }

    int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style) override;
    std::string BrowseForFolder() override;
    bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters) override;
    INT_PTR RunModal(win::Dialog& dialog, int templateId, HWND owner) override;
    std::string SaveFileName(HWND owner, const std::string& suggestedName, const std::string& filter,
                             const std::string& extension) override;
    int TrackMenu(HWND owner, HMENU menu, POINT point) override;

    std::deque<int> answers;             // message box answers, in order
    std::vector<std::string> messages;   // message box texts
    std::vector<UINT> styles;            // message box styles
    std::deque<std::string> folders;     // folder browser answers ("" = cancelled)
    std::vector<std::string> opened;     // shell open targets + " " + parameters
    std::vector<int> dialogs;            // modal dialog templates asked for
    std::deque<std::string> saveNames;   // Save As answers ("" = cancelled)
    std::deque<int> menuChoices;         // shortcut menu answers (0 = dismissed)
    std::vector<std::string> menuItems;  // the items of every shortcut menu shown
    // Drives a modal dialog while it is open; without one, dialogs are not shown and give IDCANCEL.
    std::function<void(HWND dialog, int templateId)> onDialog;
};

// Dispatches messages until done() holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30'000);
// Dispatches whatever is waiting.
void PumpPending();
// Lets other threads' synchronous messages to this thread through, and nothing else, until done()
// holds: a worker advances only as far as its control updates take it.
bool DeliverSentMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 30'000);

// A folder of the test's own that the program takes for its folder: config.xml and the language
// file are copied there from the source tree (config.xml may be replaced by the test's own).
// COM is initialised for the test's thread, as the program does on its interface thread.
class ProgramFolder {
  public:
    explicit ProgramFolder(const std::string& configXml = "");
    ~ProgramFolder();
    const std::string& Path() const { return dir_.Path(); }
    std::string operator/(const std::string& relative) const { return dir_ / relative; }

  private:
    win::ComApartment com_;
    TempFolder dir_;
};

// Whether a static control's text, wrapped at its width in its own font as the control draws it,
// fits the control.
::testing::AssertionResult ShowsItsTextWhole(HWND control);

// Clicks a button of a dialog as the user would.
void Click(HWND dialog, int id);
std::string WindowText(HWND window);

}  // namespace test
