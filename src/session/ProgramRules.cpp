#include "session/ProgramRules.h"

#include "config/CleanOptionSettings.h"
#include "config/RuleSettings.h"
#include "session/ScanInputs.h"
#include "win/PathParts.h"

ProtectedPlaces ProgramProtectedPlaces(const DataFolders& data, const std::string& backupFolder) {
    return ProtectedPlaces::Current(OwnSkipFolders(
        data.program, {backupFolder, ReadBackupDirectory(data.ConfigPath())}, data.OutsideProgram()));
}

std::vector<RuleItem> ProgramRules(const std::string& programFolder, const std::string& configPath,
                                   const ProtectedPlaces& places) {
    return LoadRuleCatalogue(RuleFilesOf(programFolder, win::FolderPartOf(configPath)),
                             ReadRuleChoices(configPath), RuleMachine::Current(places));
}

std::string RulesLogPath(const std::string& configPath) {
    return win::FolderPartOf(configPath) + "\\rules.log";
}

std::string RulesListing(const std::vector<RuleItem>& items) {
    std::string text;
    for (const RuleItem& item : items) {
        const bool detected = item.state != RuleState::NotDetected && item.state != RuleState::LeftOut;
        const bool ticked = item.state == RuleState::Ready && item.ticked;
        text += item.file + '\t' + item.entry.group + '\t' + item.entry.name + '\t' +
                (detected ? "detected" : "not detected") + '\t' + (ticked ? "ticked" : "not ticked") + '\t' +
                item.reason + '\t' + KeptKindName(item.kept) + "\r\n";
    }
    return text;
}

std::vector<ScanPlace> RulePlaces(const std::vector<RuleItem>& items, const RuleVariables& variables) {
    std::vector<ScanPlace> places;
    for (const RuleItem& item : items) {
        if (item.state != RuleState::Ready || !item.ticked)
            continue;
        ScanPlace place;
        place.reason = item.entry.name;
        // The user ticked it after being told what it reaches.
        place.mayTakeKept = item.kept != KeptKind::None;
        for (const RuleFileKey& key : item.entry.files)
            for (std::string& folder : variables.Expand(key.folder))
                place.folders.push_back({std::move(folder), key.masks, key.recurse, key.removeSelf});
        for (const RuleExclude& exclude : item.entry.excludes)
            for (std::string& folder : variables.Expand(exclude.folder))
                place.exclusions.push_back({std::move(folder), exclude.masks, exclude.wholeFolders});
        if (!place.folders.empty())
            places.push_back(std::move(place));
    }
    return places;
}
