#pragma once
// The scan options of the configuration: eleven on/off options and the months of the
// not-accessed test, each with a current and a factory value.

#include <array>
#include <string>

#include "config/ListSettings.h"

// In the order the options page loads and saves them.
enum ScanOption : int {
    kFindFilesHaveNotAccessed,
    kSkipReadOnlyFiles,
    kSkipSystemFiles,
    kSkipHiddenFiles,
    kFindZeroLengthFiles,
    kFindInvalidShortcuts,
    kFindTemp,
    kFindIETemp,
    kFindRecent,
    kFindIEHistory,
    kFindIECookies,
    kScanOptionCount
};

// The option's element name under "/config/quillmoor/options/".
const char* ScanOptionElement(ScanOption option);

struct ScanOptionValues {
    std::array<bool, kScanOptionCount> checked{};
    std::string months;  // the months box's text, as typed; may be empty
    bool operator==(const ScanOptionValues&) const = default;
};

// Current values (`checked`, `month`) or factory values (`default`, `monthdefault`). A missing
// file or element reads unticked, the months as empty text.
ScanOptionValues ReadScanOptions(const std::string& configPath, ValueSet values = ValueSet::Current);

// The current scan options read strictly (see StrictlyRead): every option's `checked` "0" or
// "1", and with the not-accessed test ticked its `month` a whole number (digits alone): read
// leniently, "abc" was 0 months and listed every file a month old. Each value that cannot be read
// takes its factory value; unreadable names the first, as "SkipHiddenFiles checked" or
// "FindFilesHaveNotAccessed month".
StrictlyRead<ScanOptionValues> ReadScanOptionsStrictly(const std::string& configPath);

// Writes `checked` ("1" or "0") of every option and `month` of the not-accessed option, and saves;
// options whose element is missing are left out. True when the file was saved.
bool WriteScanOptions(const std::string& configPath, const ScanOptionValues& values);
