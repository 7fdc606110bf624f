#include "scan/RuleCatalogue.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>

#include "scan/RuleDetection.h"
#include "scan/RuleFileTrust.h"
#include "scan/Wildcard.h"
#include "win/Fold.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/ReplacingFile.h"
#include "win/Text.h"
#include "win/TruePath.h"
#include "win/UniqueHandle.h"

namespace {

bool RunsElevated() {
    win::UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size) &&
           elevation.TokenIsElevated != 0;
}

// Checks the entry's folders on the machine; the state and reason when it is not offered.
class EntryCheck {
  public:
    EntryCheck(const RuleMachine& machine)
        : machine_(machine), detector_(machine.variables, machine.windows) {}

    void Check(RuleItem& item) {
        const RuleEntry& entry = item.entry;
        if (!entry.leftOut.empty())
            return Set(item, RuleState::LeftOut, entry.leftOut);
        for (size_t i = 0; i < entry.files.size(); ++i)
            for (const std::string& folder : machine_.variables.Expand(entry.files[i].folder))
                if (!win::IsFullPath(folder))
                    return Set(item, RuleState::LeftOut,
                               "FileKey" + std::to_string(i + 1) + " names no full path");
        for (const RuleExclude& exclude : entry.excludes)
            for (const std::string& folder : machine_.variables.Expand(exclude.folder))
                if (!win::IsFullPath(folder))
                    return Set(item, RuleState::LeftOut, "an ExcludeKey names no full path");
        if (!detector_.IsDetected(entry))
            return Set(item, RuleState::NotDetected, "");
        // Judged where each folder resolves now, by the names its masks match; the scan judges
        // each folder again where it leads then.
        bool administrator = false;
        for (size_t i = 0; i < entry.files.size(); ++i) {
            const RuleFileKey& key = entry.files[i];
            for (const std::string& text : machine_.variables.Expand(key.folder)) {
                const win::ResultOf<std::string> folder = PlaceFolderForm(text);
                if (folder.Error() == ERROR_INVALID_NAME)
                    return Set(
                        item, RuleState::Unsafe,
                        "FileKey" + std::to_string(i + 1) + " names " + text +
                            ", which cannot be told apart from the user's or the system's own folders");
                const std::string why =
                    WhyProtected(machine_.places, folder.Value(), key.masks, key.recurse || key.removeSelf);
                if (!why.empty())
                    return Set(item, RuleState::Unsafe, "FileKey" + std::to_string(i + 1) + ": " + why);
                administrator = administrator ||
                                std::any_of(machine_.administratorFolders.begin(),
                                            machine_.administratorFolders.end(), [&](const std::string& a) {
                                                return !a.empty() && CanNameInside(folder.Value(), a);
                                            });
            }
        }
        if (administrator && !machine_.elevated)
            return Set(item, RuleState::NeedsAdministrator, "needs an administrator");
    }

  private:
    static void Set(RuleItem& item, RuleState state, std::string reason) {
        item.state = state;
        item.reason = std::move(reason);
    }

    const RuleMachine& machine_;
    RuleDetector detector_;
};

}  // namespace

RuleMachine RuleMachine::Current(ProtectedPlaces places) {
    RuleMachine machine;
    machine.places = std::move(places);
    machine.variables = RuleVariables::Current();
    const std::string windowsFolder =
        win::FetchSystemText([](wchar_t* b, UINT n) { return ::GetWindowsDirectoryW(b, n); });
    const std::vector<std::string> programFiles = machine.variables.Expand("%ProgramFiles%");
    const std::string programData = KnownFolderPath(FOLDERID_ProgramData);
    machine.administratorFolders = {windowsFolder, programData};
    machine.administratorFolders.insert(machine.administratorFolders.end(), programFiles.begin(),
                                        programFiles.end());
    // In the form the rules' folders are compared in.
    for (std::string& folder : machine.administratorFolders)
        if (!folder.empty())
            folder = win::TruePathOfText(folder).Value();
    machine.elevated = RunsElevated();
    machine.windows = WindowsVersion();
    return machine;
}

std::vector<std::string> RuleFilesOf(const std::string& programFolder, const std::string& configFolder) {
    std::vector<std::string> files;
    auto addIfThere = [&files](const std::string& path) {
        if (win::FileAttributes(path) &&
            std::none_of(files.begin(), files.end(),
                         [&](const std::string& known) { return win::SameFolded(known, path); }))
            files.push_back(path);
    };
    addIfThere(programFolder + "\\Quillmoor.rules");
    addIfThere(programFolder + "\\winapp2.ini");
    addIfThere(configFolder + "\\winapp2.ini");
    return files;
}

bool IsDefaultTicked(const RuleItem& item) {
    if (item.file == kCacheChoiceFile)
        return true;
    return item.file == kOwnRuleFile && item.entry.byDefault && item.entry.warning.empty() &&
           item.kept == KeptKind::None;
}

namespace {

// Reads a rule file through one handle, so that the file checked is the file read.
bool ReadRuleFile(const std::string& path, bool elevated, std::string& text, std::string& refused) {
    win::UniqueFile file = win::OpenFile(path, GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, OPEN_EXISTING);
    if (!file)
        return false;
    if (elevated) {
        refused = CheckRuleFile(file.get());
        if (!refused.empty())
            return false;
    }
    return ReadRuleFileText(file.get(), text);
}

// Leaves out every entry whose name another entry of the same file has too: a choice is kept by
// name, so it would tick both, and a harmless first entry would carry a greedy second one.
void LeaveOutSharedNames(std::vector<RuleEntry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i)
        for (size_t j = i + 1; j < entries.size(); ++j)
            if (win::SameFolded(entries[i].name, entries[j].name)) {
                const std::string reason = "another entry of this file has the same name, so neither is used";
                entries[i].leftOut = reason;
                entries[j].leftOut = reason;
            }
}

}  // namespace

std::vector<RuleItem> LoadRuleCatalogue(const std::vector<std::string>& files,
                                        const std::vector<RuleChoice>& choices, const RuleMachine& machine) {
    std::vector<RuleItem> items;
    EntryCheck check(machine);
    for (const std::string& path : files) {
        const std::string file = win::NamePartOf(path);
        std::string text, refused;
        if (!ReadRuleFile(path, machine.elevated, text, refused)) {
            if (!refused.empty()) {
                RuleItem& item = items.emplace_back();
                item.file = file;
                item.wholeFile = true;
                item.state = RuleState::LeftOut;
                item.reason = "the whole file is skipped in a run as administrator: " + refused;
            }
            continue;
        }
        std::vector<RuleEntry> entries = ParseRules(text);
        LeaveOutSharedNames(entries);
        for (RuleEntry& entry : entries) {
            RuleItem& item = items.emplace_back();
            item.file = file;
            item.entry = std::move(entry);
            check.Check(item);
            item.kept = KeptKindOf(item.entry);
            // A warned entry, and one reaching what the user keeps, is ticked only by the user's
            // own choice, once asked.
            item.ticked = IsRuleTicked(choices, file, item.entry.name, IsDefaultTicked(item));
        }
    }
    return items;
}

void WriteRulesLog(const std::string& path, const std::vector<RuleItem>& items) {
    std::string text;
    for (const RuleItem& item : items)
        if (item.state == RuleState::LeftOut || item.state == RuleState::Unsafe)
            text += item.file + '\t' + item.entry.name + '\t' + item.reason + "\r\n";
    if (text.empty()) {
        (void)win::RemoveFile(path);  // an old log that stays names what an earlier run left out
        return;
    }
    win::ReplacingFile log(path);
    log.Add(text);
    log.Finish();
}
