// The built program as a user meets it: Quillmoor.exe copied from dist/ into a folder of the
// test's own, started as its own process and driven from outside by control ids through a whole
// cleaning run; then what it did on disk, in its restore point, its activity log and config.xml.
// Also the second start that must end at once, and the program without its language file.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "config/LanguageSetting.h"
#include "core/FormatText.h"
#include "core/LanguageChoice.h"
#include "core/LanguageFile.h"
#include "core/LanguageTable.h"
#include "clean/BackupStore.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "config/ScheduleSettings.h"
#include "session/ScheduledTask.h"
#include "resources/ResourceIds.h"
#include "support/ConfigText.h"
#include "support/LogwrightTest.h"
#include "support/LogEntries.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

// The junk files of the run: a ticked pattern each, all inside the ticked folder.
std::string PatternsAndOptions() {
    test::ConfigParts config;
    config.patterns = {test::PatternRow("1", "Temporary file", "*.tmp"),
                       test::PatternRow("1", "Crash dump", "*.dmp"),
                       test::PatternRow("0", "Backup copy", "*.bak")};
    config.options = test::ScanOptions(
        {test::Option("SkipReadOnlyFiles", "1", "1"), test::Option("SkipSystemFiles", "1", "1"),
         test::Option("FindInvalidShortcuts", "0", "1"), test::Option("FindTemp", "0", "1"),
         test::Option("FindIETemp", "0", "1")});
    return test::ConfigText(config);
}

constexpr DWORD kSendTimeoutMs = 20'000;
constexpr auto kStartDeadline = std::chrono::seconds(30);
constexpr auto kWorkerDeadline = std::chrono::seconds(120);
constexpr DWORD kExitDeadlineMs = 30'000;

// A file of the build's dist folder, reached through Wine's "\\?\unix\" form (there is no Z: drive).
std::string DistFile(const std::string& name) {
    std::string path = std::string("\\\\?\\unix") + QM_DIST_DIR + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void CopyFromDist(const std::string& name, const std::string& folder) {
    ASSERT_TRUE(
        ::CopyFileW(win::Wide(DistFile(name)).c_str(), win::Wide(folder + "\\" + name).c_str(), FALSE))
        << "cannot copy " << DistFile(name) << ", error " << ::GetLastError();
}

// Polls until done() holds or the deadline passes; returns done().
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A message to a window of the program, which answers on its own thread; never waits for ever.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result))
        ADD_FAILURE() << "message " << message << " was not answered in time";
    return static_cast<LRESULT>(result);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    ::SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                          kSendTimeoutMs, nullptr);
    return text;
}

// Memory inside the program's process, for the control messages that carry pointers: the
// control reads and writes its structures and texts in its own address space.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process),
          address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {
        if (!address_)
            ADD_FAILURE() << "VirtualAllocEx failed, error " << ::GetLastError();
    }
    ~RemoteMemory() {
        if (address_)
            ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    void Write(size_t offset, const void* data, size_t size) const {
        ::WriteProcessMemory(process_, At(offset), data, size, nullptr);
    }
    void Read(size_t offset, void* data, size_t size) const {
        ::ReadProcessMemory(process_, At(offset), data, size, nullptr);
    }

  private:
    HANDLE process_;
    void* address_;
};

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

// Every top-level window that belongs to the process.
std::vector<HWND> TopLevelWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A visible top-level dialog of the process that holds a control with that id, waited for.
HWND WaitForDialogWith(DWORD processId, int controlId, HWND except = nullptr) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : TopLevelWindows(processId))
                if (window != except && ClassOf(window) == "#32770" && ::IsWindowVisible(window) &&
                    ::GetDlgItem(window, controlId))
                    found = window;
            return found != nullptr;
        },
        kStartDeadline);
    return found;
}

