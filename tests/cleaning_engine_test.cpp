// The cleaning worker on real files: backup into a restore point, permanent deletion, the Recycle
// Bin, progress and status, stop in each phase, and the cases where a file must be kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "core/LanguageTable.h"
#include "clean/BackupStore.h"
#include "clean/CleaningEngine.h"
#include "clean/PointExpiry.h"
#include "support/LogEntries.h"
#include "support/LogwrightTest.h"
#include "support/TestFiles.h"
#include "win/ComPtr.h"
#include "win/VerifiedCopy.h"
#include "win/SystemError.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

class Recorder : public win::JobProgress {
  public:
    void SetProgressRange(int maximum) override {
        std::lock_guard lock(mutex_);
        range_ = maximum;
    }
    void SetProgressPosition(int position) override {
        {
            std::lock_guard lock(mutex_);
            positions_.push_back(position);
        }
        if (onPosition_)
            onPosition_(position);
    }
    void SetStatusText(const std::string& text) override {
        if (text == throwOnStatus_)
            throw std::runtime_error("a fault inside the run");
        std::lock_guard lock(mutex_);
        statuses_.push_back(text);
    }
    void ShowRunning(bool running) override {
        std::lock_guard lock(mutex_);
        stopEnabled_ = running;
    }

    std::mutex mutex_;
    int range_ = -1;
    std::vector<int> positions_;
    std::vector<std::string> statuses_;
    bool stopEnabled_ = false;
    std::function<void(int)> onPosition_;
    std::string throwOnStatus_;
};

struct Completion {
    win::UniqueHandle event{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<int> calls{0};
    std::atomic<bool> handleWasEmpty{false};
};

class CleaningTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(
            dir_ / "test.language",
            "[String]\n_LogLogCategoryBackup=Backup\n_LogLogCategoryDelete=Cleaning\n"
            "_LogBackupFilesHeader=Backed up:\n_LogPermanentlyDeleteFilesHeader=Deleted:\n"
            "_LogRemoveToRecyclebinFilesHeader=Recycled:\n_LogSaveFile=SAVED %s AS %s\n"
            "_LogSaveFileFailed=NOT SAVED %s AS %s\n_LogKeepFile=KEPT %s\n_LogDeleteFile=REMOVED %s\n"
            "_LogDeleteFileFailed=FAILED %s\n_LogDeleteFileAtRestart=IN USE %s\n"
            "_LogKeepFileChanged=CHANGED %s\n_LogKeepFileLinked=LINKED %s\n"
            "_LogRecycleFileKept=NOT RECYCLED %s\n_LogFileGone=GONE %s\n_LogRecycleTookOther=OTHER TAKEN %s\n"
            "_LogShellCode=SHELL %s\n_LogRemoveRestorePoint=EXPIRED %s\n");
        LanguageTable::Instance().SetPath(dir_ / "test.language");
        ASSERT_TRUE(SUCCEEDED(dll_.Register()));
        job_.completed = [this] {
            completion_.handleWasEmpty = !job_.worker.IsRunning();
            ++completion_.calls;
            ::SetEvent(completion_.event.get());
        };
        job_.progress = &recorder_;
        job_.logFolder = dir_ / "Log\\Data";
        job_.backupFolder = dir_ / "Backup";
        for (const char* name : {"junk\\a.tmp", "junk\\B.tmp", "junk\\sub\\c.tmp", "keep\\doc.txt"})
            test::WriteFile(dir_ / name, name);
        for (const char* name : {"junk\\a.tmp", "junk\\B.tmp", "junk\\sub\\c.tmp"})
            job_.cleaningSet.AddOrReplace(dir_ / name, "Temporary file", test::StampOf(dir_ / name));
    }

    void TearDown() override { LanguageTable::Instance().SetPath(""); }

    void RunToEnd() {
        ASSERT_TRUE(StartCleaning(job_));
        ASSERT_EQ(::WaitForSingleObject(completion_.event.get(), 60'000), WAIT_OBJECT_0);
    }

    std::string RestorePoint() {
        auto points = FindRestorePoints(job_.backupFolder);
        return points.size() == 1 ? points[0].path : std::string();
    }

    // A restore point's folder under the backup folder, named as a cleaning daysAgo days ago would
    // have named it, holding one file.
    std::string DatedPoint(int daysAgo) {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        FILETIME time;
        ::SystemTimeToFileTime(&now, &time);
        ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
        ticks.QuadPart -= daysAgo * 864'000'000'000ULL;
        time = {ticks.LowPart, ticks.HighPart};
        SYSTEMTIME then;
        ::FileTimeToSystemTime(&time, &then);
        const std::string point = RestorePointPath(job_.backupFolder, RestorePointName(then));
        test::WriteFile(point + "\\C\\old\\f.tmp", "saved before");
        return point;
    }

    // The mirrored form of a test path inside a restore point.
    std::string Mirrored(const std::string& relative) { return MirrorPath(dir_ / relative); }

    win::ComApartment com_;
    test::TempFolder dir_;
    test::RegistrationLock registrationLock_;
    test::LogwrightDll dll_{dir_.Path()};
    Recorder recorder_;
    Completion completion_;
    CleaningJob job_;
};

}  // namespace

