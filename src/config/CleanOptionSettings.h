#pragma once
// The clean options of the configuration: the removal mode, whether to back files up first, the
// backup folder, stored with path variables (the pages see it expanded), and after how many days a
// cleaning removes the restore points.

#include <string>

#include "config/ListSettings.h"

// How a cleaning removes a file: for good, or into the Recycle Bin.
enum class RemovalMode { Permanent, RecycleBin };

struct CleanOptionValues {
    RemovalMode removal = RemovalMode::Permanent;
    bool backup = false;
    std::string backupDirectory;  // expanded
    // Restore points pointDays days old or older go at the start of each cleaning, when ticked.
    bool removeOldPoints = false;
    int pointDays = 14;  // at least 1
    // The days a cleaning keeps a restore point, 0 for ever (CleaningJob::pointExpiryDays).
    int ExpiryDays() const { return removeOldPoints ? pointDays : 0; }
    bool operator==(const CleanOptionValues&) const = default;
};

// Current values (`index`, `checked`, `BackupDirectory`) or factory values (`defaultindex`,
// `default`, `DefaultBackupDirectory`), the folder with its path variables expanded. A missing
// file or element reads as permanent deletion, no backup and an empty folder.
// The restore points' expiry is the `RemoveRestorePoints` element (`checked` and `days`, or
// `default` and `defaultdays`), which versions before it ignore and keep. A config.xml without it
// was written when every point was kept for ever, and reads so (unticked, 14 days), factory values
// included: an update never removes a user's restore points by itself. Days below 1 read as 1.
CleanOptionValues ReadCleanOptions(const std::string& configPath, ValueSet values = ValueSet::Current);

// The current clean options read strictly, for a cleaning nobody watches: a damaged file must
// never pass for "no backup". unreadable names the first setting that is missing or holds
// anything but 0 or 1 ("CleanMode index", "Backup checked", or "Backup BackupDirectory" when backup
// is on, "RemoveRestorePoints checked", or "RemoveRestorePoints days" when ticked and not a whole
// number of at least 1), and is empty when every setting was read. A missing RemoveRestorePoints
// element is no damage: it keeps every point, as before it existed.
// When a setting cannot be read, values are the factory ones, which the wizard shows instead.
using StrictCleanOptions = StrictlyRead<CleanOptionValues>;
StrictCleanOptions ReadCleanOptionsStrictly(const std::string& configPath);

// Writes `index` ("0" or "1"), `checked` ("1" or "0") and `BackupDirectory` (contracted), and
// RemoveRestorePoints' `checked` and `days` (the element appended when missing, without factory
// values), and saves. True when the file was saved.
bool WriteCleanOptions(const std::string& configPath, const CleanOptionValues& values);

// The current backup folder, expanded, as the rescue manager starts with it.
std::string ReadBackupDirectory(const std::string& configPath);