// A started copy of the program. A process that is still running when the object goes (after a
// failed check) is ended, so no test leaves it behind.
class Program {
  public:
    // output, when given, is an inheritable file handle that becomes the program's standard output.
    Program(const std::string& exe, const std::string& workingFolder, bool suspended = false,
            const std::string& arguments = "", HANDLE output = nullptr) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW | (output ? STARTF_USESTDHANDLES : 0);
        startup.wShowWindow = SW_SHOWNORMAL;
        startup.hStdOutput = startup.hStdError = output;
        std::wstring commandLine = win::Wide("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments));
        started_ = ::CreateProcessW(win::Wide(exe).c_str(), commandLine.data(), nullptr, nullptr,
                                    output != nullptr, suspended ? CREATE_SUSPENDED : 0, nullptr,
                                    win::Wide(workingFolder).c_str(), &startup, &info_);
        if (!started_)
            ADD_FAILURE() << "cannot start " << exe << ", error " << ::GetLastError();
    }
    ~Program() {
        if (started_) {
            if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
                ::TerminateProcess(info_.hProcess, 99);
                ::WaitForSingleObject(info_.hProcess, kExitDeadlineMs);
            }
            ::CloseHandle(info_.hThread);
            ::CloseHandle(info_.hProcess);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    HANDLE Process() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }
    void Resume() const { ::ResumeThread(info_.hThread); }
    bool Running() const { return ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code once the process has ended within the wait, or -1.
    long ExitCode(DWORD waitMs = kExitDeadlineMs) const {
        if (::WaitForSingleObject(info_.hProcess, waitMs) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<long>(code);
    }

    // The wizard frame: the visible top-level dialog of the process that holds the page pane.
    HWND WaitForFrame() const {
        HWND frame = nullptr;
        WaitFor(
            [&] {
                for (HWND window : TopLevelWindows(Id()))
                    if (ClassOf(window) == "#32770" && ::IsWindowVisible(window) &&
                        ::GetDlgItem(window, IDC_FRAME_PANE))
                        frame = window;
                return frame != nullptr || !Running();
            },
            kStartDeadline);
        return frame;
    }

  private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

// Drives a running program's wizard frame from outside, as a small test driver does: buttons by
// control id, the visible page inside the pane, tree and list views through the program's memory.
class Driver {
  public:
    Driver(const Program& program, HWND frame) : process_(program.Process()), frame_(frame) {}

    HWND Frame() const { return frame_; }
    HWND Button(int id) const { return ::GetDlgItem(frame_, id); }
    void Click(HWND dialog, int id) const {
        HWND button = ::GetDlgItem(dialog, id);
        ASSERT_TRUE(button) << "no control " << id;
        Send(button, BM_CLICK);
    }
    void ClickFrame(int id) const { Click(frame_, id); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Button(id)); }
    bool WaitUntilEnabled(int id) const {
        return WaitFor([&] { return Enabled(id); }, kWorkerDeadline);
    }

    // The page the pane shows: its one visible child dialog.
    HWND Page() const {
        HWND pane = ::GetDlgItem(frame_, IDC_FRAME_PANE);
        for (HWND child = ::GetWindow(pane, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
            if (ClassOf(child) == "#32770" && ::IsWindowVisible(child))
                return child;
        return nullptr;
    }
    // The shown page's control with that id, when it is of that window class (pages share ids,
    // so the pair tells the pages apart); null otherwise.
    HWND PageControl(int id, const char* windowClass) const {
        HWND control = ::GetDlgItem(Page(), id);
        return control && ClassOf(control) == windowClass ? control : nullptr;
    }

    // Expands the folder tree down to folder with the keyboard and ticks it with Space.
    void TickFolder(HWND tree, const std::string& folder) const {
        HTREEITEM item = nullptr;
        size_t start = 0;
        while (start <= folder.size()) {
            size_t end = folder.find('\\', start);
            if (end == std::string::npos)
                end = folder.size();
            const std::string name = folder.substr(start, end - start);
            if (item && !(Send(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                          TVIS_EXPANDED)) {
                Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
                Send(tree, WM_KEYDOWN, VK_ADD, 0);  // expands, and the page fills in the sub-folders
            }
            auto child = reinterpret_cast<HTREEITEM>(
                Send(tree, TVM_GETNEXTITEM, item ? TVGN_CHILD : TVGN_ROOT, reinterpret_cast<LPARAM>(item)));
            while (child && _stricmp(TreeText(tree, child).c_str(), name.c_str()) != 0)
                child = reinterpret_cast<HTREEITEM>(
                    Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
            ASSERT_TRUE(child) << "no tree item " << name;
            item = child;
            start = end + 1;
        }
        Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        Send(tree, WM_KEYDOWN, VK_SPACE, 0);
        // The folder page's state images: 1 unticked, 2 partly, 3 ticked.
        EXPECT_EQ(
            (Send(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12) & 0xF,
            3);
    }

    struct Row {
        std::string path, reason;
        bool ticked = false;
    };
    // Every row of a report-style list with check boxes: column 0, column 2 and the tick.
    std::vector<Row> ListRows(HWND list) const {
        std::vector<Row> rows;
        const int count = static_cast<int>(Send(list, LVM_GETITEMCOUNT));
        for (int row = 0; row < count; ++row) {
            const auto state = Send(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
            rows.push_back({ListText(list, row, 0), ListText(list, row, 2), ((state >> 12) & 0xF) != 1});
        }
        return rows;
    }

    // Selects and focuses a row of a list view in the program.
    void SelectRow(HWND list, int row) const {
        RemoteMemory memory(process_, sizeof(LVITEMA));
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        memory.Write(0, &item, sizeof(item));
        Send(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(memory.At(0)));
    }

  private:
    static constexpr size_t kTextSize = 1024;

    std::string TreeText(HWND tree, HTREEITEM item) const {
        RemoteMemory memory(process_, sizeof(TVITEMA) + kTextSize);
        TVITEMA tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = memory.At(sizeof(TVITEMA));
        tv.cchTextMax = kTextSize;
        memory.Write(0, &tv, sizeof(tv));
        memory.Write(sizeof(TVITEMA), "", 1);
        Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.At(0)));
        char text[kTextSize] = {};
        memory.Read(sizeof(TVITEMA), text, sizeof(text) - 1);
        return text;
    }
    std::string ListText(HWND list, int row, int column) const {
        RemoteMemory memory(process_, sizeof(LVITEMA) + kTextSize);
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = memory.At(sizeof(LVITEMA));
        item.cchTextMax = kTextSize;
        memory.Write(0, &item, sizeof(item));
        memory.Write(sizeof(LVITEMA), "", 1);
        Send(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(memory.At(0)));
        char text[kTextSize] = {};
        memory.Read(sizeof(LVITEMA), text, sizeof(text) - 1);
        return text;
    }

    HANDLE process_;
    HWND frame_;
};

// Watches a second start of the program while the first runs: whether it ended within the wait,
// its exit code, and whether any top-level window of its process was seen meanwhile.
struct SecondStart {
    long exitCode = -1;
    bool madeWindow = false;
};

SecondStart StartAgain(const std::string& exe, const std::string& workingFolder,
                       const std::string& arguments = "", DWORD deadlineMs = kExitDeadlineMs,
                       HANDLE output = nullptr) {
    SecondStart outcome;
    Program second(exe, workingFolder, true, arguments, output);
    if (!second.Started())
        return outcome;
    second.Resume();
    const DWORD start = ::GetTickCount();
    while (second.Running() && ::GetTickCount() - start < deadlineMs) {
        if (!TopLevelWindows(second.Id()).empty())
            outcome.madeWindow = true;
        ::WaitForSingleObject(second.Process(), 1);
    }
    outcome.exitCode = second.ExitCode(0);
    return outcome;
}

class EndToEndTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.exe", install_.Path()));
        test::WriteFile(install_ / "config.xml", PatternsAndOptions());
    }
    void TearDown() override { LanguageTable::Instance().SetPath(""); }

    std::string Exe() const { return install_ / "Quillmoor.exe"; }

    // Removed after the test body, so the program, the component and COM are gone by then.
    test::TempFolder install_;
    test::TempFolder data_;
};

// The data's own folders: the ticked one with its junk and the files that must stay, and a
// sibling folder "other" so that ticking "junk" does not tick their parent whole.
struct JunkTree {
    std::map<std::string, std::string> junk;  // path -> reason the report must give
    std::map<std::string, std::string> keep;  // path -> content
};

}  // namespace

TEST_F(EndToEndTest, ACleaningRunFromStartToFinish) {
    win::ComApartment com;
    test::RegistrationLock registrationLock;
    ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.language", install_.Path()));
    // The component is copied from dist/ and registered from the install folder, as the user does
    // with regsvr32.
    test::LogwrightDll logwright(install_.Path(), DistFile("Logwright.dll"));
    ASSERT_TRUE(SUCCEEDED(logwright.Register()));
    LanguageTable::Instance().SetPath(install_ / "Quillmoor.language");

    JunkTree tree;
    tree.junk[data_ / "junk\\a.tmp"] = "Temporary file";
    tree.junk[data_ / "junk\\Upper.TMP"] = "Temporary file";
    tree.junk[data_ / "junk\\deep\\er\\crash.dmp"] = "Crash dump";
    tree.keep[data_ / "junk\\copy.bak"] = "an unticked pattern";
    tree.keep[data_ / "junk\\letter.doc"] = std::string("a document\0\xff\r\n", 15);
    tree.keep[data_ / "junk\\hidden.tmp"] = "hidden: skipped once the option is ticked";
    tree.keep[data_ / "junk\\deep\\notes.txt"] = "notes";
    tree.keep[data_ / "other\\outside.tmp"] = "junk in a folder that is not ticked";
    for (const auto& [path, reason] : tree.junk)
        test::WriteFile(path, "junk of " + path);
    for (const auto& [path, content] : tree.keep)
        test::WriteFile(path, content);
    ::SetFileAttributesA((data_ / "junk\\hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);

    Program program(Exe(), data_.Path());
    ASSERT_TRUE(program.Started());
    HWND frame = program.WaitForFrame();
    ASSERT_TRUE(frame) << "no frame window";
    Driver driver(program, frame);

    // A second start while this one runs ends at once, with 0 and no window; an unattended one
    // with 3, having done nothing.
    {
        SecondStart second = StartAgain(Exe(), data_.Path());
        EXPECT_EQ(second.exitCode, 0);
        EXPECT_FALSE(second.madeWindow);
        SecondStart unattended = StartAgain(Exe(), data_.Path(), "/auto \"" + data_ / "junk" + "\"");
        EXPECT_EQ(unattended.exitCode, 3);
        EXPECT_FALSE(unattended.madeWindow);
        EXPECT_TRUE(test::Exists(data_ / "junk\\a.tmp"));
        EXPECT_TRUE(program.Running());
    }

    EXPECT_EQ(TextOf(driver.Button(IDC_FRAME_NEXT)), Translate("_Next"));
    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    HWND folders = driver.PageControl(IDC_FOLDERS_TREE, WC_TREEVIEWA);
    ASSERT_TRUE(folders) << "not on the folder page";
    ASSERT_NO_FATAL_FAILURE(driver.Click(driver.Page(), IDC_FOLDERS_REMOVEALL));
    ASSERT_NO_FATAL_FAILURE(driver.TickFolder(folders, data_ / "junk"));

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    ASSERT_TRUE(driver.PageControl(IDC_PATTERNS_LIST, WC_LISTVIEWA)) << "not on the pattern page";
    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    HWND skipHidden = driver.PageControl(IDC_OPTIONS_SKIPHIDDEN, WC_BUTTONA);
    ASSERT_TRUE(skipHidden) << "not on the options page";
    ASSERT_NO_FATAL_FAILURE(driver.Click(driver.Page(), IDC_OPTIONS_SKIPHIDDEN));
    EXPECT_EQ(Send(skipHidden, BM_GETCHECK), BST_CHECKED);
    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    ASSERT_TRUE(driver.PageControl(IDC_SKIP_LIST, WC_LISTVIEWA)) << "not on the skip page";

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));  // starts the scan
    ASSERT_TRUE(driver.PageControl(IDC_SCANNING_ROOTS, WC_LISTVIEWA)) << "not on the scanning page";
    ASSERT_TRUE(driver.WaitUntilEnabled(IDC_FRAME_NEXT)) << "the scan did not end";
    EXPECT_EQ(TextOf(driver.PageControl(IDC_SCANNING_STATUS, WC_STATICA)),
              Translate("_StateStringSearchCompleted"));

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    HWND report = driver.PageControl(IDC_REPORT_LIST, WC_LISTVIEWA);
    ASSERT_TRUE(report) << "not on the report page";
    std::map<std::string, std::string> listed;
    for (const auto& row : driver.ListRows(report)) {
        EXPECT_TRUE(row.ticked) << row.path;
        listed[row.path] = row.reason;
    }
    EXPECT_EQ(listed, tree.junk);

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    HWND permanent = driver.PageControl(IDC_CLEANOPTIONS_PERMANENT, WC_BUTTONA);
    ASSERT_TRUE(permanent) << "not on the clean options page";
    EXPECT_EQ(Send(permanent, BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(Send(driver.PageControl(IDC_CLEANOPTIONS_BACKUP, WC_BUTTONA), BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(TextOf(driver.PageControl(IDC_CLEANOPTIONS_FOLDER, WC_EDITA)), install_ / "Backup");

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));  // starts the cleaning
    ASSERT_TRUE(driver.PageControl(IDC_CLEANING_PROGRESS, PROGRESS_CLASSA)) << "not on the cleaning page";
    ASSERT_TRUE(driver.WaitUntilEnabled(IDC_FRAME_NEXT)) << "the cleaning did not end";
    EXPECT_EQ(TextOf(driver.PageControl(IDC_CLEANING_STATUS, WC_STATICA)),
              FormatText(Translate("_CleaningPageStateCompleteCounts"),
                         {static_cast<long long>(tree.junk.size()), 0LL}));

    // The junk is gone; everything else is as it was, byte for byte.
    for (const auto& [path, reason] : tree.junk)
        EXPECT_FALSE(test::Exists(path)) << path;
    for (const auto& [path, content] : tree.keep)
        EXPECT_EQ(test::ReadFile(path), content) << path;

    // One restore point, holding exactly the junk at its mirrored paths.
    const auto points = FindRestorePoints(install_ / "Backup");
    ASSERT_EQ(points.size(), 1u);
    const std::string point = points[0].path;
    std::vector<std::string> mirrored;
    for (const auto& [path, reason] : tree.junk) {
        mirrored.push_back(MirrorPath(path));
        EXPECT_EQ(test::ReadFile(point + "\\" + MirrorPath(path)), "junk of " + path);
    }
    std::sort(mirrored.begin(), mirrored.end());
    EXPECT_EQ(test::FilesBelow(point), mirrored);

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_NEXT));
    ASSERT_TRUE(driver.PageControl(IDC_RESULTS_LOGVIEWER, WC_BUTTONA)) << "not on the results page";
    EXPECT_FALSE(::IsWindowVisible(driver.Button(IDC_FRAME_NEXT)));
    EXPECT_EQ(TextOf(driver.Button(IDC_FRAME_CANCEL)), Translate("_FinishButton"));

    // The rescue manager from the menu brings every file back. Its prompts are real message boxes,
    // so the driver posts its clicks instead of waiting for them.
    ::PostMessageA(frame, WM_COMMAND, ID_TOOLS_RESCUE, 0);
    HWND rescue = WaitForDialogWith(program.Id(), IDC_RESCUE_RESTORE);
    ASSERT_TRUE(rescue) << "no rescue manager";
    HWND restorePoints = ::GetDlgItem(rescue, IDC_RESCUE_LIST);
    ASSERT_EQ(Send(restorePoints, LVM_GETITEMCOUNT), 1);
    EXPECT_EQ(TextOf(::GetDlgItem(rescue, IDC_RESCUE_FOLDER)), install_ / "Backup");
    driver.SelectRow(restorePoints, 0);
    ::PostMessageA(::GetDlgItem(rescue, IDC_RESCUE_RESTORE), BM_CLICK, 0, 0);
    HWND question = WaitForDialogWith(program.Id(), IDYES, rescue);
    ASSERT_TRUE(question) << "no restore question";
    ::PostMessageA(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitFor(
        [&] {
            return TextOf(::GetDlgItem(rescue, IDC_RESCUE_STATUS)) ==
                   Translate("_RescueDialogStateRestoreComplete");
        },
        kWorkerDeadline))
        << "the restore did not end: " << TextOf(::GetDlgItem(rescue, IDC_RESCUE_STATUS));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(rescue, IDC_RESCUE_RESTORE)) != FALSE; },
                        kWorkerDeadline));
    EXPECT_EQ(Send(restorePoints, LVM_GETITEMCOUNT), 0);
    ::PostMessageA(rescue, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(rescue); }, kStartDeadline));

    ASSERT_NO_FATAL_FAILURE(driver.ClickFrame(IDC_FRAME_CANCEL));  // Finish
    EXPECT_EQ(program.ExitCode(), 2);

    // Every junk file is back under its own name, the other files are untouched, and the restore
    // point is gone.
    for (const auto& [path, reason] : tree.junk) {
        EXPECT_EQ(test::ReadFile(path), "junk of " + path) << path;
        const std::vector<std::string> names = test::NamesIn(win::FolderPartOf(path));
        EXPECT_NE(std::find(names.begin(), names.end(), win::NamePartOf(path)), names.end()) << path;
    }
    for (const auto& [path, content] : tree.keep)
        EXPECT_EQ(test::ReadFile(path), content) << path;
    EXPECT_TRUE(FindRestorePoints(install_ / "Backup").empty());

    // The log holds the backup, then the deletion, each naming every junk file in path order, then the
    // restore.
    std::string backupText = Translate("_LogBackupFilesHeader") + "\r\n\r\n";
    std::string deleteText = Translate("_LogPermanentlyDeleteFilesHeader") + "\r\n\r\n";
    for (const auto& [path, reason] : tree.junk) {
        backupText +=
            FormatText(Translate("_LogSaveFile"), {path, point + "\\" + MirrorPath(path)}) + "\r\n\r\n";
        deleteText += FormatText(Translate("_LogDeleteFile"), {path}) + "\r\n\r\n";
    }
    const auto entries = test::ReadLogEntries(install_ / "Log\\Data");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryRestore"));
    for (const auto& [path, reason] : tree.junk)
        EXPECT_NE(entries[0].text.find(path), std::string::npos) << path;
    EXPECT_EQ(entries[1].subcategory, Translate("_LogLogCategoryDelete"));
    EXPECT_EQ(entries[1].text, deleteText);
    EXPECT_EQ(entries[2].subcategory, Translate("_LogLogCategoryBackup"));
    EXPECT_EQ(entries[2].text, backupText);

    // The settings were written at exit, with the option changed on the way and the rest kept.
    ScanOptionValues options = ReadScanOptions(install_ / "config.xml");
    EXPECT_EQ(options.checked, (std::array<bool, kScanOptionCount>{false, true, true, true, false, false,
                                                                   false, false, false, false, false}));
    EXPECT_EQ(options.months, "12");
    EXPECT_EQ(ReadJunkPatterns(install_ / "config.xml"),
              (std::vector<JunkPattern>{{"*.tmp", "Temporary file", true},
                                        {"*.dmp", "Crash dump", true},
                                        {"*.bak", "Backup copy", false}}));
}