TEST_F(CleaningTest, BackupThenPermanentDeletion) {
    job_.backup = true;
    RunToEnd();
    EXPECT_FALSE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_FALSE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    EXPECT_EQ(test::ReadFile(dir_ / "keep\\doc.txt"), "keep\\doc.txt");
    std::string point = RestorePoint();
    ASSERT_FALSE(point.empty());
    EXPECT_EQ(test::ReadFile(point + "\\" + Mirrored("junk\\a.tmp")), "junk\\a.tmp");
    EXPECT_EQ(test::ReadFile(point + "\\" + Mirrored("junk\\sub\\c.tmp")), "junk\\sub\\c.tmp");
    EXPECT_EQ(test::FilesBelow(point).size(), 3u);

    EXPECT_EQ(recorder_.range_, 3);
    EXPECT_EQ(recorder_.positions_, (std::vector<int>{0, 1, 2, 3, 0, 1, 2, 3}));
    EXPECT_EQ(recorder_.statuses_,
              (std::vector<std::string>{"_CleaningPageStateBackup", "_CleaningPageStatePermanentlyDelete",
                                        "_CleaningPageStateCompleteCounts"}));
    EXPECT_FALSE(recorder_.stopEnabled_);
    EXPECT_EQ(completion_.calls.load(), 1);
    EXPECT_TRUE(completion_.handleWasEmpty.load());

    auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].subcategory, "Cleaning");
    EXPECT_EQ(entries[0].text, "Deleted:\r\n\r\nREMOVED " + dir_ / "junk\\B.tmp" + "\r\n\r\nREMOVED " +
                                   dir_ / "junk\\a.tmp" + "\r\n\r\nREMOVED " + dir_ / "junk\\sub\\c.tmp" +
                                   "\r\n\r\n");
    EXPECT_EQ(entries[1].subcategory, "Backup");
    EXPECT_EQ(entries[1].text.rfind("Backed up:\r\n\r\nSAVED " + dir_ / "junk\\B.tmp" + " AS " + point +
                                        "\\" + Mirrored("junk\\B.tmp") + "\r\n\r\n",
                                    0),
              0u);
}

TEST_F(CleaningTest, RecycleBinWithoutBackup) {
    job_.removal = RemovalMode::RecycleBin;
    RunToEnd();
    EXPECT_FALSE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_FALSE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "keep\\doc.txt"));
    EXPECT_FALSE(test::Exists(job_.backupFolder));
    EXPECT_EQ(recorder_.statuses_, (std::vector<std::string>{"_CleaningPageStateMoveToRecycleBin",
                                                             "_CleaningPageStateCompleteCounts"}));
}

