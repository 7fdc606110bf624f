// The results map: byte order, letter case, last reason wins; and the report's size arithmetic.
#include <gtest/gtest.h>

#include <vector>

#include "app/FormatText.h"
#include "scan/ScanResults.h"

TEST(ScanResults, OrdersPathsByUnsignedBytesAndKeepsLetterCase) {
    ScanResults results;
    results.AddOrReplace("c:\\temp\\a.tmp", "r1");
    results.AddOrReplace("C:\\Temp\\a.tmp", "r2");
    results.AddOrReplace("C:\\Temp\\\xE9t\xE9.tmp", "r3");  // a byte above 127 sorts after ASCII
    results.AddOrReplace("C:\\Temp\\Z.tmp", "r4");
    results.AddOrReplace("C:\\Temp\\b.tmp", "r5");
    results.AddOrReplace("C:\\Temp2\\a.tmp", "r6");
    std::vector<std::string> order;
    for (const auto& [path, reason] : results) order.push_back(path);
    EXPECT_EQ(order, (std::vector<std::string>{"C:\\Temp2\\a.tmp", "C:\\Temp\\Z.tmp", "C:\\Temp\\a.tmp",
                                               "C:\\Temp\\b.tmp", "C:\\Temp\\\xE9t\xE9.tmp", "c:\\temp\\a.tmp"}));
    EXPECT_EQ(results.Count(), 6u);
}

TEST(ScanResults, TheLastReasonWinsWithoutAddingAnEntry) {
    ScanResults results;
    results.AddOrReplace("C:\\Temp\\a.tmp", "Windows temporary file");
    results.AddOrReplace("C:\\Temp\\a.tmp", "Temporary file");
    EXPECT_EQ(results.Count(), 1u);
    EXPECT_EQ(results.Entries().at("C:\\Temp\\a.tmp"), "Temporary file");
    results.Clear();
    EXPECT_EQ(results.Count(), 0u);
}

TEST(ScanResults, SizesAboveFourGibibytesKeepEveryByte) {
    const uint64_t fiveGib = 5ULL << 30;
    double kilobytes = BytesToKilobytes(fiveGib);
    EXPECT_EQ(FormatText("%.2lf", {kilobytes}), "5242880.00");
    EXPECT_EQ(FormatText("%.2lf", {KilobytesToMegabytes(kilobytes)}), "5120.00");
    EXPECT_EQ(FormatText("%.2lf", {BytesToKilobytes(1536)}), "1.50");
}
