// Formatting of translated texts never reads an argument as the wrong type.
#include <gtest/gtest.h>

#include "core/FormatText.h"

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