// Each file is counted once by what became of it: removed (deleted, or moved into the restore point,
// which frees nothing), recycled, kept (in use, changed) or failed (gone); the final status says
// "complete" only when every file was handled, and names the restore point only when it holds one.
TEST_F(CleaningTest, EveryFileIsCountedOnceByWhatBecameOfIt) {
    test::WriteFile(dir_ / "junk\\d.tmp", "d");
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\d.tmp", "Temporary file",
                                  test::StampOf(dir_ / "junk\\d.tmp"));
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\vanished.tmp", "Temporary file");
    win::UniqueHandle inUse(::CreateFileA((dir_ / "junk\\B.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(inUse.get(), INVALID_HANDLE_VALUE);
    test::WriteFile(dir_ / "junk\\d.tmp", "changed since the scan");
    RunToEnd();
    EXPECT_FALSE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\d.tmp"));
    EXPECT_EQ(job_.counts.removed, 2u);  // a.tmp, c.tmp
    EXPECT_EQ(job_.counts.recycled, 0u);
    EXPECT_EQ(job_.counts.kept, 2u);    // B.tmp in use, d.tmp changed
    EXPECT_EQ(job_.counts.failed, 1u);  // vanished.tmp
    EXPECT_EQ(job_.counts.bytesFreed,
              std::string("junk\\a.tmp").size() + std::string("junk\\sub\\c.tmp").size());
    EXPECT_TRUE(job_.counts.restorePoint.empty());
    EXPECT_EQ(recorder_.statuses_.back(), "_CleaningPageStateFinishedKept");

    // Backed up into a point on the same volume: moved there, so removed but nothing freed.
    inUse.reset();
    test::WriteFile(dir_ / "junk\\a.tmp", "junk\\a.tmp");
    job_.cleaningSet.Clear();
    for (const char* name : {"junk\\a.tmp", "junk\\B.tmp"})
        job_.cleaningSet.AddOrReplace(dir_ / name, "Temporary file", test::StampOf(dir_ / name));
    job_.backup = true;
    ::ResetEvent(completion_.event.get());
    RunToEnd();
    EXPECT_EQ(job_.counts.removed, 2u);
    EXPECT_EQ(job_.counts.kept + job_.counts.failed, 0u);
    EXPECT_EQ(job_.counts.bytesFreed, 0u);
    EXPECT_EQ(job_.counts.restorePoint, RestorePoint());
    EXPECT_FALSE(job_.counts.restorePoint.empty());
    EXPECT_EQ(recorder_.statuses_.back(), "_CleaningPageStateCompleteCounts");

    // Into the Recycle Bin: recycled, and a point that ends empty is not named.
    test::WriteFile(dir_ / "junk\\a.tmp", "a");
    job_.cleaningSet.Clear();
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\a.tmp", "Temporary file",
                                  test::StampOf(dir_ / "junk\\a.tmp"));
    job_.backup = false;
    job_.removal = RemovalMode::RecycleBin;
    ::ResetEvent(completion_.event.get());
    RunToEnd();
    EXPECT_FALSE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_EQ(job_.counts.recycled, 1u);
    EXPECT_EQ(job_.counts.removed, 0u);
    EXPECT_EQ(job_.counts.bytesFreed, 0u);
    EXPECT_TRUE(job_.counts.restorePoint.empty());
}

TEST_F(CleaningTest, AnEmptySetMakesNoRestorePoint) {
    job_.cleaningSet.Clear();
    job_.backup = true;
    RunToEnd();
    EXPECT_EQ(recorder_.range_, 0);
    EXPECT_FALSE(test::Exists(job_.backupFolder));
    EXPECT_EQ(completion_.calls.load(), 1);
}

TEST_F(CleaningTest, AnUnwritableBackupFolderKeepsEveryFile) {
    test::WriteFile(dir_ / "not-a-folder", "a file where the backup folder should be");
    job_.backupFolder = dir_ / "not-a-folder";
    job_.backup = true;
    job_.removal = RemovalMode::RecycleBin;
    RunToEnd();
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
}

TEST_F(CleaningTest, AWildcardPathNeverReachesTheShell) {
    test::WriteFile(dir_ / "junk\\ab.tmp", "innocent");
    test::WriteFile(dir_ / "junk\\xy.tmp", "innocent");
    job_.cleaningSet.Clear();
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\a?.tmp", "r");
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\*.tmp", "r");
    job_.removal = RemovalMode::RecycleBin;
    RunToEnd();
    EXPECT_TRUE(test::Exists(dir_ / "junk\\ab.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\xy.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Recycled:\r\n\r\nFAILED " + dir_ / "junk\\*.tmp" + "\r\n\r\nFAILED " +
                                   dir_ / "junk\\a?.tmp" + "\r\n\r\n");
}

// A file that could not be backed up is kept, and each entry says so in its own words; a file the
// check refused (in use, gone since the scan) is named once, with its reason, in the backup's
// entry, or in the removal's without a backup.
TEST_F(CleaningTest, AFileNotBackedUpOrRefusedIsNamedOnceInTheRightEntry) {
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\vanished.tmp", "Temporary file");
    win::UniqueHandle inUse(::CreateFileA((dir_ / "junk\\B.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(inUse.get(), INVALID_HANDLE_VALUE);
    test::WriteFile(dir_ / "not-a-folder", "a file where the backup folder should be");
    job_.backupFolder = dir_ / "not-a-folder";
    job_.backup = true;
    RunToEnd();
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\a.tmp"), "junk\\a.tmp");
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\sub\\c.tmp"), "junk\\sub\\c.tmp");
    EXPECT_FALSE(job_.everyFileHandled);
    auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "Deleted:\r\n\r\nKEPT " + dir_ / "junk\\a.tmp" + "\r\n\r\nKEPT " +
                                   dir_ / "junk\\sub\\c.tmp" + "\r\n\r\n");
    const std::string& backup = entries[1].text;
    EXPECT_NE(backup.find("\r\n\r\nIN USE " + dir_ / "junk\\B.tmp" + "\r\n\r\n"), std::string::npos)
        << backup;
    EXPECT_NE(backup.find("\r\n\r\nNOT SAVED " + dir_ / "junk\\a.tmp" + " AS "), std::string::npos) << backup;
    EXPECT_NE(backup.find("\r\n\r\nGONE " + dir_ / "junk\\vanished.tmp" + "\r\n\r\n"), std::string::npos)
        << backup;

    inUse.reset();
    job_.backup = false;
    ::ResetEvent(completion_.event.get());
    RunToEnd();
    entries = test::ReadLogEntries(job_.logFolder);
    EXPECT_EQ(entries[0].text, "Deleted:\r\n\r\nREMOVED " + dir_ / "junk\\B.tmp" + "\r\n\r\nREMOVED " +
                                   dir_ / "junk\\a.tmp" + "\r\n\r\nREMOVED " + dir_ / "junk\\sub\\c.tmp" +
                                   "\r\n\r\nGONE " + dir_ / "junk\\vanished.tmp" + "\r\n\r\n");
}

// A deletion that does not take is logged with the reason found where it failed: here another
// program reads the file and lets it be deleted, so the path still names the file afterwards.
TEST_F(CleaningTest, AFailedRemovalNamesItsOwnReason) {
    win::UniqueHandle reader(::CreateFileA((dir_ / "junk\\a.tmp").c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                           nullptr));
    ASSERT_NE(reader.get(), INVALID_HANDLE_VALUE);
    RunToEnd();
    const std::string text = test::ReadLogEntries(job_.logFolder)[0].text;
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    // Windows says the deletion waits for the reader (access denied); Wine keeps the file, named.
    const std::string line = "FAILED " + dir_ / "junk\\a.tmp" + " (";
    EXPECT_TRUE(text.find(line + win::SystemErrorText(ERROR_FILE_EXISTS) + ")") != std::string::npos ||
                text.find(line + win::SystemErrorText(ERROR_ACCESS_DENIED) + ")") != std::string::npos)
        << text;
    EXPECT_FALSE(job_.everyFileHandled);
}

TEST_F(CleaningTest, WithoutTheLogComponentTheCleaningStillRuns) {
    ASSERT_TRUE(SUCCEEDED(dll_.Unregister()));
    RunToEnd();
    EXPECT_FALSE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_FALSE(test::Exists(job_.logFolder));
    EXPECT_EQ(recorder_.statuses_.back(), "_CleaningPageStateCompleteCounts");
}

// Backed up by a move, a file is in its place or in the restore point at any moment.
TEST_F(CleaningTest, StopDuringTheBackupLeavesEveryFileInItsPlaceOrInThePoint) {
    job_.backup = true;
    recorder_.onPosition_ = [&](int position) {
        if (position == 1)
            while (!job_.worker.StopRequested())
                ::Sleep(1);
    };
    ASSERT_TRUE(StartCleaning(job_));
    while (recorder_.positions_.size() < 2)
        ::Sleep(1);
    EXPECT_TRUE(StopCleaning(job_));
    // Path order is byte order: "B.tmp" first, moved into the point before the stop.
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_EQ(test::ReadFile(RestorePoint() + "\\" + Mirrored("junk\\B.tmp")), "junk\\B.tmp");
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    EXPECT_EQ(test::FilesBelow(RestorePoint()).size(), 1u);
    EXPECT_EQ(recorder_.statuses_.back(), "_CleaningPageStateStopped");
    EXPECT_EQ(recorder_.positions_.back(), 0);
    EXPECT_FALSE(recorder_.stopEnabled_);
    EXPECT_EQ(completion_.calls.load(), 1);
    EXPECT_FALSE(StopCleaning(job_));
    // The stopped phase's entry names what it did.
    const auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Backed up:\r\n\r\nSAVED " + dir_ / "junk\\B.tmp" + " AS " + RestorePoint() +
                                   "\\" + Mirrored("junk\\B.tmp") + "\r\n\r\n");
}

TEST_F(CleaningTest, StopDuringDeletionKeepsWhatWasDone) {
    // Positions run 0, then 1 for the first deletion: hold there.
    std::atomic<int> seen{0};
    recorder_.onPosition_ = [&](int) {
        if (++seen == 2)
            while (!job_.worker.StopRequested())
                ::Sleep(1);
    };
    ASSERT_TRUE(StartCleaning(job_));
    while (seen.load() < 2)
        ::Sleep(1);
    EXPECT_TRUE(StopCleaning(job_));
    // Path order is byte order: "B.tmp" before "a.tmp" before "sub\c.tmp".
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    EXPECT_EQ(completion_.calls.load(), 1);
    const auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Deleted:\r\n\r\nREMOVED " + dir_ / "junk\\B.tmp" + "\r\n\r\n");
}

TEST_F(CleaningTest, BackupIntoAnEmptyOrRelativeFolderKeepsEveryFile) {
    const size_t pointsAtTheDriveRoot = FindRestorePoints("\\").size();
    for (const char* folder : {"", "Backup"}) {
        job_.backupFolder = folder;
        job_.backup = true;
        completion_.calls = 0;
        ::ResetEvent(completion_.event.get());
        RunToEnd();
        EXPECT_EQ(completion_.calls.load(), 1);
    }
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    EXPECT_EQ(FindRestorePoints("\\").size(), pointsAtTheDriveRoot);
    EXPECT_FALSE(test::Exists("Backup"));
}

// A backup folder refused before anything is made gives each file that was not saved the reason
// found at the refusal, not whatever error the worker's thread happened to hold.
TEST_F(CleaningTest, ARefusedBackupFolderNamesItsReasonForEveryFileNotSaved) {
    job_.backupFolder = "Backup";
    job_.backup = true;
    RunToEnd();
    const auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 2u);
    const std::string& backup = entries[1].text;
    for (const char* name : {"junk\\a.tmp", "junk\\B.tmp", "junk\\sub\\c.tmp"}) {
        const size_t line = backup.find("NOT SAVED " + dir_ / name + " AS ");
        ASSERT_NE(line, std::string::npos) << backup;
        const std::string text = backup.substr(line, backup.find("\r\n", line) - line);
        const std::string reason = " (" + win::SystemErrorText(ERROR_INVALID_NAME) + ")";
        EXPECT_EQ(text.substr(text.size() - std::min(text.size(), reason.size())), reason) << text;
    }
}

// Another tool made "name." beside "name"; the file calls would read the first as the second.
// Every file call reads a listed name exactly: "name." is neither "name" nor lost. Only the shell,
// which cannot be told so, keeps its hands off it.
TEST_F(CleaningTest, ANameEndingInADotIsCleanedByItsOwnNameAndTheShellKeepsItsHandsOff) {
    test::WriteFile(dir_ / "junk\\name.", "dotted");
    test::WriteFile(dir_ / "junk\\name", "plain");
    job_.cleaningSet.Clear();
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\name.", "r", test::StampOf(dir_ / "junk\\name."));
    job_.backup = true;
    RunToEnd();
    EXPECT_FALSE(test::Exists(dir_ / "junk\\name."));
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\name"), "plain");
    EXPECT_EQ(test::ReadFile(RestorePoint() + "\\" + Mirrored("junk\\name.")), "dotted");

    test::WriteFile(dir_ / "junk\\name.", "dotted again");
    job_.backup = false;
    job_.removal = RemovalMode::RecycleBin;
    ::ResetEvent(completion_.event.get());
    RunToEnd();
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\name."), "dotted again");
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\name"), "plain");
    EXPECT_NE(test::ReadLogEntries(job_.logFolder)[0].text.find("FAILED " + dir_ / "junk\\name."),
              std::string::npos);
}

// A file another program holds is kept, backed up or not, deleted or recycled, and nothing is left
// for the system to delete at the next restart (by then its path may lead elsewhere). That holds
// for a program that lets others delete the file too: it may be writing it, and deleting the file
// under it would lose its work. Each run counts the file once among those kept in use.
TEST_F(CleaningTest, AFileInUseIsKeptAndNothingIsScheduledForTheRestart) {
    const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
    win::UniqueRegKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, key.put()),
              ERROR_SUCCESS);
    auto pending = [&] {
        DWORD size = 0;
        return ::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr,
                                  &size) == ERROR_SUCCESS
                   ? size
                   : 0ul;
    };
    const std::string inUsePath = dir_ / "junk\\B.tmp";
    auto inUseLines = [&] {
        size_t count = 0;
        for (const auto& entry : test::ReadLogEntries(job_.logFolder))
            for (size_t at = entry.text.find("IN USE " + inUsePath); at != std::string::npos;
                 at = entry.text.find("IN USE " + inUsePath, at + 1))
                ++count;
        return count;
    };
    const DWORD pendingBefore = pending();
    struct Holder {
        DWORD access, share;
    };
    for (const Holder holder :
         {Holder{GENERIC_READ, FILE_SHARE_READ},
          Holder{GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        for (const auto& [backup, removal] :
             {std::pair{true, RemovalMode::Permanent}, std::pair{false, RemovalMode::Permanent},
              std::pair{false, RemovalMode::RecycleBin}}) {
            win::UniqueHandle inUse(::CreateFileA(inUsePath.c_str(), holder.access, holder.share, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
            ASSERT_NE(inUse.get(), INVALID_HANDLE_VALUE);
            job_.backup = backup;
            job_.removal = removal;
            const size_t linesBefore = inUseLines();
            ::ResetEvent(completion_.event.get());
            RunToEnd();
            inUse.reset();
            EXPECT_EQ(test::ReadFile(inUsePath), "junk\\B.tmp");
            EXPECT_EQ(inUseLines(), linesBefore + 1) << "said once, backup " << backup;
            EXPECT_EQ(job_.keptInUse, 1u) << "counted once, backup " << backup;
            EXPECT_FALSE(job_.everyFileHandled);
            const std::string text = test::ReadLogEntries(job_.logFolder)[0].text;
            EXPECT_EQ(text.find("REMOVED " + inUsePath), std::string::npos) << text;
        }
    }
    EXPECT_EQ(pending(), pendingBefore);
    EXPECT_EQ(test::FilesBelow(job_.backupFolder).size(), 2u);  // a.tmp and c.tmp, not B.tmp
}

// The shell is handed a path. Another file that takes that name while the reviewed one is held
// goes to the Recycle Bin instead: it is not counted as the one recycled, the row fails, the log
// says so, and the reviewed file is untouched where it was moved.
TEST_F(CleaningTest, AnotherFileTheRecycleBinTookIsNotCountedAsTheReviewedOne) {
    job_.removal = RemovalMode::RecycleBin;
    const std::string reviewed = dir_ / "junk\\a.tmp";
    job_.shellOperation = [&](SHFILEOPSTRUCTW& operation) {
        if (win::Narrow(operation.pFrom) == reviewed) {
            EXPECT_TRUE(::MoveFileA(reviewed.c_str(), (dir_ / "junk\\a-moved.tmp").c_str()));
            test::WriteFile(reviewed, "another file");
        }
        return ::SHFileOperationW(&operation);
    };
    RunToEnd();
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\a-moved.tmp"), "junk\\a.tmp");
    EXPECT_FALSE(test::Exists(reviewed));
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_FALSE(job_.everyFileHandled);
    const auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Recycled:\r\n\r\nREMOVED " + dir_ / "junk\\B.tmp" + "\r\n\r\nOTHER TAKEN " +
                                   reviewed + "\r\n\r\nREMOVED " + dir_ / "junk\\sub\\c.tmp" + "\r\n\r\n");
}

TEST_F(CleaningTest, AFaultInsideTheRunEndsItBeforeTheNextFile) {
    recorder_.throwOnStatus_ = "_CleaningPageStatePermanentlyDelete";
    RunToEnd();
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_EQ(recorder_.statuses_, std::vector<std::string>{"_CleaningPageStateStopped"});
    EXPECT_FALSE(recorder_.stopEnabled_);
    EXPECT_EQ(completion_.calls.load(), 1);
    EXPECT_TRUE(completion_.handleWasEmpty.load());
}

BOOL CALLBACK FirstVisibleWindow(HWND window, LPARAM found) {
    if (!::IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// Run with the Recycle Bin out of reach (see the test list): the shell asks before it deletes
// anything for good, and a file the user keeps is logged as kept.
TEST_F(CleaningTest, AFileTheRecycleBinCannotTakeIsRemovedOnlyWithConsent) {
    if (!std::getenv("QM_NO_RECYCLE_BIN"))
        GTEST_SKIP() << "needs a Recycle Bin that cannot take files";
    job_.removal = RemovalMode::RecycleBin;
    ASSERT_TRUE(StartCleaning(job_));
    // The shell's question comes once per file, in map order: "B.tmp", "a.tmp", "sub\\c.tmp".
    std::deque<int> answers = {IDYES, IDNO, IDNO};
    while (::WaitForSingleObject(completion_.event.get(), 10) == WAIT_TIMEOUT) {
        HWND question = nullptr;
        ::EnumThreadWindows(job_.worker.Id(), FirstVisibleWindow, reinterpret_cast<LPARAM>(&question));
        if (question && !answers.empty()) {
            ::PostMessageA(question, WM_COMMAND, MAKEWPARAM(answers.front(), BN_CLICKED), 0);
            answers.pop_front();
            while (::IsWindow(question))
                ::Sleep(1);
        }
    }
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].text, "Recycled:\r\n\r\nREMOVED " + dir_ / "junk\\B.tmp" + "\r\n\r\nNOT RECYCLED " +
                                   dir_ / "junk\\a.tmp" + "\r\n\r\nNOT RECYCLED " +
                                   dir_ / "junk\\sub\\c.tmp" + "\r\n\r\n");
}

// The same without anyone to ask: every file the bin cannot take is kept.
TEST_F(CleaningTest, AnUnwatchedCleaningKeepsWhatTheRecycleBinCannotTake) {
    if (!std::getenv("QM_NO_RECYCLE_BIN"))
        GTEST_SKIP() << "needs a Recycle Bin that cannot take files";
    job_.removal = RemovalMode::RecycleBin;
    job_.canAsk = false;
    RunToEnd();
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\sub\\c.tmp"));
    EXPECT_FALSE(job_.everyFileHandled);
    const auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].text.find("NOT RECYCLED " + dir_ / "junk\\a.tmp"), std::string::npos)
        << entries[0].text;
}

