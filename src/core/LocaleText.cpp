#include "core/LocaleText.h"

#include <cmath>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "win/Text.h"
#include "win/TextParts.h"

namespace {

struct LanguageConventions {
    const char* language;    // the tag's language part, lower case
    const wchar_t* country;  // the locale of the language's own country
    PluralRule plural;
};

// One row per language the program may speak; a language not listed counts like English.
constexpr LanguageConventions kLanguages[] = {
    {"en", L"en-US", PluralRule::kOneOther},     {"de", L"de-DE", PluralRule::kOneOther},
    {"es", L"es-ES", PluralRule::kOneOther},     {"fr", L"fr-FR", PluralRule::kZeroOneOther},
    {"pt", L"pt-BR", PluralRule::kZeroOneOther}, {"pl", L"pl-PL", PluralRule::kOneFewMany},
    {"ja", L"ja-JP", PluralRule::kSingle},       {"zh", L"zh-CN", PluralRule::kSingle},
};

std::string LanguagePart(const std::string& tag) {
    return win::LowerAscii(tag.substr(0, tag.find_first_of("-_")));
}

TextLocale& Current() {
    static TextLocale locale;
    return locale;
}

std::wstring LocaleString(const TextLocale& locale, LCTYPE type) {
    wchar_t text[32] = {};
    return ::GetLocaleInfoEx(locale.name.c_str(), type, text, 32) > 0 ? std::wstring(text) : std::wstring();
}

UINT LocaleNumber(const TextLocale& locale, LCTYPE type, UINT fallback) {
    DWORD value = 0;
    return ::GetLocaleInfoEx(locale.name.c_str(), type | LOCALE_RETURN_NUMBER,
                             reinterpret_cast<LPWSTR>(&value), sizeof(value) / sizeof(wchar_t)) > 0
               ? value
               : fallback;
}

// NUMBERFMT's grouping from the locale's "3;0" (threes throughout), "3;2;0" (three, then twos) or
// "3" (one group of three only).
UINT Grouping(const std::wstring& text) {
    if (text == L"3;2;0")
        return 32;
    if (text.empty() || text[0] < L'0' || text[0] > L'9')
        return 3;
    const UINT first = static_cast<UINT>(text[0] - L'0');
    return text.size() == 1 ? first * 10 : first;
}

}  // namespace

TextLocale LocaleForLanguage(const std::string& tag, const std::string& userLocale) {
    const std::string language = LanguagePart(tag);
    TextLocale locale;
    for (const LanguageConventions& row : kLanguages) {
        if (language == row.language) {
            locale.name = row.country;
            locale.plural = row.plural;
        }
    }
    if (!userLocale.empty() && LanguagePart(userLocale) == language)
        locale.name = win::Wide(userLocale);
    return locale;
}

std::string UserLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    return ::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 ? win::Narrow(name) : std::string();
}

const TextLocale& CurrentLocale() {
    return Current();
}

void SetCurrentLocale(const TextLocale& locale) {
    Current() = locale;
}

std::string PluralForm(const std::string& forms, uint64_t count, const TextLocale& locale) {
    size_t form = 0;
    switch (locale.plural) {
        case PluralRule::kOneOther:
            form = count == 1 ? 0 : 1;
            break;
        case PluralRule::kZeroOneOther:
            form = count <= 1 ? 0 : 1;
            break;
        case PluralRule::kOneFewMany: {
            const uint64_t tens = count % 100;
            form = count == 1 ? 0 : count % 10 >= 2 && count % 10 <= 4 && !(tens >= 12 && tens <= 14) ? 1 : 2;
            break;
        }
        case PluralRule::kSingle:
            form = 0;
            break;
    }
    const std::vector<std::string_view> parts = win::Split(forms, '|');
    if (parts.empty())
        return forms;
    return std::string(parts[std::min(form, parts.size() - 1)]);
}

