#pragma once
// Which language the program speaks: the user's choice when a translation for it ships, else the
// Windows display language's closest shipped translation, else English. Translations are the files
// "Languages\<tag>.language" beside the program, tagged as Windows tags languages ("de", "pt-BR").

#include <string>
#include <vector>

// The tag of the English file beside the program, which needs no translation.
inline constexpr char kEnglishTag[] = "en";

struct ShippedLanguage {
    std::string tag;  // the file's name without ".language"
    std::string path;
};

// The translations in folder, ordered by tag, found by their names alone (none is read); none
// when the folder is missing.
std::vector<ShippedLanguage> FindShippedLanguages(const std::string& folder);

// The language's own name ("_LanguageName" in its file), else its tag.
std::string OwnNameOf(const ShippedLanguage& language);

// Whether two tags name the same language tag, without regard to case.
bool SameLanguageTag(const std::string& a, const std::string& b);

// The shipped tag that speaks the language of a Windows display language tag: the same tag, else
// the tag of its base language ("de" for "de-AT"), else a shipped variant of that base language
// ("pt-BR" for "pt-PT"), except that Chinese written with traditional characters never gets
// simplified ones. Tags compare without regard to case. Empty when none does.
std::string ClosestShippedTag(const std::string& displayTag, const std::vector<std::string>& shippedTags);

// The tag to speak: chosen (kEnglishTag, a shipped tag, or empty for "as Windows") when it is
// English or shipped, else the closest to the display language, else kEnglishTag.
std::string PickLanguage(const std::string& chosen, const std::string& displayTag,
                         const std::vector<std::string>& shippedTags);

// The user's Windows display language as a tag ("de-DE"); empty when the system cannot say.
std::string DisplayLanguageTag();
