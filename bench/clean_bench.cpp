// Measures the cleaning and the restore against bare loops of the same file calls, on the same
// kind of files, in one run under Wine:
// - 10,000 small files backed up into a restore point and deleted, against a bare CopyFileW +
//   DeleteFileW loop (the per-file checks are what the cleaning adds);
// - 1,000 files of 1 MB cleaned with the backup on (the restore point on the same drive, so the
//   files are moved) against the same cleaning with the backup off;
// - the restore of such a point against a bare DeleteFileW loop over as many files;
// - 2,000 files moved to the Recycle Bin.
// Each pair takes turns over two rounds on fresh files; the faster round of each counts.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchTree.h"
#include "clean/BackupStore.h"
#include "clean/CleaningEngine.h"
#include "clean/RestoreFiles.h"
#include "win/ApiPath.h"
#include "win/ComPtr.h"
#include "win/PathCalls.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kSmallFiles = 10'000;
constexpr int kLargeFiles = 1'000;
constexpr int kRecycleFiles = 2'000;

std::vector<std::string> MakeFiles(const std::string& root, int count, size_t bytes) {
    std::vector<std::string> files;
    const std::string content(bytes, 'j');
    (void)win::MakeFolder(root);
    for (int folder = 0; folder < (count + 99) / 100; ++folder) {
        const std::string dir = root + "\\folder" + std::to_string(folder);
        (void)win::MakeFolder(dir);
        for (int i = 0; i < 100 && folder * 100 + i < count; ++i) {
            const std::string path = dir + "\\junk" + std::to_string(i) + ".tmp";
            win::UniqueFile file = win::OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
            DWORD written;
            ::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
            files.push_back(path);
        }
    }
    return files;
}

// The file's stamp as the scan's listing would have given it.
FileStamp Stamp(const std::string& path) {
    const WIN32_FILE_ATTRIBUTE_DATA data = win::FileAttributeData(path).Value();
    return {(static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, data.ftLastAccessTime,
            data.ftLastWriteTime, 0};
}

class NoProgress : public win::JobProgress {
  public:
    void SetProgressRange(int) override {}
    void SetProgressPosition(int) override {}
    void SetStatusText(const std::string&) override {}
    void ShowRunning(bool) override {}
};

double Clean(const std::vector<std::string>& files, const std::string& backupFolder, bool backup,
             bool recycle, const std::string& logFolder) {
    CleaningJob job;
    for (const auto& f : files)
        job.cleaningSet.AddOrReplace(f, "Temporary file", Stamp(f));
    job.backup = backup;
    job.removal = recycle ? RemovalMode::RecycleBin : RemovalMode::Permanent;
    job.backupFolder = backupFolder;
    job.logFolder = logFolder;
    std::atomic<bool> never{false};
    return MedianMs(1, [&] { RunCleaning(job, win::StopToken(&never)); });
}

}  // namespace

int main() {
    win::ComApartment com;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "quillmoor-clean-bench";
    const std::string logFolder = root + "\\Log\\Data";
    (void)win::MakeFolder(root);

    double bare = 1e300, checked = 1e300, withBackup = 1e300, withoutBackup = 1e300, restore = 1e300,
           removal = 1e300;
    for (int round = 0; round < 2; ++round) {
        const std::string tag = std::to_string(round);
        // Small files: the bare loop keeps the layout of a restore point, one folder per hundred.
        auto files = MakeFiles(root + "\\bare" + tag, kSmallFiles, 64);
        const std::string bareBackup = root + "\\bare-backup" + tag;
        (void)win::MakeFolder(bareBackup);
        bare = std::min(bare, MedianMs(1, [&] {
                            for (size_t i = 0; i < files.size(); ++i) {
                                const std::string folder = bareBackup + "\\folder" + std::to_string(i / 100);
                                if (i % 100 == 0)
                                    (void)win::MakeFolder(folder);
                                const std::string copy = folder + "\\junk" + std::to_string(i % 100) + ".tmp";
                                ::CopyFileW(win::FileApiPath(files[i]).c_str(),
                                            win::FileApiPath(copy).c_str(), FALSE);
                                ::DeleteFileW(win::FileApiPath(files[i]).c_str());
                            }
                        }));
        files = MakeFiles(root + "\\clean" + tag, kSmallFiles, 64);
        checked = std::min(checked, Clean(files, root + "\\Backup-small" + tag, true, false, logFolder));

        // Large files, with the backup on (a move into the point) and off.
        files = MakeFiles(root + "\\large-backup" + tag, kLargeFiles, 1 << 20);
        const std::string points = root + "\\Backup-large" + tag;
        withBackup = std::min(withBackup, Clean(files, points, true, false, logFolder));
        files = MakeFiles(root + "\\large-plain" + tag, kLargeFiles, 1 << 20);
        withoutBackup = std::min(withoutBackup, Clean(files, points + "-unused", false, false, logFolder));

        // The restore of that point, against removing as many files of the same size.
        const std::vector<RestorePoint> made = FindRestorePoints(points);
        NoProgress progress;
        if (made.size() == 1)
            restore =
                std::min(restore, MedianMs(1, [&] { RestoreFiles(made[0].path, logFolder, progress); }));
        files = MakeFiles(root + "\\remove" + tag, kLargeFiles, 1 << 20);
        removal = std::min(removal, MedianMs(1, [&] {
                               for (const std::string& file : files)
                                   ::DeleteFileW(win::FileApiPath(file).c_str());
                           }));
    }
    const auto recycled = MakeFiles(root + "\\recycle", kRecycleFiles, 64);
    const double recycle = Clean(recycled, root + "\\Backup", false, true, logFolder);

    std::printf("# Cleaning benchmark\n\n");
    std::printf(
        "Under Wine, the restore points on the same drive; each pair takes turns over two rounds on fresh "
        "files,\n"
        "the faster round of each counting.\n\n");
    std::printf(
        "| run | files | time (ms) | per file (ms) | ratio | goal |\n|---|---:|---:|---:|---:|---|\n");
    std::printf("| bare CopyFileW + DeleteFileW loop, 64 bytes each | %d | %.0f | %.3f | 1.00 | |\n",
                kSmallFiles, bare, bare / kSmallFiles);
    std::printf(
        "| checked cleaning with backup (moved), 64 bytes each | %d | %.0f | %.3f | %.2f x bare | at most "
        "1.2 |\n",
        kSmallFiles, checked, checked / kSmallFiles, checked / bare);
    std::printf("| cleaning without backup, 1 MB each | %d | %.0f | %.3f | 1.00 | |\n", kLargeFiles,
                withoutBackup, withoutBackup / kLargeFiles);
    std::printf(
        "| cleaning with backup (moved), 1 MB each | %d | %.0f | %.3f | %.2f x without | at most 1.2 |\n",
        kLargeFiles, withBackup, withBackup / kLargeFiles, withBackup / withoutBackup);
    std::printf("| bare DeleteFileW loop, 1 MB each | %d | %.0f | %.3f | 1.00 | |\n", kLargeFiles, removal,
                removal / kLargeFiles);
    std::printf("| restore of that point (moved back) | %d | %.0f | %.3f | %.2f x removal | at most 1.2 |\n",
                kLargeFiles, restore, restore / kLargeFiles, restore / removal);
    std::printf("| move to the Recycle Bin | %d | %.0f | %.3f | | |\n", kRecycleFiles, recycle,
                recycle / kRecycleFiles);
    return 0;
}
