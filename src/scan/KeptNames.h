#pragma once
// What a user keeps, told by the names a rule entry's folders and masks give: saved passwords,
// cookies, history, sessions, bookmarks, unsaved work and downloaded media. An entry that reaches
// such a name is never ticked for the user (by a default or a group's tick); the user ticks it
// alone, after a question saying what it reaches.

#include <string>
#include <string_view>

#include "config/RuleFile.h"

enum class KeptKind {
    None,
    Passwords,    // saved passwords, keys and credentials
    Cookies,      // cookies, which keep the user signed in
    History,      // browsing and typing history
    Sessions,     // open tabs and windows to come back to
    Bookmarks,    // bookmarks, favourites and their backups
    UnsavedWork,  // autosaved, recovered and unsaved documents and their backups
    Downloads,    // downloaded and offline media
};

// The first kind, in the order above, that any folder step or mask of the entry's FileKeys
// reaches; None when it reaches none. A step or mask reaches a kind when one of the kind's name
// patterns matches it ("Cookies-journal") or when it, as a mask, matches one of the kind's names
// ("Cook*", "*ookies"). Steps and masks of wildcards only ("*", "*.*") name nothing by themselves.
KeptKind KeptKindOf(const RuleEntry& entry);

// The kind a file or folder name (folded, win::Folded) is a name of ("COOKIES", "LOGIN DATA",
// "PLACES.SQLITE-WAL"); None for any other name.
KeptKind KeptKindOfName(std::wstring_view foldedName);

// The kind in a few English words, as "/rules" and the rules log say it ("saved passwords").
const char* KeptKindName(KeptKind kind);
// The language key of the kind's words in the user's language ("_ApplicationsKeptCookies"); ""
// for None.
const char* KeptKindKey(KeptKind kind);
