#include "scan/ScanSettings.h"

#include "config/ConfigDocument.h"

void SetScanInputs(ScanJob& job, const std::vector<JunkPattern>& patterns, const ScanOptionValues& options,
                   const std::vector<SkipFolder>& skipFolders, const std::vector<std::string>& ownFolders) {
    job.masks.clear();
    // A mask listed twice keeps the description of its last ticked row.
    for (const JunkPattern& pattern : patterns)
        if (pattern.checked)
            job.masks[pattern.file] = pattern.description;
    job.skipFolders.clear();
    for (const SkipFolder& skip : skipFolders)
        if (skip.checked)
            job.skipFolders.push_back(skip.folder);
    job.skipFolders.insert(job.skipFolders.end(), ownFolders.begin(), ownFolders.end());

    const auto& on = options.checked;
    job.options.findNotAccessed = on[kFindFilesHaveNotAccessed];
    // Read as the stored month count is: leading digits, a long number limited to the int range.
    job.options.months = ParseConfigInteger(options.months.substr(0, 254));
    job.options.skipReadOnly = on[kSkipReadOnlyFiles];
    job.options.skipSystem = on[kSkipSystemFiles];
    job.options.skipHidden = on[kSkipHiddenFiles];
    job.options.findZeroLength = on[kFindZeroLengthFiles];
    job.options.findInvalidShortcuts = on[kFindInvalidShortcuts];
    job.findTemp = on[kFindTemp];
    job.findIETemp = on[kFindIETemp];
    job.findRecent = on[kFindRecent];
    job.findIEHistory = on[kFindIEHistory];
    job.findIECookies = on[kFindIECookies];
}
