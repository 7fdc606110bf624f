// The program ended at random moments of its cleanings and restores, as a power cut or a task
// manager would end it: afterwards every file that was to be cleaned is in its place or in a
// restore point, byte for byte, and every other file is untouched. The seed and the number of
// rounds can be set (QM_CRASH_SEED, QM_CRASH_ROUNDS).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "clean/BackupStore.h"
#include "clean/RestoreFiles.h"
#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "support/ConfigText.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

// A file of the build, reached through Wine's "\\?\unix\" form (there is no Z: drive).
std::string BuildFile(const std::string& unixPath) {
    std::string path = std::string("\\\\?\\unix") + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Starts a program and ends it after the given time, unless it has ended by itself; true when it
// had ended by itself.
bool RunAndEnd(const std::string& exe, const std::string& arguments, DWORD endAfterMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::wstring commandLine = win::Wide("\"" + exe + "\" " + arguments);
    if (!::CreateProcessW(win::Wide(exe).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << exe << ", error " << ::GetLastError();
        return false;
    }
    win::UniqueHandle process(info.hProcess), thread(info.hThread);
    const bool ended = ::WaitForSingleObject(process.get(), endAfterMs) == WAIT_OBJECT_0;
    if (!ended) {
        ::TerminateProcess(process.get(), 99);
        ::WaitForSingleObject(process.get(), INFINITE);
    }
    return ended;
}

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

class CrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileW(win::Wide(BuildFile(QM_DIST_DIR "/Quillmoor.exe")).c_str(),
                                win::Wide(install_ / "Quillmoor.exe").c_str(), FALSE));
        // This test program too, for the restores it starts in processes of their own.
        ASSERT_TRUE(::CopyFileW(win::Wide(BuildFile(QM_THIS_TEST)).c_str(),
                                win::Wide(install_ / "crash_test.exe").c_str(), FALSE));
        test::ConfigParts parts;
        parts.patterns = {test::PatternRow("1", "Temporary file", "*.tmp")};
        parts.backup = test::Backup("1", "1", "%ModulePath%\\Backup", "%ModulePath%\\Backup");
        test::WriteFile(install_ / "config.xml", test::ConfigText(parts));
    }

    // A fresh tree: junk of several sizes, some in folders with names outside the code page, and
    // files to keep beside them.
    void MakeTree(std::mt19937& random) {
        test::RemoveTree(data_ / "tree");
        junk_.clear();
        keep_.clear();
        for (int i = 0; i < 40; ++i) {
            const std::string folder = i % 3 == 0 ? "\xC5\x81\xC3\xB3"
                                                    "d\xC5\xBA"
                                                  : "sub" + std::to_string(i % 4);
            const std::string content(1 + random() % 200'000, static_cast<char>('a' + i % 26));
            junk_[data_ / ("tree\\" + folder + "\\junk" + std::to_string(i) + ".tmp")] = content;
            keep_[data_ / ("tree\\" + folder + "\\keep" + std::to_string(i) + ".txt")] =
                "keep " + content.substr(0, 9);
        }
        for (const auto* files : {&junk_, &keep_})
            for (const auto& [path, content] : *files)
                test::WriteFile(path, content);
    }

    // Every junk file is in its place or in some restore point, byte for byte; every other file is
    // as it was.
    void ExpectNothingLost(unsigned round) {
        const std::vector<RestorePoint> points = FindRestorePoints(install_ / "Backup");
        for (const auto& [path, content] : junk_) {
            bool found = test::Exists(path) && test::ReadFile(path) == content;
            for (const RestorePoint& point : points)
                found = found || test::ReadFile(point.path + "\\" + MirrorPath(path)) == content;
            EXPECT_TRUE(found) << "round " << round << ": lost " << path;
        }
        for (const auto& [path, content] : keep_)
            EXPECT_EQ(test::ReadFile(path), content) << "round " << round;
    }

    win::ComApartment com_;
    test::TempFolder install_;
    test::TempFolder data_;
    std::map<std::string, std::string> junk_, keep_;
};

}  // namespace

// Not a test of its own: the restore the crash test starts in a process of its own, and ends.
TEST(CrashChild, Restore) {
    const char* point = std::getenv("QM_CRASH_RESTORE");
    if (!point)
        GTEST_SKIP() << "started by the crash test only";
    win::ComApartment com;
    struct : win::JobProgress {
        void SetStatusText(const std::string&) override {}
        void SetProgressRange(int) override {}
        void SetProgressPosition(int) override {}
        void ShowRunning(bool) override {}
    } progress;
    RestoreFiles(point, std::string(point) + "-log", progress);
}

TEST_F(CrashTest, NothingIsLostWhereverACleaningOrARestoreIsEnded) {
    const unsigned seed = EnvNumber("QM_CRASH_SEED", 20261207);
    const unsigned rounds = EnvNumber("QM_CRASH_ROUNDS", 20);
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string program = install_ / "Quillmoor.exe";
    const std::string tree = "\"" + data_ / "tree" + "\"";

    // How long a whole cleaning takes here: the moments to end it are drawn from that span. Left
    // alone, the cleaning moves every junk file into its restore point and the restore moves
    // every one back.
    MakeTree(random);
    DWORD start = ::GetTickCount();
    ASSERT_TRUE(RunAndEnd(program, "/auto " + tree, 120'000));
    const DWORD span = std::max<DWORD>(::GetTickCount() - start, 50);
    ExpectNothingLost(0);
    for (const auto& [path, content] : junk_)
        EXPECT_FALSE(test::Exists(path)) << path;
    const std::vector<RestorePoint> cleaned = FindRestorePoints(install_ / "Backup");
    ASSERT_EQ(cleaned.size(), 1u);
    ::SetEnvironmentVariableW(L"QM_CRASH_RESTORE", win::Wide(cleaned[0].path).c_str());
    ASSERT_TRUE(RunAndEnd(install_ / "crash_test.exe", "--gtest_filter=CrashChild.Restore", 120'000));
    ::SetEnvironmentVariableW(L"QM_CRASH_RESTORE", nullptr);
    for (const auto& [path, content] : junk_)
        EXPECT_EQ(test::ReadFile(path), content) << path;

    for (unsigned round = 1; round <= rounds; ++round) {
        test::RemoveTree(install_ / "Backup");
        MakeTree(random);
        if (round % 2 == 1) {
            RunAndEnd(program, "/auto " + tree, random() % span);
        } else {
            // A whole cleaning, then its restore ended midway.
            ASSERT_TRUE(RunAndEnd(program, "/auto " + tree, 120'000));
            const std::vector<RestorePoint> points = FindRestorePoints(install_ / "Backup");
            ASSERT_EQ(points.size(), 1u);
            ::SetEnvironmentVariableW(L"QM_CRASH_RESTORE", win::Wide(points[0].path).c_str());
            RunAndEnd(install_ / "crash_test.exe", "--gtest_filter=CrashChild.Restore",
                      random() % (span + span / 2));
            ::SetEnvironmentVariableW(L"QM_CRASH_RESTORE", nullptr);
        }
        ExpectNothingLost(round);
    }
}
