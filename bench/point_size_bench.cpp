// Measures the rescue manager's size column: RestorePointSize (the checked walk of a restore point)
// over points of 1,000, 3,000 and 10,000 small files in folders of 100, each the best of 3 walks,
// which the manager does on its window's thread for every point it lists.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "clean/PointExpiry.h"
#include "win/FileSystem.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

void MakePoint(const std::string& point, int count) {
    // A folder that cannot be made shows as a walk of fewer files: the benchmark prints the bytes.
    (void)win::MakeFolder(point);
    (void)win::MakeFolder(point + "\\C");
    for (int folder = 0; folder < (count + 99) / 100; ++folder) {
        const std::string dir = point + "\\C\\folder" + std::to_string(folder);
        (void)win::MakeFolder(dir);
        for (int i = 0; i < 100 && folder * 100 + i < count; ++i) {
            win::UniqueFile file =
                win::OpenFile(dir + "\\junk" + std::to_string(i) + ".tmp", GENERIC_WRITE, 0, CREATE_ALWAYS);
            DWORD written = 0;
            ::WriteFile(file.get(), "junk", 4, &written, nullptr);
        }
    }
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::string root = win::Narrow(temp) + "qm-point-size-bench";
    std::printf("| files | walk (ms, best of 3) | bytes |\n|---:|---:|---:|\n");
    for (int count : {1'000, 3'000, 10'000}) {
        const std::string point = root + "\\" + std::to_string(count) + "\\2026-01-01_00-00-00";
        (void)win::MakeFolder(root);
        (void)win::MakeFolder(root + "\\" + std::to_string(count));
        MakePoint(point, count);
        double best = 1e9;
        uint64_t bytes = 0;
        for (int round = 0; round < 3; ++round) {
            LARGE_INTEGER start, end, frequency;
            ::QueryPerformanceFrequency(&frequency);
            ::QueryPerformanceCounter(&start);
            bytes = RestorePointSize(point);
            ::QueryPerformanceCounter(&end);
            best = std::min(best, 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                                      static_cast<double>(frequency.QuadPart));
        }
        std::printf("| %d | %.1f | %llu |\n", count, best, static_cast<unsigned long long>(bytes));
    }
    return 0;
}
