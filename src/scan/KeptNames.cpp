#include "scan/KeptNames.h"

#include <algorithm>
#include <vector>

#include "scan/Wildcard.h"
#include "win/Fold.h"
#include "win/TextParts.h"

namespace {

// The names applications give what their users keep. Each pattern is matched against a rule's
// steps and masks, and its letters alone (the pattern without '*') are the name that a rule's
// mask is matched against, so "cookies*" catches "Cookies-journal" as well as a mask "*ookies".
// Written small; folded like the steps before they are compared.
struct KeptRow {
    KeptKind kind;
    const char* name;         // a few English words, for "/rules" and the rules log
    const char* languageKey;  // the user's own words, in the Applications list
    std::vector<const wchar_t*> patterns;
};

const std::vector<KeptRow>& KeptTable() {
    static const std::vector<KeptRow> table = {
        {KeptKind::Passwords,
         "saved passwords and credentials",
         "_ApplicationsKeptPasswords",
         {L"login data*", L"logins.json", L"logins*.json", L"key3.db", L"key4.db", L"signons*", L"*password*",
          L"*credential*", L"vault", L"web data*", L"wallet*"}},
        {KeptKind::Cookies,
         "cookies",
         "_ApplicationsKeptCookies",
         {L"cookies*", L"*cookie*", L"inetcookies"}},
        {KeptKind::History,
         "history",
         "_ApplicationsKeptHistory",
         {L"history*", L"*history", L"places.sqlite*", L"visited links", L"top sites*", L"typedurls",
          L"formhistory*"}},
        {KeptKind::Sessions,
         "sessions",
         "_ApplicationsKeptSessions",
         {L"sessions*", L"*session*", L"current tabs", L"last tabs", L"sessionstore*", L"recovery.js*"}},
        {KeptKind::Bookmarks,
         "bookmarks and their backups",
         "_ApplicationsKeptBookmarks",
         {L"bookmarks*", L"*bookmark*", L"favorites", L"favourites"}},
        {KeptKind::UnsavedWork,
         "unsaved or autosaved work",
         "_ApplicationsKeptUnsaved",
         {L"*autosave*", L"*autorecover*", L"*unsaved*", L"backups", L"*backup*", L"*.asd", L"*draft*",
          L"*recovered*"}},
        {KeptKind::Downloads,
         "downloaded media",
         "_ApplicationsKeptDownloads",
         {L"downloads*", L"*downloaded*", L"offline*", L"*songs*", L"podcasts*", L"*episodes*"}},
    };
    return table;
}

// A step or mask with no letter of its own takes whatever is there and names nothing.
bool NamesSomething(std::wstring_view text) {
    return text.find_first_not_of(L"*?.") != std::wstring_view::npos;
}

struct FoldedRow {
    KeptKind kind;
    std::vector<std::wstring> patterns;
    std::vector<std::wstring> names;
};

std::vector<FoldedRow> FoldTable() {
    std::vector<FoldedRow> rows;
    for (const KeptRow& row : KeptTable()) {
        FoldedRow& folded = rows.emplace_back();
        folded.kind = row.kind;
        for (const wchar_t* pattern : row.patterns) {
            std::wstring text = win::Folded(pattern);
            std::wstring name = text;
            name.erase(std::remove(name.begin(), name.end(), L'*'), name.end());
            folded.patterns.push_back(std::move(text));
            folded.names.push_back(std::move(name));
        }
    }
    return rows;
}

bool Reaches(const FoldedRow& row, const std::wstring& folded) {
    if (!NamesSomething(folded))
        return false;
    for (size_t i = 0; i < row.patterns.size(); ++i)
        if (MatchWildcard(row.patterns[i], folded) || MatchWildcard(folded, row.names[i]))
            return true;
    return false;
}

const std::vector<FoldedRow>& FoldedTable() {
    static const std::vector<FoldedRow> table = FoldTable();
    return table;
}

}  // namespace

KeptKind KeptKindOfName(std::wstring_view foldedName) {
    for (const FoldedRow& row : FoldedTable())
        for (const std::wstring& pattern : row.patterns)
            if (MatchWildcard(pattern, foldedName))
                return row.kind;
    return KeptKind::None;
}

KeptKind KeptKindOf(const RuleEntry& entry) {
    const std::vector<FoldedRow>& table = FoldedTable();
    std::vector<std::wstring> names;
    for (const RuleFileKey& key : entry.files) {
        const std::wstring folder = win::FoldedText(key.folder);
        for (const std::wstring_view step : win::Split(folder, L'\\'))
            names.emplace_back(step);
        for (const std::string& mask : key.masks)
            names.push_back(win::FoldedText(mask));
    }
    for (const FoldedRow& row : table)
        if (std::any_of(names.begin(), names.end(),
                        [&](const std::wstring& name) { return Reaches(row, name); }))
            return row.kind;
    return KeptKind::None;
}

const char* KeptKindName(KeptKind kind) {
    for (const KeptRow& row : KeptTable())
        if (row.kind == kind)
            return row.name;
    return "";
}

const char* KeptKindKey(KeptKind kind) {
    for (const KeptRow& row : KeptTable())
        if (row.kind == kind)
            return row.languageKey;
    return "";
}
