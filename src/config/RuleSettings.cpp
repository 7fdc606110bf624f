#include "config/RuleSettings.h"

#include "config/ConfigDocument.h"

namespace {

constexpr char kProgramNode[] = "/config/quillmoor";
constexpr char kRulesNode[] = "/config/quillmoor/Rules";
constexpr char kChoiceNodes[] = "/config/quillmoor/Rules/entry";

}  // namespace

std::vector<RuleChoice> ReadRuleChoices(const std::string& configPath) {
    std::vector<RuleChoice> choices;
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return choices;
    for (const XmlNode& node : document.SelectNodes(kChoiceNodes)) {
        const auto checked = document.ReadAttribute(node.get(), "checked");
        // A choice that says neither yes nor no is no choice: the entry keeps its default.
        if (checked && (*checked == "0" || *checked == "1"))
            choices.push_back({document.ReadText(node.get(), "file"), document.ReadText(node.get(), "name"),
                               *checked == "1"});
    }
    return choices;
}

bool WriteRuleChoices(const std::string& configPath, const std::vector<RuleChoice>& choices) {
    ConfigDocument document(configPath);
    if (!document.IsLoaded())
        return false;
    XmlNode rules = document.SelectSingleNode(kRulesNode);
    if (!rules) {
        XmlNode program = document.SelectSingleNode(kProgramNode);
        if (!program)
            return false;
        document.AppendElement(program.get(), "Rules", "", {});
        rules = document.SelectSingleNode(kRulesNode);
    }
    for (const XmlNode& old : document.SelectNodes(kChoiceNodes))
        document.RemoveChild(rules.get(), old.get());
    for (const RuleChoice& choice : choices)
        document.AppendElement(
            rules.get(), "entry", "",
            {{"checked", choice.ticked ? "1" : "0"}, {"file", choice.file}, {"name", choice.entry}});
    return document.Save();
}

bool IsRuleTicked(const std::vector<RuleChoice>& choices, const std::string& file, const std::string& entry,
                  bool ticked) {
    for (const RuleChoice& choice : choices)
        if (choice.file == file && choice.entry == entry)
            ticked = choice.ticked;
    return ticked;
}
