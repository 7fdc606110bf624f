#pragma once
// The clean options of the configuration: the removal mode, whether to back files up first, and
// the backup folder, stored with path variables (the pages see it expanded).

#include <string>

#include "config/ListSettings.h"

// How a cleaning removes a file: for good, or into the Recycle Bin.
enum class RemovalMode { Permanent, RecycleBin };

struct CleanOptionValues {
    RemovalMode removal = RemovalMode::Permanent;
    bool backup = false;
    std::string backupDirectory;  // expanded
    bool operator==(const CleanOptionValues&) const = default;
};

// Current values (`index`, `checked`, `BackupDirectory`) or factory values (`defaultindex`,
// `default`, `DefaultBackupDirectory`), the folder with its path variables expanded. A missing
// file or element reads as permanent deletion, no backup and an empty folder.
CleanOptionValues ReadCleanOptions(const std::string& configPath, ValueSet values = ValueSet::Current);

// The current clean options read strictly, for a cleaning nobody watches: a damaged file must
// never pass for "no backup". unreadable names the first setting that is missing or holds
// anything but 0 or 1 ("CleanMode index", "Backup checked", or "Backup BackupDirectory" when backup
// is on), and is empty when every setting was read.
// When a setting cannot be read, values are the factory ones, which the wizard shows instead.
using StrictCleanOptions = StrictlyRead<CleanOptionValues>;
StrictCleanOptions ReadCleanOptionsStrictly(const std::string& configPath);

// Writes `index` ("0" or "1"), `checked` ("1" or "0") and `BackupDirectory` (contracted) and
// saves. True when the file was saved.
bool WriteCleanOptions(const std::string& configPath, const CleanOptionValues& values);

// The current backup folder, expanded, as the rescue manager starts with it.
std::string ReadBackupDirectory(const std::string& configPath);
