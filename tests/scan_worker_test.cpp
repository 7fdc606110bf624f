// The scan worker: system locations, roots with their row states, texts, completion and stop.
#include <gtest/gtest.h>

#include <climits>

#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "scan/ProtectedPlaces.h"
#include "session/ScanInputs.h"
#include "scan/ScanWorker.h"
#include "support/TestFiles.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Records what the worker shows, as the scanning page would display it.
class Recorder : public ScanProgress {
  public:
    explicit Recorder(int rows) : rows_(static_cast<size_t>(rows), "_StateNotComplete") {}

    void SetStatusText(const std::string& text) override {
        std::lock_guard lock(mutex_);
        status_ = text;
        if (snapshotWhenStatusStartsWith_.size() && text.rfind(snapshotWhenStatusStartsWith_, 0) == 0 &&
            snapshot_.empty())
            snapshot_ = rows_;
    }
    void SetFoundCountText(const std::string& text) override {
        {
            std::lock_guard lock(mutex_);
            found_ = text;
            ++foundUpdates_;
        }
        if (onFound_)
            onFound_();
    }
    int RootRowCount() override { return static_cast<int>(rows_.size()); }
    std::string RootStateText(int row) override {
        std::lock_guard lock(mutex_);
        return rows_.at(static_cast<size_t>(row));
    }
    void SetRootStateText(int row, const std::string& text) override {
        std::lock_guard lock(mutex_);
        rows_.at(static_cast<size_t>(row)) = text;
        rowLog_.emplace_back(row, text);
    }
    void ShowRunning(bool running) override {
        std::lock_guard lock(mutex_);
        stopEnabled_ = running;
    }

    std::mutex mutex_;
    std::string status_, found_;
    int foundUpdates_ = 0;
    bool stopEnabled_ = true;
    std::vector<std::string> rows_;
    std::vector<std::pair<int, std::string>> rowLog_;
    std::string snapshotWhenStatusStartsWith_;
    std::vector<std::string> snapshot_;
    std::function<void()> onFound_;
};

// Sets a value of the per-user shell folders for the test and puts the old state back afterwards.
class ShellFolderOverride {
  public:
    // A REG_SZ value is stored with its terminating zero; other types hold the bytes as given.
    ShellFolderOverride(const char* name, const std::string& value, DWORD type = REG_SZ) : name_(name) {
        ::RegCreateKeyA(HKEY_CURRENT_USER, kShellFolders, key_.put());
        char buffer[1024];
        DWORD size = sizeof(buffer);
        had_ = ::RegQueryValueExA(key_.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                  &size) == ERROR_SUCCESS;
        if (had_)
            old_.assign(buffer, size);
        ::RegSetValueExA(key_.get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + (type == REG_SZ ? 1 : 0)));
    }
    ~ShellFolderOverride() {
        if (had_)
            ::RegSetValueExA(key_.get(), name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.data()),
                             static_cast<DWORD>(old_.size()));
        else
            ::RegDeleteValueA(key_.get(), name_);
    }

  private:
    const char* name_;
    win::UniqueRegKey key_;
    bool had_ = false;
    std::string old_;
};