TEST_F(EndToEndTest, WithoutItsLanguageFileTheProgramShowsKeysAndClosesWithTwo) {
    Program program(Exe(), data_.Path());
    ASSERT_TRUE(program.Started());
    HWND frame = program.WaitForFrame();
    ASSERT_TRUE(frame) << "no frame window";
    Driver driver(program, frame);
    EXPECT_EQ(TextOf(driver.Button(IDC_FRAME_NEXT)), "_Next");
    EXPECT_EQ(TextOf(driver.Button(IDC_FRAME_CANCEL)), "_Cancel");
    EXPECT_EQ(TextOf(::GetDlgItem(driver.Page(), IDC_PAGE_DESCRIPTION)), "_WelcomeInformation");
    ::PostMessageA(frame, WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(program.ExitCode(), 2);
}

// Task Scheduler's way: a report, then a cleaning, without a window, from the saved settings.
TEST_F(EndToEndTest, UnattendedReportAndCleaningFollowTheSavedSettings) {
    win::ComApartment com;
    test::RegistrationLock registrationLock;
    ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.language", install_.Path()));
    test::LogwrightDll logwright(install_.Path(), DistFile("Logwright.dll"));
    ASSERT_TRUE(SUCCEEDED(logwright.Register()));
    const std::vector<std::string> junk = {data_ / "junk\\a.tmp", data_ / "junk\\deep\\crash.dmp"};
    for (const std::string& path : junk)
        test::WriteFile(path, "junk of " + path);
    test::WriteFile(data_ / "junk\\keep.bak", "an unticked pattern");
    test::WriteFile(data_ / "other\\outside.tmp", "not a folder asked for");
    const std::string folder = "\"" + data_ / "junk" + "\"";

    SecondStart report = StartAgain(Exe(), data_.Path(), "/report \"" + data_ / "report.csv" + "\" " + folder,
                                    kWorkerDeadline.count() * 1000);
    EXPECT_EQ(report.exitCode, 0);
    EXPECT_FALSE(report.madeWindow);
    const std::string csv = test::ReadFile(data_ / "report.csv");
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBFPath,", 0), 0u) << csv;
    for (const std::string& path : junk) {
        EXPECT_NE(csv.find(path + ','), std::string::npos) << csv;
        EXPECT_TRUE(test::Exists(path));  // a report removes nothing
    }
    EXPECT_EQ(csv.find("keep.bak"), std::string::npos) << csv;

    SecondStart cleaning = StartAgain(Exe(), data_.Path(), "/auto " + folder, kWorkerDeadline.count() * 1000);
    EXPECT_EQ(cleaning.exitCode, 0);
    EXPECT_FALSE(cleaning.madeWindow);
    const std::vector<RestorePoint> points = FindRestorePoints(install_ / "Backup");
    ASSERT_EQ(points.size(), 1u);
    for (const std::string& path : junk) {
        EXPECT_FALSE(test::Exists(path));
        EXPECT_EQ(test::ReadFile(points[0].path + "\\" + MirrorPath(path)), "junk of " + path);
    }
    EXPECT_TRUE(test::Exists(data_ / "junk\\keep.bak"));
    EXPECT_TRUE(test::Exists(data_ / "other\\outside.tmp"));
    const auto entries = test::ReadLogEntries(install_ / "Log\\Data");
    ASSERT_EQ(entries.size(), 2u);  // the backup and the removal, as from the wizard

    // The backup folder given as the folder to clean is not searched: the run says so on its
    // output and in the activity log, and ends with 1, never as a clean run.
    {
        const std::string outputPath = data_ / "output.txt";
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        win::UniqueFile output(::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                             CREATE_ALWAYS, 0, nullptr));
        ASSERT_TRUE(output);
        const SecondStart run = StartAgain(Exe(), data_.Path(), "/auto \"" + install_ / "Backup" + "\"",
                                           kWorkerDeadline.count() * 1000, output.get());
        EXPECT_EQ(run.exitCode, 1);
        output.reset();
        EXPECT_NE(test::ReadFile(outputPath).find(install_ / "Backup"), std::string::npos)
            << test::ReadFile(outputPath);
        const auto logged = test::ReadLogEntries(install_ / "Log\\Data");
        EXPECT_TRUE(std::any_of(logged.begin(), logged.end(), [&](const test::LogEntry& entry) {
            return entry.text.find(install_ / "Backup") != std::string::npos;
        }));
        EXPECT_EQ(FindRestorePoints(install_ / "Backup").size(), 1u);
    }

    // Without its config.xml an unattended run does nothing at all.
    test::WriteFile(data_ / "junk\\b.tmp", "junk");
    ASSERT_TRUE(::DeleteFileA((install_ / "config.xml").c_str()));
    EXPECT_EQ(StartAgain(Exe(), data_.Path(), "/auto " + folder).exitCode, 4);
    EXPECT_TRUE(test::Exists(data_ / "junk\\b.tmp"));
}

