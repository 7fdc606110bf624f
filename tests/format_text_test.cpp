// Formatting of translated texts never reads an argument as the wrong type, and writes dates,
// numbers and counted words as the language spoken writes them.
#include <gtest/gtest.h>

#include <cstdio>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/Text.h"

TEST(FormatText, FormatsLikePrintfWhenTheFormatFitsItsArguments) {
    EXPECT_EQ(FormatText("Junk files found: %d", {42LL}), "Junk files found: 42");
    EXPECT_EQ(FormatText("%d files, %.2lf KB (%.2lf MB)", {3LL, 1536.0, 1.5}),
              "3 files, 1536.00 KB (1.50 MB)");
    EXPECT_EQ(FormatText("%s was backed up as %s", {std::string("a"), std::string("b")}),
              "a was backed up as b");
    EXPECT_EQ(FormatText("%02d/%02d/%04d", {1LL, 31LL, 2025LL}), "01/31/2025");
    EXPECT_EQ(FormatText("100%% done", {}), "100% done");
    EXPECT_EQ(FormatText("%s\r\n\r\n", {std::string("Header")}), "Header\r\n\r\n");
}

TEST(FormatText, ToleratesFormatsThatDoNotFit) {
    EXPECT_EQ(FormatText("%s items", {7LL}), "7 items");         // a string conversion for a number
    EXPECT_EQ(FormatText("%d and %d", {7LL}), "7 and ");         // a conversion without an argument
    EXPECT_EQ(FormatText("%f", {2LL}), "2.000000");              // an integer for a floating conversion
    EXPECT_EQ(FormatText("%d", {std::string("text")}), "text");  // a text for an integer conversion
    EXPECT_EQ(FormatText("50%", {1LL}), "50%");                  // a lone percent sign at the end
    EXPECT_EQ(FormatText("%n %y", {1LL}), "%n %y");              // no writing conversions, unknown ones kept
    EXPECT_EQ(FormatText("no conversions", {1LL, 2.0}), "no conversions");
}

TEST(FormatText, HoldsWidthsAndPrecisionsToAKilobyte) {
    EXPECT_EQ(FormatText("%999999999d", {7LL}), std::string(1023, ' ') + "7");
    EXPECT_EQ(FormatText("%.4294967297f|%-3s|", {1.0, std::string("a")}),
              "1." + std::string(1024, '0') + "|a  |");
}

TEST(FormatText, PositionsLetATranslationReorderItsArguments) {
    EXPECT_EQ(FormatText("%2$s, %1$s", {std::string("first"), std::string("second")}), "second, first");
    EXPECT_EQ(FormatText("%2$.1f of %1$d", {3LL, 2.5}), "2.5 of 3");
    EXPECT_EQ(FormatText("%1$s and %1$s again", {std::string("x")}), "x and x again");
    EXPECT_EQ(FormatText("%3$s|%s", {std::string("a"), std::string("b")}), "|a");  // no third argument
    EXPECT_EQ(FormatText("%0$s|%99999999999999999999$s", {std::string("a")}), "|");
}

// ---- Dates, numbers, sizes and counted words in each shipped language ----

namespace {

// Every language the program ships, as its files are named.
const char* const kShippedTags[] = {"en", "de", "es", "fr", "ja", "pl", "pt-BR", "zh-CN"};

std::wstring LocaleInfo(const TextLocale& locale, LCTYPE type) {
    wchar_t text[128] = {};
    ::GetLocaleInfoEx(locale.name.c_str(), type, text, 128);
    return text;
}

// A date as a GetLocaleInfoEx pattern ("dd.MM.yyyy", "yyyy'年'M'月'd'日'") writes it: day, month
// and year pictures and quoted text; anything else as it stands.
std::string DateByPattern(const std::wstring& pattern, const SYSTEMTIME& date) {
    std::string out;
    for (size_t i = 0; i < pattern.size();) {
        const wchar_t c = pattern[i];
        size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        char number[16];
        if (c == L'\'') {
            const size_t end = pattern.find(L'\'', i + 1);
            out += win::Narrow(pattern.substr(i + 1, end - i - 1));
            i = end == std::wstring::npos ? pattern.size() : end + 1;
            continue;
        }
        if (c == L'd' && run <= 2)
            std::snprintf(number, sizeof number, run == 1 ? "%u" : "%02u", date.wDay);
        else if (c == L'M' && run <= 2)
            std::snprintf(number, sizeof number, run == 1 ? "%u" : "%02u", date.wMonth);
        else if (c == L'y')
            std::snprintf(number, sizeof number, run <= 2 ? "%02u" : "%u",
                          run <= 2 ? date.wYear % 100 : date.wYear);
        else
            std::snprintf(number, sizeof number, "%s", win::Narrow(pattern.substr(i, run)).c_str());
        out += number;
        i += run;
    }
    return out;
}

}  // namespace