// Sets an environment variable of this process for the test and puts the old value back.
class EnvironmentOverride {
  public:
    EnvironmentOverride(const char* name, const std::string& value) : name_(name) {
        char old[MAX_PATH] = {};
        DWORD length = ::GetEnvironmentVariableA(name, old, MAX_PATH);
        had_ = length > 0 && length < MAX_PATH;
        if (had_)
            old_ = old;
        ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~EnvironmentOverride() { ::SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

struct Completion {
    win::UniqueHandle event{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> calls{0};
    std::atomic<bool> handleWasEmpty{false};
};

class ScanWorkerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(dir_ / "test.language",
                        "[String]\n_StateFindItem=Found %d\n_CookiesFile=Cookie\n_StateStringNotSearched=Not "
                        "searched: %s\n");
        LanguageTable::Instance().SetPath(dir_ / "test.language");
        job_.completed = [this] {
            completion_.handleWasEmpty = !job_.worker.IsRunning();
            ++completion_.calls;
            ::SetEvent(completion_.event.get());
        };
    }
    void TearDown() override { LanguageTable::Instance().SetPath(""); }

    void RunToEnd(Recorder& recorder) {
        job_.progress = &recorder;
        ASSERT_TRUE(job_.Start());
        ASSERT_EQ(::WaitForSingleObject(completion_.event.get(), 60'000), WAIT_OBJECT_0);
    }

    test::TempFolder dir_;
    Completion completion_;
    ScanJob job_;
};

}  // namespace

TEST_F(ScanWorkerTest, ASystemLocationListsEveryFileWhateverItsAttributes) {
    test::WriteFile(dir_ / "cookies\\a.txt");
    test::WriteFile(dir_ / "cookies\\deep\\b.dat");
    test::WriteFile(dir_ / "cookies\\hidden.txt");
    ::SetFileAttributesA((dir_ / "cookies\\hidden.txt").c_str(),
                         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ShellFolderOverride cookies("Cookies", dir_ / "cookies");
    job_.findIECookies = true;
    job_.options.skipHidden = job_.options.skipSystem = true;  // roots only: locations take every file
    Recorder recorder(0);
    RunToEnd(recorder);
    EXPECT_EQ(job_.results.ToTextMap(), (TextMap{{dir_ / "cookies\\a.txt", "Cookie"},
                                                 {dir_ / "cookies\\deep\\b.dat", "Cookie"},
                                                 {dir_ / "cookies\\hidden.txt", "Cookie"}}));
    EXPECT_EQ(recorder.status_, "_StateStringSearchCompleted");
    EXPECT_EQ(recorder.found_, "Found 3");
    EXPECT_FALSE(recorder.stopEnabled_);
    EXPECT_EQ(completion_.calls.load(), 1);
    EXPECT_TRUE(completion_.handleWasEmpty.load());
}

// A rule's place takes its masks in every folder its wildcards match, below them only when it
// recurses, and never what it excludes: a file by its mask in one folder, or a whole subtree.
TEST_F(ScanWorkerTest, ARulePlaceTakesItsMasksWhereItsFoldersMatchExceptWhatItExcludes) {
    for (const char* file : {"Profiles\\a.default\\cache2\\e1", "Profiles\\a.default\\cache2\\deep\\e2",
                             "Profiles\\a.default\\cache2\\index", "Profiles\\a.default\\cache2\\keep\\k",
                             "Profiles\\b.work\\cache2\\e3", "Profiles\\a.default\\places.sqlite",
                             "Logs\\x.log", "Logs\\x.txt", "Logs\\old\\y.log"})
        test::WriteFile(dir_ / file);
    job_.rulePlaces = {
        {"Browser: cache",
         {{dir_ / "Profiles\\*\\cache2", {"*"}, true}, {dir_ / "Logs", {"*.log"}, false}},
         {{dir_ / "Profiles\\*\\cache2", {"index"}, false}, {dir_ / "Profiles\\*\\cache2\\keep", {}, true}},
         false}};
    Recorder recorder(0);
    RunToEnd(recorder);
    EXPECT_EQ(job_.results.ToTextMap(),
              (TextMap{{dir_ / "Logs\\x.log", "Browser: cache"},
                       {dir_ / "Profiles\\a.default\\cache2\\deep\\e2", "Browser: cache"},
                       {dir_ / "Profiles\\a.default\\cache2\\e1", "Browser: cache"},
                       {dir_ / "Profiles\\b.work\\cache2\\e3", "Browser: cache"}}));
}

// The places are walked together, yet each keeps its own masks, and where two find the same file
// the later place's reason stands, as if they had gone one after the other.
TEST_F(ScanWorkerTest, PlacesWalkedTogetherKeepTheirOwnMasksAndTheLaterReasonWins) {
    for (const char* file : {"a\\x.log", "a\\x.tmp", "b\\y.log", "b\\y.tmp", "b\\deep\\z.tmp"})
        test::WriteFile(dir_ / file);
    job_.workers = 2;
    job_.rulePlaces = {{"First", {{dir_ / "a", {"*.log"}, true}, {dir_ / "b", {"*"}, true}}, {}, false},
                       {"Second", {{dir_ / "b", {"*.tmp"}, false}}, {}, false}};
    Recorder recorder(0);
    RunToEnd(recorder);
    EXPECT_EQ(job_.results.ToTextMap(), (TextMap{{dir_ / "a\\x.log", "First"},
                                                 {dir_ / "b\\deep\\z.tmp", "First"},
                                                 {dir_ / "b\\y.log", "First"},
                                                 {dir_ / "b\\y.tmp", "Second"}}));
}

// A rule's folder that is not there held nothing to read: only a folder whose listing failed
// counts as unread, and the run hands it over by name and reason for the user to look up.
TEST_F(ScanWorkerTest, AMissingFolderIsNoUnreadOneAndAnUnreadOneIsNamedWithItsReason) {
    test::WriteFile(dir_ / "held\\a.tmp");
    test::WriteFile(dir_ / "open\\b.tmp");
    job_.rulePlaces = {{"Rule",
                        {{dir_ / "missing", {"*"}, true},
                         {dir_ / "missing\\deeper", {"*"}, true},
                         {dir_ / "held", {"*"}, true},
                         {dir_ / "open", {"*"}, true}},
                        {},
                        false}};
    std::vector<UnreadFolder> named;
    size_t count = 0;
    job_.recordUnreadFolders = [&](const std::vector<UnreadFolder>& folders, size_t all) {
        named = folders;
        count = all;
        return true;
    };
    Recorder alone(0);
    RunToEnd(alone);
    EXPECT_EQ(job_.results.Count(), 2u);
    EXPECT_EQ(job_.unreadableFolders, 0u);
    EXPECT_EQ(count, 0u);  // nothing to name: not called
    EXPECT_EQ(alone.status_, "_StateStringSearchCompleted");

    // Another program holds the folder open without sharing it, so its listing fails.
    win::UniqueFile holder{::CreateFileW(win::Wide(dir_ / "held").c_str(), GENERIC_READ, 0, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
    ASSERT_TRUE(holder);
    ::ResetEvent(completion_.event.get());
    job_.results.Clear();
    Recorder held(0);
    RunToEnd(held);
    EXPECT_EQ(job_.results.Count(), 1u);
    EXPECT_EQ(job_.unreadableFolders, 1u);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(named, (std::vector<UnreadFolder>{{dir_ / "held", ERROR_SHARING_VIOLATION}}));
    EXPECT_EQ(held.status_,
              "_StateStringSearchCompleted _StateStringFoldersNotRead _StateStringFoldersNotReadLogged");
}

TEST_F(ScanWorkerTest, ALocationWithoutAFolderIsPassedOver) {
    ShellFolderOverride cookies("Cookies", "");
    job_.findIECookies = true;
    Recorder recorder(0);
    RunToEnd(recorder);
    // An empty folder text must not become the root of the current drive.
    EXPECT_EQ(job_.results.Count(), 0u);
    EXPECT_EQ(recorder.status_, "_StateStringSearchCompleted");
}

TEST_F(ScanWorkerTest, RootsMoveThroughTheirStatesInOrder) {
    for (const char* root : {"r0", "r1", "r2"})
        test::WriteFile(dir_ / (std::string(root) + "\\sub\\x.tmp"));
    job_.roots = {dir_ / "r0", dir_ / "r1", dir_ / "r2"};
    job_.masks = {{"*.tmp", "Temporary file"}};
    Recorder recorder(3);
    recorder.snapshotWhenStatusStartsWith_ = dir_ / "r1\\";
    RunToEnd(recorder);
    EXPECT_EQ(recorder.rowLog_, (std::vector<std::pair<int, std::string>>{{0, "_stateScanning"},
                                                                          {0, "_StateComplete"},
                                                                          {1, "_stateScanning"},
                                                                          {1, "_StateComplete"},
                                                                          {2, "_stateScanning"},
                                                                          {2, "_StateComplete"}}));
    EXPECT_EQ(recorder.snapshot_,
              (std::vector<std::string>{"_StateComplete", "_stateScanning", "_StateNotComplete"}));
    EXPECT_EQ(job_.results.Count(), 3u);
    EXPECT_EQ(recorder.found_, "Found 3");
}

TEST_F(ScanWorkerTest, AFileFoundTwiceCountsOnceAndKeepsTheLaterReason) {
    std::string tempFolder = dir_ / "temp";
    test::WriteFile(tempFolder + "\\junk.tmp");
    test::WriteFile(tempFolder + "\\other.dat");
    char oldTmp[MAX_PATH] = {};
    bool hadTmp = ::GetEnvironmentVariableA("TMP", oldTmp, MAX_PATH) > 0;
    ::SetEnvironmentVariableA("TMP", (tempFolder + "\\").c_str());
    job_.findTemp = true;
    job_.roots = {dir_.Path()};
    job_.masks = {{"*.tmp", "Temporary file"}};
    job_.workers = 4;  // the location and the root one after the other, each by four workers
    job_.ownFolders = {dir_ / "program"};
    test::WriteFile(dir_ / "program\\never.tmp");
    Recorder recorder(1);
    RunToEnd(recorder);
    ::SetEnvironmentVariableA("TMP", hadTmp ? oldTmp : nullptr);
    EXPECT_EQ(job_.results.ToTextMap(), (TextMap{{tempFolder + "\\junk.tmp", "Temporary file"},
                                                 {tempFolder + "\\other.dat", "_WindowsTempFile"}}));
    EXPECT_EQ(recorder.found_, "Found 2");
}

TEST_F(ScanWorkerTest, StopEndsTheScanBetweenEntriesAndLeavesThePageToTheStopper) {
    for (int i = 0; i < 300; ++i)
        test::WriteFile(dir_.Path() + "\\r0\\f" + std::to_string(i) + ".tmp");
    test::WriteFile(dir_ / "r1\\never.tmp");
    job_.roots = {dir_ / "r0", dir_ / "r1"};
    job_.masks = {{"*.tmp", "Temporary file"}};
    job_.workers = 4;
    Recorder recorder(2);
    win::UniqueHandle seen(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    // The first found count holds the worker until the stop has been asked for.
    recorder.onFound_ = [&] {
        ::SetEvent(seen.get());
        while (!job_.worker.StopRequested())
            ::Sleep(1);
    };
    job_.progress = &recorder;
    ASSERT_TRUE(job_.Start());
    ASSERT_EQ(::WaitForSingleObject(seen.get(), 60'000), WAIT_OBJECT_0);
    EXPECT_TRUE(StopScan(job_));
    EXPECT_FALSE(StopScan(job_));  // nothing left to stop
    size_t count = job_.results.Count();
    int updates = recorder.foundUpdates_;
    EXPECT_GE(count, 1u);
    EXPECT_LE(count, 300u);
    EXPECT_EQ(job_.results.ToTextMap().count(dir_ / "r1\\never.tmp"), 0u);
    // Every worker has ended: nothing changes after the stop, and every row is whole.
    ::Sleep(100);
    EXPECT_EQ(job_.results.Count(), count);
    EXPECT_EQ(job_.results.ToTextMap().size(), count);
    for (const auto& [path, reason] : job_.results) {
        EXPECT_TRUE(test::Exists(std::string(path))) << path;
        EXPECT_EQ(reason, "Temporary file");
    }
    EXPECT_EQ(recorder.foundUpdates_, updates);
    EXPECT_EQ(completion_.calls.load(), 1);
    EXPECT_EQ(recorder.rows_, (std::vector<std::string>{"_StateComplete", "_StateNotComplete"}));
    EXPECT_EQ(recorder.status_, "_StateStringSearchStopped");
    EXPECT_EQ(recorder.found_, "Found " + std::to_string(count));
    EXPECT_FALSE(recorder.stopEnabled_);
}

TEST_F(ScanWorkerTest, AFailureInsideTheSearchEndsTheRunAsItsNaturalEndDoes) {
    test::WriteFile(dir_ / "r0\\a.tmp");
    job_.roots = {dir_ / "r0"};
    job_.masks = {{"*.tmp", "Temporary file"}};
    Recorder recorder(1);
    bool thrown = false;
    // The first found count fails as a control update of a page being torn down could.
    recorder.onFound_ = [&] {
        if (!thrown) {
            thrown = true;
            throw std::runtime_error("no page");
        }
    };
    RunToEnd(recorder);
    EXPECT_TRUE(thrown);
    EXPECT_EQ(job_.results.Count(), 1u);
    EXPECT_EQ(recorder.found_, "Found 1");
    EXPECT_EQ(recorder.rows_, (std::vector<std::string>{"_StateComplete"}));
    EXPECT_EQ(recorder.status_, "_StateStringSearchCompleted");
    EXPECT_FALSE(recorder.stopEnabled_);
    EXPECT_EQ(completion_.calls.load(), 1);
    EXPECT_TRUE(completion_.handleWasEmpty.load());
}

TEST_F(ScanWorkerTest, AShellFolderValueThatFillsTheWholeBufferIsNoFolder) {
    std::string unterminated;  // 255 UTF-16 characters without their terminating zero
    for (int i = 0; i < 255; ++i)
        unterminated += std::string("a\0", 2);
    ShellFolderOverride cut("Cookies", unterminated, REG_BINARY);
    EXPECT_EQ(ReadShellFolder("Cookies"), "");
    ShellFolderOverride fits("Cookies", std::string(254, 'a'));
    EXPECT_EQ(ReadShellFolder("Cookies"), std::string(254, 'a'));
}

TEST(ScanLocationTest, OnlyAbsoluteBackupFoldersAreSkippedBeforeTheProgramFolder) {
    // An empty skip folder would skip every path, a relative one every path containing it.
    EXPECT_EQ(
        OwnSkipFolders("C:\\Tools\\Quillmoor", {"", "Backup", "C:\\Restore points", "c:\\restore POINTS"}),
        (std::vector<std::string>{"C:\\Restore points", "C:\\Tools\\Quillmoor"}));
}

// A backup folder at a drive root used to leave out the whole drive: its own folders are whole
// folders, and a root stands for the restore points directly under it.
TEST_F(ScanWorkerTest, TheProgramsOwnFoldersAreWholeFoldersAndARootBackupFolderOnlyItsRestorePoints) {
    test::WriteFile(dir_ / "Data\\backed.tmp");
    test::WriteFile(dir_ / "DataFiles\\junk.tmp");
    const std::string point = "C:\\1999-01-02_03-04-05";  // a restore point of the test's own at the root
    test::WriteFile(point + "\\C\\old.tmp");
    const std::vector<std::string> own = OwnSkipFolders(dir_ / "program", {dir_ / "Data", "C:\\"});
    job_.roots = {dir_.Path(), point};
    job_.masks = {{"*.tmp", "Temporary file"}};
    job_.ownFolders = own;
    Recorder recorder(2);
    RunToEnd(recorder);
    test::RemoveTree(point);
    EXPECT_EQ(own, (std::vector<std::string>{dir_ / "Data", point, dir_ / "program"}));
    EXPECT_EQ(job_.results.ToTextMap(), (TextMap{{dir_ / "DataFiles\\junk.tmp", "Temporary file"}}));
}

TEST_F(ScanWorkerTest, TheBackupFolderAndTheProgramFolderGivenInShortFormAreNeverListed) {
    test::WriteFile(dir_ / "data\\Backup\\2025-01-31_08-05-09\\C\\x.tmp");
    test::WriteFile(dir_ / "data\\Quillmoor Program Folder\\leftover.tmp");
    test::WriteFile(dir_ / "data\\other\\junk.tmp");
    char shortProgram[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA((dir_ / "data\\Quillmoor Program Folder").c_str(), shortProgram, MAX_PATH),
              0u);
    ASSERT_EQ(std::string(shortProgram).find("Program Folder"), std::string::npos) << shortProgram;
    job_.roots = {dir_ / "data"};
    job_.masks = {{"*.tmp", "Temporary file"}};
    job_.ownFolders = OwnSkipFolders(shortProgram, {dir_ / "data\\Backup"});
    Recorder recorder(1);
    RunToEnd(recorder);
    EXPECT_EQ(job_.results.ToTextMap(), (TextMap{{dir_ / "data\\other\\junk.tmp", "Temporary file"}}));
}

TEST_F(ScanWorkerTest, ATemporaryFolderGivenInShortFormIsSearchedInLongForm) {
    test::WriteFile(dir_ / "Temporary Files Here\\a.dat");
    test::WriteFile(dir_ / "Temporary Files Here\\kept\\b.dat");
    char shortTemp[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA((dir_ / "Temporary Files Here").c_str(), shortTemp, MAX_PATH), 0u);
    EnvironmentOverride tmp("TMP", shortTemp);
    job_.findTemp = true;
    job_.skipFolders = {dir_ / "Temporary Files Here\\kept"};
    Recorder recorder(0);
    RunToEnd(recorder);
    EXPECT_EQ(job_.results.ToTextMap(),
              (TextMap{{dir_ / "Temporary Files Here\\a.dat", "_WindowsTempFile"}}));
}

TEST_F(ScanWorkerTest, ATemporaryFolderThatIsTheWindowsFolderIsNotSearchedAndTheStatusSaysSo) {
    char windows[MAX_PATH] = {};
    ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    EnvironmentOverride tmp("TMP", windows);
    EnvironmentOverride temp("TEMP", windows);
    job_.protectedPlaces = ProtectedPlaces::Current({});
    job_.findTemp = true;
    Recorder recorder(0);
    RunToEnd(recorder);
    EXPECT_EQ(job_.results.Count(), 0u);
    // Named by its true form, as the system's Windows folder is.
    EXPECT_EQ(recorder.status_, "Not searched: " + std::string(windows));
    EXPECT_FALSE(recorder.stopEnabled_);
}

TEST(ScanInputs, ComeFromTheTickedSettingsWithTheMonthsReadAsStored) {
    ScanJob job;
    ScanOptionValues options;
    options.checked[kFindFilesHaveNotAccessed] = options.checked[kSkipHiddenFiles] =
        options.checked[kFindIECookies] = true;
    options.months = "12 months";
    SetScanInputs(job, {{"*.tmp", "Temp", true}, {"*.bak", "Backup", false}, {"*.tmp", "Later temp", true}},
                  options, {{"C:\\skip", true}, {"C:\\not", false}}, {"C:\\Program"});
    EXPECT_EQ(job.masks, (TextMap{{"*.tmp", "Later temp"}}));
    EXPECT_EQ(job.skipFolders, std::vector<std::string>{"C:\\skip"});
    EXPECT_EQ(job.ownFolders, std::vector<std::string>{"C:\\Program"});
    EXPECT_TRUE(job.options.findNotAccessed && job.options.skipHidden && job.findIECookies);
    EXPECT_FALSE(job.options.skipReadOnly || job.findTemp);
    EXPECT_EQ(job.options.months, 12);
    options.months = "99999999999";
    SetScanInputs(job, {}, options, {}, {});
    EXPECT_EQ(job.options.months, INT_MAX);
    EXPECT_TRUE(job.masks.empty() && job.skipFolders.empty() && job.ownFolders.empty());
}
