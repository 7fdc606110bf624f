#include "session/ScanInputs.h"

#include <algorithm>

#include "clean/BackupStore.h"
#include "config/ConfigDocument.h"
#include "config/FactoryDescriptions.h"
#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/PathParts.h"
#include "win/TruePath.h"

namespace {

// A skip folder typed as a full path (in the "\\?\" form too) is matched in its true form, the form of the
// walked paths; a final backslash, which keeps "C:\Temp\" from matching "C:\Temporary", stays. Any other text
// (a name, a part of a path) is matched as it is.
std::string SkipFolderForm(const std::string& typed) {
    const std::string text = win::WithoutDevicePrefix(typed);
    win::ResultOf<std::string> folder = win::TruePathOfText(text);
    if (folder.Error() == ERROR_INVALID_NAME)
        return text;
    const char last = text.back();
    if ((last == '\\' || last == '/') && !win::EndsWithBackslash(folder.Value()))
        folder.Value() += '\\';
    return folder.Value();
}

}  // namespace

void SetScanInputs(ScanJob& job, const std::vector<JunkPattern>& patterns, const ScanOptionValues& options,
                   const std::vector<SkipFolder>& skipFolders, const std::vector<std::string>& ownFolders) {
    job.masks.clear();
    // A mask listed twice keeps the description of its last ticked row.
    for (const JunkPattern& pattern : patterns)
        if (pattern.checked)
            job.masks[pattern.file] = DescriptionShown(pattern.description);
    job.skipFolders.clear();
    // An empty skip folder names no folder: it is left out (the strict reading of the settings
    // says so), never taken to skip everything.
    for (const SkipFolder& skip : skipFolders)
        if (skip.checked && !skip.folder.empty())
            job.skipFolders.push_back(SkipFolderForm(skip.folder));
    job.ownFolders = ownFolders;

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

std::vector<std::string> OwnSkipFolders(const std::string& programFolder,
                                        const std::vector<std::string>& backupFolders,
                                        const std::vector<std::string>& dataFolders) {
    std::vector<std::string> folders;
    auto add = [&folders](std::string folder) {
        if (std::none_of(folders.begin(), folders.end(),
                         [&](const std::string& known) { return win::SameFolded(known, folder); }))
            folders.push_back(std::move(folder));
    };
    for (const std::string& backup : backupFolders) {
        const win::ResultOf<std::string> folder = win::TruePathOfText(backup);
        if (folder.Error() == ERROR_INVALID_NAME)
            continue;
        if (!win::IsRootPath(folder.Value())) {
            add(folder.Value());
            continue;
        }
        // Restore points made after this scan are of no concern to it: the scan lists what is there now.
        for (const RestorePoint& point : FindRestorePoints(folder.Value()))
            add(point.path);
    }
    add(win::TruePathOf(programFolder).Value());
    for (const std::string& folder : dataFolders)
        if (const win::ResultOf<std::string> data = win::TruePathOfText(folder);
            data.Error() != ERROR_INVALID_NAME)
            add(data.Value());
    return folders;
}

bool IsOwnFolderOrBelow(const std::string& path, const std::vector<std::string>& folders) {
    auto withBackslash = [](std::wstring text) {
        while (!text.empty() && text.back() == L'\\')
            text.pop_back();
        return text + L'\\';
    };
    const std::wstring folded = withBackslash(win::FoldedText(path));
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        const std::wstring own = withBackslash(win::FoldedText(folder));
        return !folder.empty() && folded.compare(0, own.size(), own) == 0;
    });
}
