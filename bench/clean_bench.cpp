// Measures the cleaning loop against a bare CopyFileA + DeleteFileA loop on the same files, in one
// run: 10,000 files backed up and deleted permanently, and 2,000 moved to the Recycle Bin.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchTree.h"
#include "clean/CleaningEngine.h"
#include "win/ComPtr.h"
#include "win/UniqueHandle.h"

namespace {

constexpr int kDeleteFiles = 10'000;
constexpr int kRecycleFiles = 2'000;

std::vector<std::string> MakeFiles(const std::string& root, int count) {
    std::vector<std::string> files;
    for (int folder = 0; folder < count / 100; ++folder) {
        std::string dir = root + "\\folder" + std::to_string(folder);
        ::CreateDirectoryA(root.c_str(), nullptr);
        ::CreateDirectoryA(dir.c_str(), nullptr);
        for (int i = 0; i < 100; ++i) {
            std::string path = dir + "\\junk" + std::to_string(i) + ".tmp";
            win::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
            DWORD written;
            ::WriteFile(file.get(), path.data(), static_cast<DWORD>(path.size()), &written, nullptr);
            files.push_back(path);
        }
    }
    return files;
}

// The file's stamp as the scan's listing would have given it.
FileStamp Stamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
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
    NoProgress progress;
    win::UniqueHandle done(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    for (const auto& f : files)
        job.cleaningSet.AddOrReplace(f, "Temporary file", Stamp(f));
    job.backup = backup;
    job.removal = recycle ? RemovalMode::RecycleBin : RemovalMode::Permanent;
    job.backupFolder = backupFolder;
    job.logFolder = logFolder;
    job.progress = &progress;
    job.completed = [&done] { ::SetEvent(done.get()); };
    return MedianMs(1, [&] {
        StartCleaning(job);
        ::WaitForSingleObject(done.get(), INFINITE);
    });
}

}  // namespace

int main() {
    win::ComApartment com;
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "quillmoor-clean-bench";
    const std::string logFolder = root + "\\Log\\Data";
    ::CreateDirectoryA(root.c_str(), nullptr);

    // Two rounds, taking turns, on fresh files each time; the faster round of each counts.
    const std::string bareBackup = root + "\\bare-backup";
    double bare = 1e300, cleaning = 1e300;
    for (int round = 0; round < 2; ++round) {
        const std::string tag = std::to_string(round);
        auto files = MakeFiles(root + "\\bare" + tag, kDeleteFiles);
        // The bare loop keeps the layout of a restore point, one folder per hundred files.
        ::CreateDirectoryA(bareBackup.c_str(), nullptr);
        bare = std::min(bare, MedianMs(1, [&] {
                            for (size_t i = 0; i < files.size(); ++i) {
                                std::string folder =
                                    bareBackup + "\\" + tag + "-folder" + std::to_string(i / 100);
                                if (i % 100 == 0)
                                    ::CreateDirectoryA(folder.c_str(), nullptr);
                                std::string copy = folder + "\\junk" + std::to_string(i % 100) + ".tmp";
                                ::CopyFileA(files[i].c_str(), copy.c_str(), FALSE);
                                ::DeleteFileA(files[i].c_str());
                            }
                        }));
        files = MakeFiles(root + "\\clean" + tag, kDeleteFiles);
        cleaning = std::min(cleaning, Clean(files, root + "\\Backup" + tag, true, false, logFolder));
    }

    auto recycled = MakeFiles(root + "\\recycle", kRecycleFiles);
    double recycle = Clean(recycled, root + "\\Backup", false, true, logFolder);

    std::printf("# Cleaning benchmark\n\n");
    std::printf(
        "Under Wine, on the same kind of small files; backup and deletion take the faster of two alternating "
        "rounds.\n\n");
    std::printf(
        "| run | files | time (ms) | per file (ms) | ratio | goal |\n|---|---:|---:|---:|---:|---|\n");
    std::printf("| bare CopyFileA + DeleteFileA loop | %d | %.0f | %.3f | 1.00 | |\n", kDeleteFiles, bare,
                bare / kDeleteFiles);
    std::printf(
        "| backup into a restore point + permanent deletion | %d | %.0f | %.3f | %.2f x bare | at most 1.2 "
        "|\n",
        kDeleteFiles, cleaning, cleaning / kDeleteFiles, cleaning / bare);
    std::printf("| move to the Recycle Bin | %d | %.0f | %.3f | | |\n", kRecycleFiles, recycle,
                recycle / kRecycleFiles);
    return 0;
}
