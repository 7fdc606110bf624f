#pragma once
// Restore points that expire. A point's age is read from its folder's name, the local time of the
// cleaning that made it: file times change with a copy, a restore or the clock, and a point's
// folder time says nothing of when its files were taken. The removal itself is RemoveRestorePoint,
// which never follows a link; FindRestorePoints lists no link as a point.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "clean/BackupStore.h"

class ActivityLog;

// Whole days from the time in the point's name to now (local times both), rounded down; negative
// for a point dated later than now. False when the name holds no valid date and time.
bool RestorePointAgeInDays(const RestorePoint& point, const SYSTEMTIME& now, int& days);

// The local time at which a point kept for days expires: its name's time plus days. False when
// the name holds no valid date and time.
bool RestorePointExpiry(const RestorePoint& point, int days, SYSTEMTIME& expiry);

// The restore points under backupFolder that are days old or older at now, oldest first; none when
// days is 0 or less, which keeps every point.
std::vector<RestorePoint> ExpiredRestorePoints(const std::string& backupFolder, int days,
                                               const SYSTEMTIME& now);

// What RemoveExpiredRestorePoints did.
struct ExpiryOutcome {
    size_t removed = 0;  // points gone
    size_t left = 0;     // expired points that stayed, whole or in part
    bool stopped = false;
};

// Removes every expired point with RemoveRestorePoint, testing stop before each point and inside
// it, and writes one activity-log entry when any point had expired ("_LogLogCategoryExpiredPoints":
// "_LogRemoveRestorePoint" per point gone, "_LogRemoveRestorePointFailed" with the system's reason
// per point left).
ExpiryOutcome RemoveExpiredRestorePoints(const std::string& backupFolder, int days, const SYSTEMTIME& now,
                                         ActivityLog& log, const std::atomic<bool>* stop);

// The bytes the files of a restore point hold, found by its checked walk (ListPointTree): a link
// inside it is neither entered nor counted.
uint64_t RestorePointSize(const std::string& point);