std::string NumberText(double value, int decimals, const TextLocale& locale) {
    char plain[64];
    std::snprintf(plain, sizeof(plain), "%.*f", decimals, value);
    std::wstring decimal = LocaleString(locale, LOCALE_SDECIMAL);
    std::wstring thousand = LocaleString(locale, LOCALE_STHOUSAND);
    NUMBERFMTW format{};
    format.NumDigits = static_cast<UINT>(decimals);
    format.LeadingZero = LocaleNumber(locale, LOCALE_ILZERO, 1);
    format.Grouping = Grouping(LocaleString(locale, LOCALE_SGROUPING));
    format.lpDecimalSep = decimal.data();
    format.lpThousandSep = thousand.data();
    format.NegativeOrder = LocaleNumber(locale, LOCALE_INEGNUMBER, 1);
    wchar_t text[96] = {};
    if (decimal.empty() || ::GetNumberFormatEx(locale.name.c_str(), 0, win::Wide(plain).c_str(), &format,
                                               text, static_cast<int>(std::size(text))) <= 0)
        return plain;
    return win::Narrow(text);
}

std::string CountText(uint64_t count, const TextLocale& locale) {
    return NumberText(static_cast<double>(count), 0, locale);
}

std::string SizeText(uint64_t bytes, const TextLocale& locale) {
    if (bytes < 1024)
        return FormatText(PluralForm(Translate("_SizeInBytes"), bytes, locale), {CountText(bytes, locale)});
    const char* key = "_SizeInGigabytes";
    double value = static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0);
    if (bytes < 1024 * 1024) {
        key = "_SizeInKilobytes";
        value = static_cast<double>(bytes) / 1024.0;
    } else if (bytes < 1024ULL * 1024 * 1024) {
        key = "_SizeInMegabytes";
        value = static_cast<double>(bytes) / (1024.0 * 1024.0);
    }
    // Three figures: two decimals below ten, one below a hundred, none above.
    const int decimals = value < 9.995 ? 2 : value < 99.95 ? 1 : 0;
    return FormatText(Translate(key), {NumberText(value, decimals, locale)});
}

std::string ShortDateText(const SYSTEMTIME& local, const TextLocale& locale) {
    wchar_t date[128] = {};
    if (::GetDateFormatEx(locale.name.c_str(), DATE_SHORTDATE, &local, nullptr, date, 128, nullptr) > 0)
        return win::Narrow(date);
    char plain[32];
    std::snprintf(plain, sizeof(plain), "%04u-%02u-%02u", local.wYear, local.wMonth, local.wDay);
    return plain;
}

std::string DateTimeText(const SYSTEMTIME& local, Seconds seconds, const TextLocale& locale) {
    wchar_t clock[64] = {};
    const DWORD flags = seconds == Seconds::kShown ? 0 : TIME_NOSECONDS;
    std::string time;
    if (::GetTimeFormatEx(locale.name.c_str(), flags, &local, nullptr, clock, 64) > 0) {
        time = win::Narrow(clock);
    } else {
        char plain[16];
        std::snprintf(plain, sizeof(plain), "%02u:%02u:%02u", local.wHour, local.wMinute, local.wSecond);
        time = seconds == Seconds::kShown ? plain : std::string(plain, 5);
    }
    return ShortDateText(local, locale) + " " + time;
}

std::string DayText(const SYSTEMTIME& date, const SYSTEMTIME& now, const TextLocale& locale) {
    // DATE_MONTHDAY (Windows 7), which the headers declare only for a newer target than ours; a
    // system without it refuses the flag and the long date follows.
    constexpr DWORD kMonthDay = 0x00000080;
    // The day and month read naturally within the year; a date in another year names its year.
    const DWORD flags[] = {date.wYear == now.wYear ? kMonthDay : DWORD{DATE_LONGDATE}, DATE_LONGDATE};
    for (DWORD flag : flags) {
        wchar_t text[128] = {};
        if (::GetDateFormatEx(locale.name.c_str(), flag, &date, nullptr, text, 128, nullptr) > 0)
            return win::Narrow(text);
    }
    return ShortDateText(date, locale);
}
