#include "core/LanguageChoice.h"

#include <windows.h>

#include <algorithm>

#include "core/LanguageFile.h"
#include "win/ApiPath.h"
#include "win/FolderListing.h"
#include "win/Text.h"

namespace {

constexpr char kExtension[] = ".language";

std::string BaseOf(const std::string& tag) {
    return LanguageKey(tag.substr(0, tag.find('-')));
}

// Chinese of Taiwan, Hong Kong and Macao, and any tag naming the traditional script.
bool IsTraditionalChinese(const std::string& tag) {
    const std::string lower = LanguageKey(tag);
    return lower.rfind("zh-", 0) == 0 && (lower.find("hant") != std::string::npos || lower == "zh-tw" ||
                                          lower == "zh-hk" || lower == "zh-mo");
}

}  // namespace

std::vector<ShippedLanguage> FindShippedLanguages(const std::string& folder) {
    std::vector<ShippedLanguage> found;
    win::FolderListing listing(win::FileApiPath(folder));
    win::ListedEntry entry;
    while (listing.Next(entry)) {
        const std::string file = win::Narrow(entry.name);
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || file.size() <= sizeof(kExtension) - 1)
            continue;
        const size_t dot = file.size() - (sizeof(kExtension) - 1);
        if (LanguageKey(file.substr(dot)) == kExtension)
            found.push_back({file.substr(0, dot), folder + "\\" + file});
    }
    std::sort(found.begin(), found.end(), [](const ShippedLanguage& a, const ShippedLanguage& b) {
        return LanguageKey(a.tag) < LanguageKey(b.tag);
    });
    return found;
}

std::string OwnNameOf(const ShippedLanguage& language) {
    LanguageTexts texts;
    ReadLanguageFile(language.path, texts);
    const auto name = texts.find("_languagename");
    return name != texts.end() && !name->second.empty() ? name->second : language.tag;
}

bool SameLanguageTag(const std::string& a, const std::string& b) {
    return LanguageKey(a) == LanguageKey(b);
}

std::string ClosestShippedTag(const std::string& displayTag, const std::vector<std::string>& shippedTags) {
    if (displayTag.empty())
        return {};
    for (const std::string& tag : shippedTags)
        if (SameLanguageTag(tag, displayTag))
            return tag;
    const std::string base = BaseOf(displayTag);
    for (const std::string& tag : shippedTags)
        if (SameLanguageTag(tag, base))
            return tag;
    if (IsTraditionalChinese(displayTag))
        return {};
    for (const std::string& tag : shippedTags)
        if (BaseOf(tag) == base && !IsTraditionalChinese(tag))
            return tag;
    return {};
}

std::string PickLanguage(const std::string& chosen, const std::string& displayTag,
                         const std::vector<std::string>& shippedTags) {
    if (SameLanguageTag(chosen, kEnglishTag))
        return kEnglishTag;
    for (const std::string& tag : shippedTags)
        if (!chosen.empty() && SameLanguageTag(tag, chosen))
            return tag;
    const std::string closest = ClosestShippedTag(displayTag, shippedTags);
    return closest.empty() ? kEnglishTag : closest;
}

std::string DisplayLanguageTag() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (!::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name,
                            LOCALE_NAME_MAX_LENGTH, 0))
        return {};
    return win::Narrow(name);
}
