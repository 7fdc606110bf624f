#include "session/ProgramRules.h"

#include <algorithm>

#include "config/CleanOptionSettings.h"
#include "config/RuleSettings.h"
#include "scan/RuleNames.h"
#include "session/ScanInputs.h"
#include "win/PathParts.h"

ProtectedPlaces ProgramProtectedPlaces(const DataFolders& data, const std::string& backupFolder) {
    return ProtectedPlaces::Current(OwnSkipFolders(
        data.program, {backupFolder, ReadBackupDirectory(data.ConfigPath())}, data.OutsideProgram()));
}

std::vector<std::string> ProgramRuleFiles(const std::string& programFolder, const std::string& configPath,
                                          const Policy& policy) {
    std::vector<std::string> files = RuleFilesOf(programFolder, win::FolderPartOf(configPath));
    if (policy.noWinapp2)
        std::erase_if(files, [](const std::string& file) { return win::NamePartOf(file) != kOwnRuleFile; });
    return files;
}

std::vector<RuleItem> ProgramRules(const std::string& programFolder, const std::string& configPath,
                                   const ProtectedPlaces& places, const Policy& policy) {
    std::vector<RuleItem> items =
        LoadRuleCatalogue(ProgramRuleFiles(programFolder, configPath, policy), ReadRuleChoices(configPath),
                          RuleMachine::Current(places));
    ForceRuleTicks(items, policy);
    return items;
}

void ForceRuleTicks(std::vector<RuleItem>& items, const Policy& policy) {
    auto named = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    for (RuleItem& item : items) {
        if (item.wholeFile)
            continue;
        if (named(policy.rulesOff, item.entry.name)) {
            item.ticked = false;
            item.forced = true;
        } else if (named(policy.rulesOn, item.entry.name)) {
            item.ticked = true;
            item.forced = true;
        }
    }
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
                item.reason + '\t' + KeptKindName(item.kept) + '\t' +
                (!item.forced  ? ""
                 : item.ticked ? "forced on by policy"
                               : "forced off by policy") +
                "\r\n";
    }
    return text;
}

std::vector<ScanPlace> RulePlaces(const std::vector<RuleItem>& items, const RuleVariables& variables) {
    std::vector<ScanPlace> places;
    for (const RuleItem& item : items) {
        if (item.state != RuleState::Ready || !item.ticked)
            continue;
        ScanPlace place;
        place.reason = RuleNameShown(item);
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
