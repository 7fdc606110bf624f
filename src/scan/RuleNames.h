#pragma once
// The words shown for what rule files name: a community file's numbered groups (LangSecRef) by
// their names in the user's language, and the shipped file's groups and entry names through the
// language files. The files keep their own texts: config.xml's ticks and "/rules" use those.

#include <string>
#include <string_view>

#include "scan/RuleCatalogue.h"

// The language key of a LangSecRef number the format describes ("3021": Applications), or nullptr.
const char* LangSecRefKey(std::string_view number);

// The language keys of the shipped file's section ("Browsers": "_RuleGroupBrowsers") and of the
// kind of an entry named "Application: kind" ("crash reports": "_RuleKindCrashReports"; "" for a
// name without a kind).
std::string ShippedGroupKey(std::string_view section);
std::string ShippedKindKey(std::string_view name);

// The group an entry is listed under, in the user's language: a known LangSecRef number by its
// name, an unknown one (or none) as "Other". A Section text of the shipped file through its key,
// of any other file as written.
std::string RuleGroupShown(const RuleItem& item);

// The entry's name as shown: the shipped file's "Application: kind" with the kind through its key
// and the two joined as "_RuleEntryName" says; any other name, or one whose kind has no key, as
// written.
std::string RuleNameShown(const RuleItem& item);