TEST_F(CleaningTest, AFileWrittenToAfterTheScanIsKept) {
    job_.backup = true;
    test::WriteFile(dir_ / "junk\\a.tmp", "junk\\a.tmp and what was added since the scan");
    RunToEnd();
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\a.tmp"), "junk\\a.tmp and what was added since the scan");
    EXPECT_FALSE(test::Exists(dir_ / "junk\\B.tmp"));
    EXPECT_EQ(test::FilesBelow(RestorePoint()).size(), 2u);
    // Said once, in the backup's entry.
    const auto entries = test::ReadLogEntries(job_.logFolder);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[1].text.find("CHANGED " + dir_ / "junk\\a.tmp"), std::string::npos);
    EXPECT_EQ(entries[0].text.find(dir_ / "junk\\a.tmp"), std::string::npos);
}

namespace {

// A device that loses the last byte of each write but reports it written.
BOOL WINAPI LossyWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    const BOOL ok = ::WriteFile(file, data, size - 1, written, nullptr);
    *written = size;
    return ok;
}

uint64_t FileIdOf(const std::string& path) {
    win::UniqueFile file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION about{};
    ::GetFileInformationByHandle(file.get(), &about);
    return (static_cast<uint64_t>(about.nFileIndexHigh) << 32) | about.nFileIndexLow;
}

}  // namespace