// The automatic cleaning's task, registered in the test prefix's Task Scheduler, and its action
// line run exactly as stored: it cleans as "/auto" does in the folder chosen (a name with blanks,
// "&" and characters outside the code page) and marks the run as automatic in the activity log.
// Wine's Task Scheduler never runs a task, and the task file it writes keeps no action: there
// the line is parsed back from the XML as registered.
TEST_F(EndToEndTest, TheAutomaticCleaningsStoredActionCleansAsAutoDoes) {
    win::ComApartment com;
    test::RegistrationLock registrationLock;
    ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.language", install_.Path()));
    test::LogwrightDll logwright(install_.Path(), DistFile("Logwright.dll"));
    ASSERT_TRUE(SUCCEEDED(logwright.Register()));
    ASSERT_TRUE(RemoveScheduledTask().ok);
    const std::string chosen = data_ / "Junk & \xC3\x9C \xE6\x97\xA5\xE6\x9C\xAC";
    test::WriteFile(chosen + "\\a.tmp", "junk");
    test::WriteFile(chosen + "\\keep.bak", "an unticked pattern");
    test::WriteFile(data_ / "other\\outside.tmp", "not a folder chosen");
    ScheduleValues schedule;
    schedule.enabled = true;
    schedule.kind = ScheduleKind::Weekly;
    schedule.dayOfWeek = 2;
    schedule.hour = 10;
    schedule.folders = {chosen};
    ASSERT_TRUE(WriteScheduleSettings(install_ / "config.xml", schedule));

    const std::string xml = ScheduledTaskXml({schedule, Exe(), ThisUserId(), "2026-12-08", "test"});
    const TaskChange change = RegisterScheduledTask(xml);
    ASSERT_TRUE(change.ok) << change.error;
    const TaskState task = ReadScheduledTask();
    ASSERT_TRUE(task.exists);
    const std::optional<TaskAction> action = ActionOfTaskXml(task.action.command.empty() ? xml : task.xml);
    ASSERT_TRUE(action);
    EXPECT_EQ(action->command, Exe());

    const SecondStart run =
        StartAgain(action->command, data_.Path(), action->arguments, kWorkerDeadline.count() * 1000);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(run.madeWindow);
    EXPECT_FALSE(test::Exists(chosen + "\\a.tmp"));
    EXPECT_TRUE(test::Exists(chosen + "\\keep.bak"));
    EXPECT_TRUE(test::Exists(data_ / "other\\outside.tmp"));
    const auto entries = test::ReadLogEntries(install_ / "Log\\Data");
    ASSERT_FALSE(entries.empty());
    LanguageTable::Instance().SetPath(install_ / "Quillmoor.language");
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryAutomatic"));

    ASSERT_TRUE(RemoveScheduledTask().ok);
    EXPECT_FALSE(ReadScheduledTask().exists);
}

