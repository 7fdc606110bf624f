#pragma once
// The cleaning rules of this program on this machine: the rule files beside the program (and a
// winapp2.ini beside config.xml), their entries checked here, ticked as config.xml says; what was
// left out goes to "rules.log" beside config.xml when a scan is prepared and on "/rules".

#include <string>
#include <vector>

#include "config/Policy.h"
#include "core/DataFolders.h"
#include "scan/RuleCatalogue.h"
#include "scan/ScanWorker.h"

// The places no rule and no system location may take from, with the program's own folders: the
// program folder, the user's data folders (data), and the backup folder of data's config.xml and
// backupFolder (the wizard's, when given).
ProtectedPlaces ProgramProtectedPlaces(const DataFolders& data, const std::string& backupFolder = {});

// The rule files the program reads: RuleFilesOf, without any winapp2.ini where the policy says so.
std::vector<std::string> ProgramRuleFiles(const std::string& programFolder, const std::string& configPath,
                                          const Policy& policy);

// Reads the rule files of the program in programFolder with the choices of configPath, each entry
// judged against places, and the ticks the policy forces (ForceRuleTicks); writes nothing, so that
// looking at the rules (the Applications list) leaves no trace.
std::vector<RuleItem> ProgramRules(const std::string& programFolder, const std::string& configPath,
                                   const ProtectedPlaces& places, const Policy& policy);

// Ticks the entries the policy names on and unticks those it names off (by name, in any rule file),
// marking them forced. Off wins where an entry is named both ways. An entry that is not offered here
// (unsafe, left out, not detected, for an administrator) stays unoffered: a policy adds no place
// the checks refused.
void ForceRuleTicks(std::vector<RuleItem>& items, const Policy& policy);

// Where the rules log of configPath goes: "rules.log" beside it.
std::string RulesLogPath(const std::string& configPath);

// What "/rules" prints: one line an entry, tab-separated: the file, the group, the name, "detected"
// or "not detected", "ticked" or "not ticked", why it is not offered (empty when it is), and what
// the user keeps that it reaches (empty when nothing: such an entry is ticked only by the user), and
// "forced on by policy" or "forced off by policy" (empty when the tick is the user's or the default).
std::string RulesListing(const std::vector<RuleItem>& items);

// The places the ticked entries that are offered here take their files from, with variables
// expanded (a folder naming several, as %ProgramFiles% does, gives one place folder each); each
// file is reported with its entry's name.
std::vector<ScanPlace> RulePlaces(const std::vector<RuleItem>& items, const RuleVariables& variables);

// The folders searched for caches recognised by their structure: the user's application data
// (Local, Roaming, LocalLow) as variables names them.
std::vector<std::string> CacheRoots(const RuleVariables& variables);

// What every offered entry, ticked or not, would take (its folders with its masks, and below them
// where it recurses; a folder it takes whole with no mask, so that it is not entered): the
// structures leave it to the entry (ScanJob::cacheExclusions).
std::vector<SearchExclusion> OfferedRuleFolders(const std::vector<RuleItem>& items,
                                                const RuleVariables& variables);

// The applications whose caches the user keeps: those unticked in choices.
std::vector<std::string> KeptCacheApplications(const std::vector<RuleChoice>& choices);

// The Applications list's items for the applications whose caches were found by their structure,
// in group: one offered item each, ticked as choices say, else ticked.
std::vector<RuleItem> CacheApplicationItems(const std::vector<std::string>& applications,
                                            const std::vector<RuleChoice>& choices, const std::string& group);

// The applications with a cache found by its structure in roots now, kept ones included, walked
// as a scan walks them (the protected places judge each cache, the rules' folders are left out).
std::vector<std::string> FindCacheApplications(const std::vector<std::string>& roots,
                                               const ProtectedPlaces& places,
                                               const std::vector<SearchExclusion>& ruleFolders = {});