// On its own volume the backup is the file itself, moved (its id kept); on another volume it is
// a copy. The test run maps a second drive letter for this (QM_SECOND_DRIVE).
TEST_F(CleaningTest, BackupMovesTheFileOnItsVolumeAndCopiesItToAnother) {
    const uint64_t id = FileIdOf(dir_ / "junk\\a.tmp");
    const FileStamp before = test::StampOf(dir_ / "junk\\a.tmp");
    job_.backup = true;
    RunToEnd();
    const std::string moved = RestorePoint() + "\\" + Mirrored("junk\\a.tmp");
    EXPECT_EQ(FileIdOf(moved), id);
    EXPECT_EQ(test::StampOf(moved).lastWrite.dwLowDateTime, before.lastWrite.dwLowDateTime);

    const char* drive = std::getenv("QM_SECOND_DRIVE");
    if (!drive)
        GTEST_SKIP() << "run through ctest, which maps a second drive";
    const std::string otherVolume =
        std::string(drive) + "\\qm-backup-" + std::to_string(::GetCurrentProcessId());
    test::WriteFile(dir_ / "junk\\again.tmp", "again");
    job_.cleaningSet.Clear();
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\again.tmp", "r", test::StampOf(dir_ / "junk\\again.tmp"));
    job_.backupFolder = otherVolume;
    const uint64_t againId = FileIdOf(dir_ / "junk\\again.tmp");
    ::ResetEvent(completion_.event.get());
    RunToEnd();
    const auto points = FindRestorePoints(otherVolume);
    ASSERT_EQ(points.size(), 1u);
    const std::string copied = points[0].path + "\\" + Mirrored("junk\\again.tmp");
    EXPECT_EQ(test::ReadFile(copied), "again");
    EXPECT_NE(FileIdOf(copied), againId);
    EXPECT_FALSE(test::Exists(dir_ / "junk\\again.tmp"));

    // A copy that does not come out as the file is (a write that loses a byte) keeps the file.
    test::WriteFile(dir_ / "junk\\third.tmp", "third");
    job_.cleaningSet.Clear();
    job_.cleaningSet.AddOrReplace(dir_ / "junk\\third.tmp", "r", test::StampOf(dir_ / "junk\\third.tmp"));
    win::SetCopyWriteFunction(LossyWrite);
    ::ResetEvent(completion_.event.get());
    RunToEnd();
    win::SetCopyWriteFunction(nullptr);
    EXPECT_EQ(test::ReadFile(dir_ / "junk\\third.tmp"), "third");
    EXPECT_EQ(test::FilesBelow(otherVolume).size(), 1u);
    const auto entries = test::ReadLogEntries(job_.logFolder);
    EXPECT_EQ(entries[0].text, "Deleted:\r\n\r\nKEPT " + dir_ / "junk\\third.tmp" + "\r\n\r\n");
    EXPECT_NE(entries[1].text.find("NOT SAVED " + dir_ / "junk\\third.tmp" + " AS "), std::string::npos);
    EXPECT_NE(entries[1].text.find(" (" + win::SystemErrorText(ERROR_WRITE_FAULT) + ")"), std::string::npos)
        << entries[1].text;
    test::RemoveTree(otherVolume);
}
// A rule's folders go once its own files emptied them (REMOVESELF): a folder that another place's
// files emptied stays, and so do a chosen root and a protected place, even empty.
TEST_F(CleaningTest, EmptiedFoldersGoOnlyForTheirOwnRulesFilesAndNeverAProtectedPlaceOrARoot) {
    job_.cleaningSet.Clear();
    const char* const files[][2] = {{"rule\\a\\own.tmp", "Rule"},
                                    {"rule\\b\\other.tmp", "Other place"},
                                    {"rule\\root\\c\\own.tmp", "Rule"},
                                    {"videos\\clip\\own.tmp", "Rule"}};
    for (const auto& [name, reason] : files) {
        test::WriteFile(dir_ / name);
        job_.cleaningSet.AddOrReplace(dir_ / name, reason, test::StampOf(dir_ / name));
    }
    job_.emptiedFoldersGo = {{dir_ / "rule", "Rule"}, {dir_ / "videos", "Rule"}};
    job_.foldersThatStay = {dir_ / "rule\\root", dir_ / "videos\\"};
    RunToEnd();
    EXPECT_EQ(test::NamesIn(dir_ / "rule"), (std::vector<std::string>{"b", "root"}));
    EXPECT_EQ(test::NamesIn(dir_ / "rule\\root"), std::vector<std::string>{});
    EXPECT_TRUE(test::Exists(dir_ / "videos"));
    EXPECT_FALSE(test::Exists(dir_ / "videos\\clip"));
}