// A scheduled task with a mistyped argument must end on its own: the usage goes to the output it
// was given, and the exit code says what went wrong.
TEST_F(EndToEndTest, AnUnattendedRunWithBadArgumentsEndsWithTwoAndNoWindow) {
    ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.language", install_.Path()));
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    for (const char* arguments : {"/auto /no-such-switch", "/report"}) {
        const std::string outputPath = data_ / "output.txt";
        {
            win::UniqueFile output(::CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                                 CREATE_ALWAYS, 0, nullptr));
            ASSERT_TRUE(output);
            const SecondStart run = StartAgain(Exe(), data_.Path(), arguments, kExitDeadlineMs, output.get());
            EXPECT_EQ(run.exitCode, 2) << arguments;
            EXPECT_FALSE(run.madeWindow) << arguments;
        }
        EXPECT_EQ(test::ReadFile(outputPath).rfind("Quillmoor [/auto", 0), 0u) << arguments;
    }
}

// A user named Lukasz with a Polish L: the program lives in a folder outside the ANSI code page,
// and so does the temporary folder; a folder with the best-fit name beside it holds junk that is
// none of the program's business.
TEST_F(EndToEndTest, AProgramOutsideTheCodePageFindsItsOwnFilesAndTheRightTemporaryFolder) {
    win::ComApartment com;
    const std::string user = data_ / "\xC5\x81ukasz";
    const std::string program = user + "\\Quillmoor";
    test::MakeFolders(program);
    ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.exe", program));
    ScanOptionValues options;
    options.checked[kFindTemp] = true;
    test::WriteFile(program + "\\config.xml", PatternsAndOptions());
    ASSERT_TRUE(WriteScanOptions(program + "\\config.xml", options));
    test::WriteFile(user + "\\Temp\\real.dat", "a temporary file");
    test::WriteFile(data_ / "Lukasz\\Temp\\twin.dat", "the best-fit twin's");
    test::MakeFolders(data_ / "empty");

    wchar_t oldTmp[MAX_PATH] = {}, oldTemp[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH);
    ::GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH);
    ::SetEnvironmentVariableW(L"TMP", win::Wide(user + "\\Temp").c_str());
    ::SetEnvironmentVariableW(L"TEMP", win::Wide(user + "\\Temp").c_str());
    const SecondStart run = StartAgain(program + "\\Quillmoor.exe", data_.Path(),
                                       "/report \"" + data_ / "report.csv" + "\" \"" + data_ / "empty" + "\"",
                                       kWorkerDeadline.count() * 1000);
    ::SetEnvironmentVariableW(L"TMP", oldTmp);
    ::SetEnvironmentVariableW(L"TEMP", oldTemp);

    EXPECT_EQ(run.exitCode, 0);  // config.xml found beside the program
    const std::string csv = test::ReadFile(data_ / "report.csv");
    EXPECT_NE(csv.find(user + "\\Temp\\real.dat,"), std::string::npos) << csv;
    EXPECT_EQ(csv.find("twin.dat"), std::string::npos) << csv;
}

