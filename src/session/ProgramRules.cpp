#include "session/ProgramRules.h"

#include "config/RuleSettings.h"
#include "win/PathParts.h"

std::vector<RuleItem> ProgramRules(const std::string& programFolder, const std::string& configPath) {
    const std::string configFolder = win::FolderPartOf(configPath);
    std::vector<RuleItem> items = LoadRuleCatalogue(RuleFilesOf(programFolder, configFolder),
                                                    ReadRuleChoices(configPath), RuleMachine::Current());
    WriteRulesLog(configFolder + "\\rules.log", items);
    return items;
}

std::string RulesListing(const std::vector<RuleItem>& items) {
    std::string text;
    for (const RuleItem& item : items) {
        const bool detected = item.state != RuleState::NotDetected && item.state != RuleState::LeftOut;
        const bool ticked = item.state == RuleState::Ready && item.ticked;
        text += item.file + '\t' + item.entry.group + '\t' + item.entry.name + '\t' +
                (detected ? "detected" : "not detected") + '\t' + (ticked ? "ticked" : "not ticked") + '\t' +
                item.reason + "\r\n";
    }
    return text;
}
