#pragma once
// Dates, numbers, sizes and counted words as the language the program speaks writes them. The
// words come from the language files; the forms of dates and numbers from the Windows locale of
// that language (the user's own locale when it is of the same language, so a German user in
// Austria keeps the Austrian forms), never from the Windows display language: a user who chose
// German in the menu reads German dates.

#include <windows.h>

#include <cstdint>
#include <string>

// How a language chooses among the forms of a counted word.
enum class PluralRule {
    kOneOther,      // one (1), other: English, German, Spanish
    kZeroOneOther,  // one (0 and 1), other: French, Brazilian Portuguese
    kOneFewMany,    // one (1), few (2-4, 22-24, ... but not 12-14), many: Polish
    kSingle,        // one form for every count: Japanese, Chinese
};

struct TextLocale {
    std::wstring name = L"en-US";  // a Windows locale name
    PluralRule plural = PluralRule::kOneOther;
};

// The locale that writes dates and numbers for the language tag ("de", "pt-BR"): the user's own
// locale (userLocale, such as "de-AT") when it is of the same language, else the language's own
// country's. The plural rule is the language's.
TextLocale LocaleForLanguage(const std::string& tag, const std::string& userLocale);

// The user's locale name ("de-AT"), empty when the system cannot say.
std::string UserLocaleName();

// The locale of the language the program speaks; set once at start, before any thread reads it.
const TextLocale& CurrentLocale();
void SetCurrentLocale(const TextLocale& locale);

// The form of a counted word for count: forms holds the language's forms separated by '|', in the
// order of its rule (one|other; Polish one|few|many; one form where the language has only one). A
// text with fewer forms than its rule has gives its last one.
std::string PluralForm(const std::string& forms, uint64_t count, const TextLocale& locale = CurrentLocale());

// A number with the locale's decimal separator and digit grouping, with the given decimals.
std::string NumberText(double value, int decimals, const TextLocale& locale = CurrentLocale());
std::string CountText(uint64_t count, const TextLocale& locale = CurrentLocale());

// A size in the unit that fits it (bytes, KB, MB or GB, each a language key), with three figures:
// "7.05 KB", "12.3 MB", "512 KB".
std::string SizeText(uint64_t bytes, const TextLocale& locale = CurrentLocale());

// A point in time in local time, as the locale writes its short date and time, with seconds where
// two points of one minute must read apart.
enum class Seconds { kShown, kLeftOut };
std::string DateTimeText(const SYSTEMTIME& local, Seconds seconds,
                         const TextLocale& locale = CurrentLocale());
std::string ShortDateText(const SYSTEMTIME& local, const TextLocale& locale = CurrentLocale());

// A day as the locale names it: day and month within now's year, else the long date.
std::string DayText(const SYSTEMTIME& date, const SYSTEMTIME& now,
                    const TextLocale& locale = CurrentLocale());
