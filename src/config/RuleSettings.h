#pragma once
// Which cleaning-rule entries the user ticked or unticked, in config.xml's "Rules" element (one
// "entry" a choice: the rule file's name, the entry's name, "checked" 1 or 0). Older versions of the
// program ignore the element and keep it when they save; a file without it reads as no choices, so
// every entry keeps its own default.

#include <string>
#include <vector>

struct RuleChoice {
    std::string file;   // the rule file's name, as "Quillmoor.rules" or "winapp2.ini"
    std::string entry;  // the entry's name
    bool ticked = false;
    bool operator==(const RuleChoice&) const = default;
};

// The stored choices in file order; none when the file or the element is missing.
std::vector<RuleChoice> ReadRuleChoices(const std::string& configPath);

// Replaces the stored choices (creating the element when needed) and saves; every other setting
// stays as it is. True when the file was saved.
bool WriteRuleChoices(const std::string& configPath, const std::vector<RuleChoice>& choices);

// The tick of an entry: the stored choice, else its default.
bool IsRuleTicked(const std::vector<RuleChoice>& choices, const std::string& file, const std::string& entry,
                  bool ticked);
