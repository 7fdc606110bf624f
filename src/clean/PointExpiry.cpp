#include "clean/PointExpiry.h"

#include "clean/ActivityLog.h"
#include "clean/LogEntry.h"
#include "clean/RestorePointTree.h"

namespace {

constexpr int64_t kTicksPerDay = 24LL * 60 * 60 * 10'000'000;

bool Ticks(const SYSTEMTIME& time, int64_t& ticks) {
    FILETIME file{};
    if (!::SystemTimeToFileTime(&time, &file))
        return false;
    ticks = static_cast<int64_t>((static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime);
    return true;
}

bool NameTicks(const RestorePoint& point, int64_t& ticks) {
    if (point.year < 1601 || point.year > 30827 || point.month < 1 || point.month > 12 || point.day < 1 ||
        point.day > 31 || point.hour > 23 || point.minute > 59 || point.second > 59)
        return false;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(point.year);
    time.wMonth = static_cast<WORD>(point.month);
    time.wDay = static_cast<WORD>(point.day);
    time.wHour = static_cast<WORD>(point.hour);
    time.wMinute = static_cast<WORD>(point.minute);
    time.wSecond = static_cast<WORD>(point.second);
    return Ticks(time, ticks);
}

}  // namespace

bool RestorePointAgeInDays(const RestorePoint& point, const SYSTEMTIME& now, int& days) {
    int64_t made = 0, current = 0;
    if (!NameTicks(point, made) || !Ticks(now, current))
        return false;
    const int64_t age = current - made;
    // Rounded down for a point made later than now too: an hour ahead is day -1, not day 0.
    days = static_cast<int>(age >= 0 ? age / kTicksPerDay : -((-age + kTicksPerDay - 1) / kTicksPerDay));
    return true;
}

bool RestorePointExpiry(const RestorePoint& point, int days, SYSTEMTIME& expiry) {
    int64_t made = 0;
    if (!NameTicks(point, made))
        return false;
    const int64_t ticks = made + static_cast<int64_t>(days) * kTicksPerDay;
    const FILETIME file{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    return ::FileTimeToSystemTime(&file, &expiry) != FALSE;
}

std::vector<RestorePoint> ExpiredRestorePoints(const std::string& backupFolder, int days,
                                               const SYSTEMTIME& now) {
    std::vector<RestorePoint> expired;
    // A relative or empty folder would be looked up wherever the current folder happens to be.
    if (days <= 0 || !IsUsableBackupFolder(backupFolder))
        return expired;
    for (RestorePoint& point : FindRestorePoints(backupFolder)) {
        int age = 0;
        if (RestorePointAgeInDays(point, now, age) && age >= days)
            expired.push_back(std::move(point));
    }
    return expired;
}

ExpiryOutcome RemoveExpiredRestorePoints(const std::string& backupFolder, int days, const SYSTEMTIME& now,
                                         ActivityLog& log, const std::atomic<bool>* stop) {
    ExpiryOutcome outcome;
    const std::vector<RestorePoint> expired = ExpiredRestorePoints(backupFolder, days, now);
    if (expired.empty())
        return outcome;
    LogEntry entry("_LogExpiredPointsHeader");
    for (const RestorePoint& point : expired) {
        if (stop && stop->load()) {
            outcome.stopped = true;
            break;
        }
        const win::Result removed = RemoveRestorePoint(point.path, nullptr, stop);
        const DWORD error = removed.Error();
        if (removed) {
            ++outcome.removed;
            entry.Add("_LogRemoveRestorePoint", {point.path});
        } else {
            ++outcome.left;
            entry.Add("_LogRemoveRestorePointFailed", {point.path}, error);
            if (error == ERROR_CANCELLED) {
                outcome.stopped = true;
                break;
            }
        }
    }
    entry.Write(log, "_LogLogCategoryExpiredPoints");
    return outcome;
}

uint64_t RestorePointSize(const std::string& point) {
    uint64_t bytes = 0;
    for (const PointFile& file : ListPointTree(point, nullptr).files)
        bytes += file.stamp.size;
    return bytes;
}