namespace {

std::string WideTextOf(HWND window) {
    wchar_t text[1024] = {};
    ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                          kSendTimeoutMs, nullptr);
    return win::Narrow(text);
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM texts) {
    if (ClassOf(child) == "Static")
        *reinterpret_cast<std::string*>(texts) += WideTextOf(child) + "\n";
    return TRUE;
}

// What a message box says, whichever controls hold its words.
std::string BoxText(HWND box) {
    std::string texts;
    ::EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

BOOL CALLBACK AppendButtonText(HWND child, LPARAM texts) {
    if (ClassOf(child) == "Button")
        *reinterpret_cast<std::string*>(texts) += WideTextOf(child) + "|";
    return TRUE;
}

}  // namespace

// On a Windows whose display language is German (the ctest entry e2e_in_german says so) the
// program speaks German. A language chosen in the menu is stored at once and speaks from the next
// start. (Which stored tags win over Windows's language is LanguageChoice's own test.)
TEST_F(EndToEndTest, SpeaksTheLanguageOfWindowsOrTheOneChosen) {
    if (DisplayLanguageTag().rfind("de", 0) != 0)
        GTEST_SKIP() << "the display language is " << DisplayLanguageTag() << ", not German";
    ASSERT_NO_FATAL_FAILURE(CopyFromDist("Quillmoor.language", install_.Path()));
    test::MakeFolders(install_ / "Languages");
    for (const char* file : {"de.language", "fr.language", "ja.language"})
        ASSERT_NO_FATAL_FAILURE(CopyFromDist(std::string("Languages\\") + file, install_.Path()));
    LanguageTexts german, french;
    ASSERT_TRUE(ReadLanguageFile(install_ / "Languages\\de.language", german));
    ASSERT_TRUE(ReadLanguageFile(install_ / "Languages\\fr.language", french));
    ASSERT_NE(german["_next"], french["_next"]);

    // The Next button's text at a start, after which the program is closed again.
    auto nextAtStart = [&](const std::function<void(HWND, const Program&)>& alsoDo = nullptr) {
        Program program(Exe(), data_.Path());
        HWND frame = program.WaitForFrame();
        if (!frame)
            return std::string("no frame");
        const std::string next = WideTextOf(::GetDlgItem(frame, IDC_FRAME_NEXT));
        if (alsoDo)
            alsoDo(frame, program);
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        EXPECT_EQ(program.ExitCode(), 2);
        return next;
    };
    // The menu lists English first, then the translations by their tags: French is the third.
    EXPECT_EQ(nextAtStart([&](HWND frame, const Program& program) {
                  ::PostMessageW(frame, WM_COMMAND, IDM_LANGUAGE_FIRST + 2, 0);
                  HWND told = WaitForDialogWith(program.Id(), IDOK, frame);
                  ASSERT_TRUE(told) << "no word on when the language changes";
                  EXPECT_NE(BoxText(told).find(french["_languagename"]), std::string::npos) << BoxText(told);
                  // Its button speaks the program's language, German here as Windows's is too.
                  std::string buttons;
                  ::EnumChildWindows(told, AppendButtonText, reinterpret_cast<LPARAM>(&buttons));
                  EXPECT_EQ(buttons, german["_ok"] + "|");
                  ::PostMessageA(told, WM_COMMAND, IDOK, 0);
                  ASSERT_TRUE(WaitFor([&] { return !::IsWindow(told); }, kStartDeadline));
                  // Until the next start the program keeps its language.
                  EXPECT_EQ(WideTextOf(::GetDlgItem(frame, IDC_FRAME_NEXT)), german["_next"]);
              }),
              german["_next"]);
    const win::ComApartment com;
    EXPECT_EQ(ReadLanguageChoice(install_ / "config.xml"), "fr");
    EXPECT_EQ(nextAtStart(), french["_next"]);
}
