// Paths taken apart, the program's folder and base name, and the path variables of stored folders.
#include <gtest/gtest.h>

#include "core/ProgramPath.h"
#include "config/PathVariables.h"
#include "win/PathParts.h"

namespace {

const PathFolders kFolders{"D:\\Apps\\Cleaner", "C:\\Windows", "C:\\Windows\\System32",
                           "C:\\Users\\Ann\\Temp"};

std::string Expand(const std::string& text, const PathFolders& folders = kFolders) {
    return TranslatePath(text, PathDirection::Expand, folders);
}
std::string Contract(const std::string& text, const PathFolders& folders = kFolders) {
    return TranslatePath(text, PathDirection::Contract, folders);
}

}  // namespace

TEST(PathParts, FolderAndNameAreCutAtTheLastBackslashOrColon) {
    EXPECT_EQ(win::FolderPartOf("C:\\Tools\\cleaner.exe"), "C:\\Tools");
    EXPECT_EQ(win::NamePartOf("C:\\Temp\\old.log"), "old.log");
    // A bare drive keeps its colon, whether cut at the backslash after it or at the colon itself.
    EXPECT_EQ(win::FolderPartOf("C:\\x.exe"), "C:");
    EXPECT_EQ(win::FolderPartOf("D:x.exe"), "D:");
    EXPECT_EQ(win::NamePartOf("D:name.txt"), "name.txt");
    EXPECT_EQ(win::FolderPartOf("C:"), "C:");
    EXPECT_EQ(win::NamePartOf("C:\\a:b\\c:d.txt"), "d.txt");
    // A network folder stands as it is: "\\\\nas\\apps:" would name no folder.
    EXPECT_EQ(win::FolderPartOf("\\\\nas\\apps\\q.exe"), "\\\\nas\\apps");
    EXPECT_EQ(win::FolderPartOf("q.exe"), "");
    EXPECT_EQ(win::NamePartOf("plain.txt"), "plain.txt");
    EXPECT_EQ(win::NamePartOf("C:\\folder\\"), "");
}

// A typed path is made full by the program's own rules: every step that is not "." or ".."
// names a folder of its own, so a path never widens to its parent.
TEST(PathParts, ATypedPathIsMadeFullKeepingEveryNameExactly) {
    const char* const cases[][3] = {
        // typed, the folder it is relative to, its full form
        {"C:/a\\\\b\\\\", "", "C:\\a\\b"},
        {"C:\\.\\x\\..\\..\\bk\\.", "", "C:\\bk"},  // never above the drive
        {"C:\\x\\...\\a. \\ .. ", "", "C:\\x\\...\\a. \\ .. "},
        {"//nas/share\\\\..\\x", "", "\\\\nas\\share\\x"},   // never above the share
        {"\\\\?\\C:\\a\\..\\b", "", "\\\\?\\C:\\a\\..\\b"},  // the system's own form
        {"x", "", ""},
        {"..\\y\\...", "D:\\cur\\dir", "D:\\cur\\y\\..."},
        {"\\top", "\\\\nas\\share\\dir", "\\\\nas\\share\\top"},
        {"E:rel", "E:\\folder of E", "E:\\folder of E\\rel"},
    };
    for (const auto& [typed, base, full] : cases)
        EXPECT_EQ(win::NormalizedPath(typed, base), full) << typed << " in " << base;
}

// The "\\?\", "\\.\" and "\??\" forms of a drive or network path name the same file as the
// plain form; other device paths and plain text stay as they are.
TEST(PathParts, TheDevicePrefixComesOffADriveOrNetworkPath) {
    const char* const cases[][2] = {
        {"\\\\?\\C:\\a\\b", "C:\\a\\b"},
        {"//?/C:/a", "C:\\a"},
        {"\\\\?\\unc\\nas\\share\\x", "\\\\nas\\share\\x"},
        {"\\\\?\\Volume{1234}\\x", "\\\\?\\Volume{1234}\\x"},
        {"\\\\.\\C:\\a", "C:\\a"},
        {"\\??\\UNC\\nas\\s", "\\\\nas\\s"},
        {"\\\\.\\PhysicalDrive0", "\\\\.\\PhysicalDrive0"},
        {"C:\\a", "C:\\a"},
        {"node_modules", "node_modules"},
    };
    for (const auto& [typed, plain] : cases)
        EXPECT_EQ(win::WithoutDevicePrefix(typed), plain) << typed;
}

TEST(ProgramPath, BaseNameOfAProgramFileAndTheRunningProgramsFolder) {
    EXPECT_EQ(ProgramBaseNameOf("C:\\Tools\\cleaner.exe"), "cleaner");
    EXPECT_EQ(ProgramBaseNameOf("C:\\x\\a.b.exe"), "a.b");
    EXPECT_EQ(ProgramBaseNameOf("C:\\x.y\\noext"), "noext");  // a dot in the folder does not count
    EXPECT_EQ(ProgramBaseNameOf("C:\\x\\.exe"), "");
    EXPECT_EQ(ProgramBaseNameOf("D:x.exe"), "x");

    // The running test program itself.
    const std::string file = ProgramFilePath();
    EXPECT_EQ(ProgramBaseName(), "path_variables_test");
    EXPECT_EQ(ProgramDirectory() + "\\path_variables_test.exe", file);
}