// Each cleaning first gives back the space of the points older than the days kept, by the date in
// their names, before it makes its own.
TEST_F(CleaningTest, TheCleaningFirstRemovesThePointsThatHaveExpired) {
    job_.backup = true;
    job_.pointExpiryDays = 14;
    const std::string expired = DatedPoint(15);
    const std::string kept = DatedPoint(13);
    RunToEnd();
    EXPECT_FALSE(test::Exists(expired));
    EXPECT_EQ(test::ReadFile(kept + "\\C\\old\\f.tmp"), "saved before");
    const std::vector<::RestorePoint> points = FindRestorePoints(job_.backupFolder);
    ASSERT_EQ(points.size(), 2u);  // the one kept and the one this cleaning made
    EXPECT_EQ(test::FilesBelow(points[1].path).size(), 3u);
    ASSERT_FALSE(recorder_.statuses_.empty());
    EXPECT_EQ(recorder_.statuses_[0], "_CleaningPageStateExpiredPoints");
    const auto entries = test::ReadLogEntries(job_.logFolder);
    // Newest first: the deletion, the backup, then the expired points.
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_NE(entries[2].text.find("EXPIRED " + expired), std::string::npos) << entries[2].text;
    EXPECT_EQ(entries[2].text.find(kept), std::string::npos) << entries[2].text;
}

