#include "session/ProgramRules.h"

#include <algorithm>

#include "config/CleanOptionSettings.h"
#include "config/RuleSettings.h"
#include "scan/RuleNames.h"
#include "scan/CacheStructures.h"
#include "scan/SearchFolder.h"
#include "session/ScanInputs.h"
#include "win/TruePath.h"
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

std::vector<std::string> CacheRoots(const RuleVariables& variables) {
    std::vector<std::string> roots;
    for (const char* name : {"%LocalAppData%", "%AppData%", "%LocalLowAppData%"})
        for (std::string& folder : variables.Expand(name))
            if (std::find(roots.begin(), roots.end(), folder) == roots.end())
                roots.push_back(std::move(folder));
    return roots;
}

std::vector<SearchExclusion> OfferedRuleFolders(const std::vector<RuleItem>& items,
                                                const RuleVariables& variables) {
    std::vector<SearchExclusion> folders;
    for (const RuleItem& item : items) {
        if (item.state != RuleState::Ready)
            continue;
        for (const RuleFileKey& key : item.entry.files) {
            // Only what the entry would take is its own: the files its masks match there (and
            // below, where it recurses). A folder it takes whole is not entered at all.
            const bool whole =
                key.recurse && key.masks.size() == 1 && (key.masks[0] == "*" || key.masks[0] == "*.*");
            for (std::string& folder : variables.Expand(key.folder))
                folders.push_back(
                    {std::move(folder), whole ? std::vector<std::string>{} : key.masks, key.recurse});
        }
    }
    return folders;
}

std::vector<std::string> KeptCacheApplications(const std::vector<RuleChoice>& choices) {
    std::vector<std::string> kept;
    for (const RuleChoice& choice : choices)
        if (choice.file == kCacheChoiceFile && !choice.ticked)
            kept.push_back(choice.entry);
    return kept;
}

std::vector<RuleItem> CacheApplicationItems(const std::vector<std::string>& applications,
                                            const std::vector<RuleChoice>& choices,
                                            const std::string& group) {
    std::vector<RuleItem> items;
    for (const std::string& application : applications) {
        RuleItem item;
        item.file = kCacheChoiceFile;
        item.entry.name = application;
        item.entry.group = group;
        item.ticked = IsRuleTicked(choices, kCacheChoiceFile, application, true);
        items.push_back(std::move(item));
    }
    return items;
}

std::vector<std::string> FindCacheApplications(const std::vector<std::string>& roots,
                                               const ProtectedPlaces& places,
                                               const std::vector<SearchExclusion>& ruleFolders) {
    CacheFinder finder(places, {}, {});
    const std::vector<SearchExclusion> exclusions = ResolvedExclusions(ruleFolders);
    std::vector<SearchWalk> walks;
    for (const std::string& root : roots) {
        const win::ResultOf<std::string> form = PlaceFolderForm(root);
        if (form.Error() == ERROR_INVALID_NAME)
            continue;
        SearchRequest request;
        request.workers = ListingWorkers();
        request.caches = &finder;
        request.exclusions = exclusions;
        walks.push_back({form.Value(), std::move(request)});
    }
    SearchVisitor nothing;
    SearchFolders(walks, nothing);
    return finder.ApplicationsFound();
}