TEST(PathVariables, ExpandAndContractRoundTrip) {
    EXPECT_EQ(Expand("%ModulePath%\\Backup"), "D:\\Apps\\Cleaner\\Backup");
    EXPECT_EQ(Contract("D:\\Apps\\Cleaner\\Backup"), "%ModulePath%\\Backup");
    EXPECT_EQ(Expand("%TempDirectory%"), "C:\\Users\\Ann\\Temp");
    EXPECT_EQ(Expand("%SystemDirectory%\\x;%WindowsDirectory%;%ModulePath%%ModulePath%"),
              "C:\\Windows\\System32\\x;C:\\Windows;D:\\Apps\\CleanerD:\\Apps\\Cleaner");

    // The Windows folder is contracted first, so a system folder inside it keeps the rest of its path.
    EXPECT_EQ(Contract("C:\\Windows\\System32\\Backup"), "%WindowsDirectory%\\System32\\Backup");
    EXPECT_EQ(Expand("%WindowsDirectory%\\System32\\Backup"), "C:\\Windows\\System32\\Backup");

    // No regard to path boundaries: the longer folder name still contracts and expands back.
    EXPECT_EQ(Contract("D:\\Apps\\Cleaner2\\Backup"), "%ModulePath%2\\Backup");
    EXPECT_EQ(Expand("%ModulePath%2\\Backup"), "D:\\Apps\\Cleaner2\\Backup");

    // Case-sensitive: other letter cases pass through in both directions.
    EXPECT_EQ(Contract("d:\\apps\\cleaner\\Backup"), "d:\\apps\\cleaner\\Backup");
    EXPECT_EQ(Expand("%modulepath%\\Backup"), "%modulepath%\\Backup");

    EXPECT_EQ(Expand("E:\\Backup"), "E:\\Backup");
    EXPECT_EQ(Contract("E:\\Backup"), "E:\\Backup");
    EXPECT_EQ(Expand(""), "");
    EXPECT_EQ(Contract(""), "");
}

TEST(PathVariables, EmptyFoldersAndStepOrder) {
    PathFolders unknown = kFolders;
    unknown.system.clear();
    EXPECT_EQ(Expand("%SystemDirectory%\\x", unknown), "\\x");
    // An empty folder is never searched for (it would match everywhere).
    EXPECT_EQ(Contract("C:\\Other\\x", unknown), "C:\\Other\\x");

    // Each step works on the result of the one before: a folder that holds a later variable's
    // name is expanded once more, but inserted text is never searched again by the same step.
    PathFolders odd = kFolders;
    odd.program = "D:\\%TempDirectory%";
    EXPECT_EQ(Expand("%ModulePath%", odd), "D:\\C:\\Users\\Ann\\Temp");
    odd.program = "D:\\%ModulePath%";
    EXPECT_EQ(Expand("%ModulePath%", odd), "D:\\%ModulePath%");
}

TEST(PathVariables, ReplacementFindsWholeCharacters) {
    EXPECT_EQ(ReplaceAllText("aXbXX", "X", "yy"), "ayybyyyy");
    EXPECT_EQ(ReplaceAllText("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAllText("abc", "", "z"), "abc");
    // "\xC3\xA9" is one character (e acute); a search for its second byte alone finds nothing.
    EXPECT_EQ(ReplaceAllText("caf\xC3\xA9 \xA9", "\xA9", "!"), "caf\xC3\xA9 !");
}

TEST(PathVariables, RealFoldersAreFetchedWithoutTrailingBackslash) {
    char temp[MAX_PATH + 1];
    DWORD n = ::GetTempPathA(MAX_PATH + 1, temp);
    ASSERT_GT(n, 0u);
    std::string tempFolder(temp, n);
    ASSERT_EQ(tempFolder.back(), '\\');
    tempFolder.pop_back();
    EXPECT_EQ(ExpandPathVariables("%TempDirectory%"), tempFolder);
    EXPECT_EQ(ExpandPathVariables("%ModulePath%\\Backup"), ProgramDirectory() + "\\Backup");

    char windows[MAX_PATH + 1];
    ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH + 1), 0u);
    EXPECT_EQ(ExpandPathVariables("%WindowsDirectory%"), windows);
    EXPECT_EQ(ContractPathVariables(std::string(windows) + "\\Fonts"), "%WindowsDirectory%\\Fonts");

    const PathFolders folders = CurrentPathFolders();
    for (const std::string* folder : {&folders.program, &folders.windows, &folders.system, &folders.temp}) {
        ASSERT_FALSE(folder->empty());
        EXPECT_NE(folder->back(), '\\');
    }
    for (const char* stored : {"%ModulePath%\\Backup", "%TempDirectory%\\qm", "E:\\Backup"})
        EXPECT_EQ(ContractPathVariables(ExpandPathVariables(stored)), stored);
}