// 0 days, as a config.xml written before points expired reads, keeps every point, however old.
TEST_F(CleaningTest, WithoutAnExpiryEveryPointIsKept) {
    job_.backup = true;
    const std::string old = DatedPoint(400);
    RunToEnd();
    EXPECT_EQ(test::ReadFile(old + "\\C\\old\\f.tmp"), "saved before");
    EXPECT_EQ(FindRestorePoints(job_.backupFolder).size(), 2u);
}

// A stop asked before the run takes no point and no file.
TEST_F(CleaningTest, AStoppedCleaningRemovesNoExpiredPoint) {
    job_.backup = true;
    job_.pointExpiryDays = 14;
    const std::string expired = DatedPoint(15);
    std::atomic<bool> stop{true};
    RunCleaning(job_, win::StopToken(&stop));
    EXPECT_TRUE(test::Exists(expired + "\\C\\old\\f.tmp"));
    EXPECT_TRUE(test::Exists(dir_ / "junk\\a.tmp"));
}

// A point's age is whole days from the time in its name; an expiry date is that time plus the days.
TEST(PointExpiry, AgeAndExpiryComeFromThePointsName) {
    ::RestorePoint point;
    ASSERT_TRUE(ParseRestorePointName("2026-12-08_10-30-00", point));
    struct Case {
        SYSTEMTIME now;
        int days;
    };
    const Case cases[] = {
        {{2026, 12, 2, 8, 10, 30, 0, 0}, 0}, {{2026, 12, 2, 9, 10, 29, 59, 0}, 0},
        {{2026, 12, 2, 9, 10, 30, 0, 0}, 1}, {{2026, 12, 2, 22, 10, 30, 0, 0}, 14},
        {{2027, 1, 5, 1, 0, 0, 0, 0}, 23},   {{2026, 12, 2, 8, 9, 30, 0, 0}, -1},
    };
    for (const Case& c : cases) {
        int days = 99;
        ASSERT_TRUE(RestorePointAgeInDays(point, c.now, days));
        EXPECT_EQ(days, c.days) << c.now.wMonth << "/" << c.now.wDay << " " << c.now.wHour;
    }
    SYSTEMTIME expiry{};
    ASSERT_TRUE(RestorePointExpiry(point, 14, expiry));
    EXPECT_EQ(expiry.wYear * 10000 + expiry.wMonth * 100 + expiry.wDay, 20261222);
    ::RestorePoint impossible;
    ASSERT_TRUE(ParseRestorePointName("2026-02-30_00-00-00", impossible));
    int days = 0;
    EXPECT_FALSE(RestorePointAgeInDays(impossible, expiry, days));
}
