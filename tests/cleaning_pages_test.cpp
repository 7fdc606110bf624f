// What the results page says of a cleaning, in the shipped English texts and the user's locale
// (Wine's en-US under the test script's fixed locale).
#include <gtest/gtest.h>

#include "clean/CleaningEngine.h"
#include "core/LocaleText.h"
#include "pages/CleaningPages.h"
#include "support/WindowTest.h"

namespace {

// A cleaning of one file that moved 2.70 MB into its restore point and freed nothing.
void OneFileIntoAPoint(CleaningJob& cleaning, ScanResults& found) {
    found.AddOrReplace("C:\\junk\\a.tmp", "Temporary file", FileStamp{2831155});
    cleaning.cleaningSet.AddOrReplace("C:\\junk\\a.tmp", "Temporary file", FileStamp{2831155});
    cleaning.backup = true;
    cleaning.counts.removed = 1;
    cleaning.counts.bytesHeld = 2831155;
    cleaning.counts.restorePoint = "C:\\Quillmoor\\Backup\\2026-12-08_10-30-00";
}

}  // namespace

TEST(ResultsText, SaysWhatTheRestorePointHoldsUntilWhenAndWhatWasFreedNow) {
    test::ProgramFolder program;
    ScanResults found;
    CleaningJob cleaning;
    OneFileIntoAPoint(cleaning, found);
    cleaning.pointExpiryDays = 14;
    std::string text = ResultsText(found, cleaning);
    EXPECT_NE(text.find("Held in the restore point: 2.70 MB, kept until "), std::string::npos) << text;
    EXPECT_NE(text.find("December 22"), std::string::npos) << text;
    // Nothing freed reads as nothing, in the unit that fits it: never "0.00 MB".
    EXPECT_NE(text.find(". Freed now: 0 bytes."), std::string::npos) << text;

    // Kept for ever: no date, and the same sentence otherwise.
    cleaning.pointExpiryDays = 0;
    text = ResultsText(found, cleaning);
    EXPECT_NE(text.find("Held in the restore point: 2.70 MB, kept until you remove it. Freed now: 0 bytes."),
              std::string::npos)
        << text;
}

// Within the year the day and month say it; a date of another year names its year. Each in the
// words of the language spoken.
TEST(ResultsText, TheKeptUntilDateNamesItsYearOnlyWhenItIsNotThisYears) {
    const SYSTEMTIME now{2026, 12, 2, 8, 10, 30, 0, 0};
    const TextLocale english = LocaleForLanguage("en", "");
    const std::string sameYear = DayText({2026, 12, 2, 22, 10, 30, 0, 0}, now, english);
    EXPECT_NE(sameYear.find("December"), std::string::npos) << sameYear;
    EXPECT_NE(sameYear.find("22"), std::string::npos) << sameYear;
    EXPECT_EQ(sameYear.find("2026"), std::string::npos) << sameYear;
    const std::string nextYear = DayText({2027, 1, 2, 5, 10, 30, 0, 0}, now, english);
    EXPECT_NE(nextYear.find("January"), std::string::npos) << nextYear;
    EXPECT_NE(nextYear.find("2027"), std::string::npos) << nextYear;
    const std::string german = DayText({2026, 12, 2, 22, 10, 30, 0, 0}, now, LocaleForLanguage("de", ""));
    EXPECT_NE(german.find("Dezember"), std::string::npos) << german;
    EXPECT_LT(german.find("22"), german.find("Dezember")) << german;
}
