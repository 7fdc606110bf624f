#include "scan/RuleNames.h"

#include <algorithm>
#include <cctype>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/TextFile.h"

namespace {

// The groups the community format numbers, from its own description of LangSecRef.
struct NumberedGroup {
    const char* number;
    const char* key;
};

constexpr NumberedGroup kNumberedGroups[] = {
    {"3001", "_RuleGroupInternetExplorer"}, {"3002", "_RuleGroupWindowsExplorer"},
    {"3005", "_RuleGroupMicrosoftEdge"},    {"3021", "_RuleGroupApplications"},
    {"3022", "_RuleGroupInternet"},         {"3023", "_RuleGroupMultimedia"},
    {"3024", "_RuleGroupUtilities"},        {"3025", "_RuleGroupWindows"},
    {"3026", "_RuleGroupFirefox"},          {"3027", "_RuleGroupOpera"},
    {"3028", "_RuleGroupSafari"},           {"3029", "_RuleGroupGoogleChrome"},
    {"3030", "_RuleGroupThunderbird"},      {"3031", "_RuleGroupWindowsStore"},
    {"3033", "_RuleGroupVivaldi"},          {"3034", "_RuleGroupBrave"},
};

// A key made of an underscore, a prefix and the words of an English text, each begun in capitals:
// "RuleKind" and "crash reports" give "_RuleKindCrashReports". Only letters and digits are kept.
// (The prefix comes without its underscore, so no check of the keys in the sources takes it for
// a key of its own.)
std::string KeyOf(const char* prefix, std::string_view words) {
    std::string key = std::string(1, '_') + prefix;
    bool wordStarts = true;
    for (char c : words) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && std::isalnum(byte)) {
            key += wordStarts ? static_cast<char>(std::toupper(byte)) : c;
            wordStarts = false;
        } else {
            wordStarts = true;
        }
    }
    return key;
}

// The key's text, or "" when the language files have none (Translate gives the key back).
std::string TextOfKey(const std::string& key) {
    std::string text = Translate(key);
    return text == key ? std::string() : text;
}

}  // namespace

std::string ShippedGroupKey(std::string_view section) {
    return KeyOf("RuleGroup", section);
}

std::string ShippedKindKey(std::string_view name) {
    const size_t colon = name.find(": ");
    return colon == std::string_view::npos ? std::string() : KeyOf("RuleKind", name.substr(colon + 2));
}

const char* LangSecRefKey(std::string_view number) {
    number = Trimmed(number);
    const auto found = std::find_if(std::begin(kNumberedGroups), std::end(kNumberedGroups),
                                    [&](const NumberedGroup& g) { return number == g.number; });
    return found == std::end(kNumberedGroups) ? nullptr : found->key;
}

std::string RuleGroupShown(const RuleItem& item) {
    const RuleEntry& entry = item.entry;
    if (entry.groupByNumber) {
        const char* key = LangSecRefKey(entry.group);
        return Translate(key ? key : "_ApplicationsOtherGroup");
    }
    if (entry.group.empty())
        return Translate("_ApplicationsOtherGroup");
    if (item.file == kOwnRuleFile) {
        const std::string text = TextOfKey(ShippedGroupKey(entry.group));
        if (!text.empty())
            return text;
    }
    return entry.group;
}

std::string RuleNameShown(const RuleItem& item) {
    const std::string& name = item.entry.name;
    const std::string key = ShippedKindKey(name);
    if (item.file != kOwnRuleFile || key.empty())
        return name;
    const std::string kind = TextOfKey(key);
    if (kind.empty())
        return name;
    return FormatText(Translate("_RuleEntryName"), {name.substr(0, name.find(": ")), kind});
}