// Each language's locale gives its decimal separator, its grouping and its short date, whatever
// the Windows display language: what a reader of that language expects, asked of the locale.
TEST(LocaleText, DatesNumbersAndSizesFollowTheLanguagesLocale) {
    LanguageTable::Instance().SetPath(test::SourceFile("data/Quillmoor.language"));
    for (const char* tag : kShippedTags) {
        LanguageTable::Instance().SetTranslation(
            std::string(tag) == "en" ? std::string()
                                     : test::SourceFile("data/Languages/" + std::string(tag) + ".language"));
        const TextLocale locale = LocaleForLanguage(tag, "");
        const std::string decimal = win::Narrow(LocaleInfo(locale, LOCALE_SDECIMAL));
        const std::string thousand = win::Narrow(LocaleInfo(locale, LOCALE_STHOUSAND));
        ASSERT_FALSE(decimal.empty()) << tag;
        ASSERT_EQ(LocaleInfo(locale, LOCALE_SGROUPING), L"3;0")
            << tag << ": every shipped language groups by threes";
        SCOPED_TRACE(tag);

        EXPECT_EQ(CountText(1234567, locale), "1" + thousand + "234" + thousand + "567");
        EXPECT_EQ(NumberText(1234.5, 2, locale), "1" + thousand + "234" + decimal + "50");
        // 7219 bytes are 7.05 KB, in the unit that fits, never "0.01 MB".
        const std::string kilobytes = SizeText(7219, locale);
        EXPECT_EQ(kilobytes.find("7" + decimal + "05"), 0u) << kilobytes;
        EXPECT_NE(kilobytes.find(FormatText(Translate("_SizeInKilobytes"), {std::string()})),
                  std::string::npos)
            << kilobytes;
        const std::string gigabytes = SizeText(1234567890123, locale);
        EXPECT_EQ(gigabytes.find("1" + thousand + "150"), 0u) << gigabytes;

        const SYSTEMTIME time{2026, 3, 3, 4, 5, 6, 7, 0};
        const std::string shortDate = DateByPattern(LocaleInfo(locale, LOCALE_SSHORTDATE), time);
        const std::string shown = DateTimeText(time, Seconds::kShown, locale);
        EXPECT_EQ(shown.find(shortDate), 0u) << shown << " against " << shortDate;
        EXPECT_NE(shown.find("06"), std::string::npos) << shown;
        EXPECT_NE(shown.find("07", shortDate.size()), std::string::npos) << shown << ": the seconds";
        EXPECT_EQ(DateTimeText(time, Seconds::kLeftOut, locale).find("07", shortDate.size()),
                  std::string::npos);
    }
    // The day before the month where the locale writes it so: 4 March, not 3 April.
    const std::string german = ShortDateText({2026, 3, 3, 4, 5, 6, 7, 0}, LocaleForLanguage("de", ""));
    EXPECT_TRUE(german.rfind("4.", 0) == 0 || german.rfind("04.", 0) == 0) << german;
    LanguageTable::Instance().SetTranslation("");
    LanguageTable::Instance().SetPath("");
}

// The user's own locale writes the numbers when it is of the chosen language; another language's
// locale never does.
TEST(LocaleText, TheUsersLocaleCountsOnlyForItsOwnLanguage) {
    EXPECT_EQ(LocaleForLanguage("de", "de-AT").name, L"de-AT");
    EXPECT_EQ(LocaleForLanguage("de", "fr-FR").name, L"de-DE");
    EXPECT_EQ(LocaleForLanguage("pt-BR", "pt-PT").name, L"pt-PT");
    EXPECT_EQ(LocaleForLanguage("zh-CN", "").name, L"zh-CN");
    EXPECT_EQ(LocaleForLanguage("en", "en-GB").name, L"en-GB");
}

// One row per language and count: the form each language's grammar asks for.
TEST(LocaleText, PluralFormsFollowEachLanguagesRule) {
    const struct {
        const char* tag;
        uint64_t count;
        const char* form;
    } cases[] = {
        {"en", 0, "other"},  {"en", 1, "one"},    {"en", 2, "other"}, {"de", 1, "one"},
        {"es", 21, "other"}, {"fr", 0, "one"},    {"fr", 1, "one"},   {"fr", 2, "other"},
        {"pt-BR", 0, "one"}, {"pl", 1, "one"},    {"pl", 2, "few"},   {"pl", 4, "few"},
        {"pl", 5, "many"},   {"pl", 12, "many"},  {"pl", 14, "many"}, {"pl", 22, "few"},
        {"pl", 104, "few"},  {"pl", 112, "many"}, {"pl", 0, "many"},  {"pl", 11, "many"},
        {"ja", 1, "one"},    {"zh-CN", 7, "one"},
    };
    for (const auto& c : cases) {
        const TextLocale locale = LocaleForLanguage(c.tag, "");
        const char* forms = locale.plural == PluralRule::kOneFewMany ? "one|few|many"
                            : locale.plural == PluralRule::kSingle   ? "one"
                                                                     : "one|other";
        EXPECT_EQ(PluralForm(forms, c.count, locale), c.form) << c.tag << " " << c.count;
    }
    // A text with fewer forms than its language's rule gives its last; one without any, itself.
    EXPECT_EQ(PluralForm("a|b", 5, LocaleForLanguage("pl", "")), "b");
    EXPECT_EQ(PluralForm("word", 5, LocaleForLanguage("en", "")), "word");
}
