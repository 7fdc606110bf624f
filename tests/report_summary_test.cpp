// The report at a glance: each kind's figures against its rows, a kind's tick against the ticks of
// its files both ways, a kind's rows, and the sizes and ticked total as texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "scan/ReportSummary.h"
#include "scan/ScanResults.h"
#include "support/TestFiles.h"

namespace {

// Sums the rows of each reason one by one, the slow way the summary must agree with.
ScanResults::ReasonTotals SumRows(const ScanResults& results, size_t reason) {
    ScanResults::ReasonTotals sum;
    for (size_t row = 0; row < results.Count(); ++row) {
        if (results.ReasonIndexOf(row) != reason)
            continue;
        ++sum.count;
        sum.bytes += results.Size(row);
        if (results.IsTicked(row)) {
            ++sum.tickedCount;
            sum.tickedBytes += results.Size(row);
        }
    }
    return sum;
}

void ExpectKindsMatchRows(const ScanResults& results) {
    const std::vector<ReportKind> kinds = SummarizeReport(results);
    size_t count = 0, ticked = 0;
    uint64_t bytes = 0, tickedBytes = 0;
    for (size_t k = 0; k < kinds.size(); ++k) {
        const ReportKind& kind = kinds[k];
        const ScanResults::ReasonTotals sum = SumRows(results, kind.reason);
        SCOPED_TRACE(results.Reasons()[kind.reason]);
        EXPECT_EQ(kind.count, sum.count);
        EXPECT_EQ(kind.bytes, sum.bytes);
        EXPECT_EQ(kind.tickedCount, sum.tickedCount);
        EXPECT_EQ(kind.tickedBytes, sum.tickedBytes);
        if (k > 0) {
            EXPECT_GE(kinds[k - 1].bytes, kind.bytes);
        }
        count += kind.count;
        bytes += kind.bytes;
        ticked += kind.tickedCount;
        tickedBytes += kind.tickedBytes;
    }
    EXPECT_EQ(count, results.Count());
    EXPECT_EQ(bytes, results.TotalSize());
    EXPECT_EQ(ticked, results.TickedCount());
    EXPECT_EQ(tickedBytes, results.TickedSize());
}

// Three kinds of unequal sizes, found out of path order.
ScanResults ThreeKinds() {
    ScanResults results;
    for (int i = 300; i-- > 0;) {
        char path[48];
        std::snprintf(path, sizeof(path), "C:\\junk\\%04d.tmp", i);
        const char* reason = i % 3 == 0 ? "Browser cache" : i % 3 == 1 ? "Empty file" : "Temporary file";
        results.AddOrReplace(path, reason,
                             i % 3 == 1 ? 0 : static_cast<uint64_t>(i) * (i % 3 == 0 ? 1000 : 7));
    }
    return results;
}

}  // namespace

TEST(ReportSummary, EachKindAddsUpItsRowsThroughTicksAndNewReasons) {
    ScanResults results = ThreeKinds();
    ExpectKindsMatchRows(results);
    const std::vector<ReportKind> kinds = SummarizeReport(results);
    ASSERT_EQ(kinds.size(), 3u);
    EXPECT_EQ(results.Reasons()[kinds[0].reason], "Browser cache");
    EXPECT_EQ(results.Reasons()[kinds[2].reason], "Empty file");

    // Ticks by file, and files found again under another reason, bigger, ticked or not.
    for (size_t row = 0; row < results.Count(); row += 4)
        results.SetTicked(row, false);
    ExpectKindsMatchRows(results);
    results.AddOrReplace("C:\\junk\\0004.tmp", "Browser cache", 5);    // was an empty file, unticked
    results.AddOrReplace("C:\\junk\\0005.tmp", "Log file", 1u << 30);  // was temporary, ticked
    results.AddOrReplace("C:\\junk\\0002.tmp", "Log file", 9);
    ExpectKindsMatchRows(results);
    EXPECT_EQ(results.Reasons()[SummarizeReport(results)[0].reason], "Log file");

    results.SetAllTicked(false);
    ExpectKindsMatchRows(results);
    results.SetAllTicked(true);
    ExpectKindsMatchRows(results);
}

TEST(ReportSummary, AKindWhoseFilesAllMovedToAnotherIsNotShown) {
    ScanResults results;
    results.AddOrReplace("C:\\a.tmp", "Temporary file", 10);
    results.AddOrReplace("C:\\a.tmp", "Log file", 20);
    const std::vector<ReportKind> kinds = SummarizeReport(results);
    ASSERT_EQ(kinds.size(), 1u);
    EXPECT_EQ(results.Reasons()[kinds[0].reason], "Log file");
    EXPECT_EQ(kinds[0].bytes, 20u);
}

TEST(ReportSummary, AKindsTickTicksExactlyItsFiles) {
    ScanResults results = ThreeKinds();
    const size_t cache = SummarizeReport(results)[0].reason;
    results.SetReasonTicked(cache, false);
    for (size_t row = 0; row < results.Count(); ++row)
        EXPECT_EQ(results.IsTicked(row), results.ReasonIndexOf(row) != cache) << results.Path(row);
    ExpectKindsMatchRows(results);
    EXPECT_EQ(SummarizeReport(results)[0].tick, KindTick::kNone);
    EXPECT_EQ(SummarizeReport(results)[1].tick, KindTick::kAll);

    results.SetReasonTicked(cache, true);
    for (size_t row = 0; row < results.Count(); ++row)
        EXPECT_TRUE(results.IsTicked(row)) << results.Path(row);
    ExpectKindsMatchRows(results);
}

TEST(ReportSummary, TheFilesTicksMakeTheKindsTick) {
    ScanResults results = ThreeKinds();
    const size_t cache = SummarizeReport(results)[0].reason;
    const std::vector<uint32_t> rows = RowsOfReason(results, cache);
    ASSERT_EQ(rows.size(), 100u);

    results.SetTicked(rows[7], false);
    EXPECT_EQ(SummarizeReport(results)[0].tick, KindTick::kSome);
    for (uint32_t row : rows)
        results.SetTicked(row, false);
    EXPECT_EQ(SummarizeReport(results)[0].tick, KindTick::kNone);
    results.SetTicked(rows[0], true);
    EXPECT_EQ(SummarizeReport(results)[0].tick, KindTick::kSome);
    for (uint32_t row : rows)
        results.SetTicked(row, true);
    EXPECT_EQ(SummarizeReport(results)[0].tick, KindTick::kAll);
    ExpectKindsMatchRows(results);
}

TEST(ReportSummary, AKindsRowsAreItsOwnInPathOrder) {
    ScanResults results = ThreeKinds();
    const size_t empty = SummarizeReport(results)[2].reason;
    const std::vector<uint32_t> rows = RowsOfReason(results, empty);
    ASSERT_EQ(rows.size(), 100u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(results.Reason(rows[i]), "Empty file");
        if (i > 0) {
            EXPECT_LT(results.Path(rows[i - 1]), results.Path(rows[i]));
        }
    }
    EXPECT_TRUE(RowsOfReason(results, 99).empty());
}

class SizeTexts : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteFile(
            dir_ / "test.language",
            "[String]\n_SizeInBytes=%s byte|%s bytes\n_SizeInKilobytes=%s KB\n_SizeInMegabytes=%s "
            "MB\n_SizeInGigabytes=%s GB\n_ReportPageTickedTotal=Ticked files: %d, %s of %s\n");
        LanguageTable::Instance().SetPath(dir_ / "test.language");
    }
    void TearDown() override { LanguageTable::Instance().SetPath(""); }
    test::TempFolder dir_;
};

// Three figures in the largest unit below the size, so a few kilobytes never read as "0.00 MB".
TEST_F(SizeTexts, EachSizeTakesTheLargestUnitBelowIt) {
    const struct {
        uint64_t bytes;
        const char* text;
    } cases[] = {{0, "0 bytes"},
                 {1, "1 byte"},
                 {1023, "1,023 bytes"},
                 {1024, "1.00 KB"},
                 {7219, "7.05 KB"},
                 {10235, "10.0 KB"},
                 {524288, "512 KB"},
                 {1536 * 1024 - 1, "1.50 MB"},
                 {300ULL * 1024 * 1024, "300 MB"},
                 {1632087572ULL, "1.52 GB"},
                 {5000ULL * 1024 * 1024 * 1024, "5,000 GB"}};
    for (const auto& c : cases)
        EXPECT_EQ(SizeText(c.bytes, LocaleForLanguage("en", "")), c.text) << c.bytes;
}

TEST_F(SizeTexts, TheTickedTotalFollowsTheTicks) {
    ScanResults results;
    results.AddOrReplace("C:\\a.tmp", "Temporary file", 1632087572ULL);
    results.AddOrReplace("C:\\b.tmp", "Log file", 300ULL * 1024 * 1024);
    EXPECT_EQ(TickedTotalText(results), "Ticked files: 2, 1.81 GB of 1.81 GB");
    results.SetReasonTicked(results.ReasonIndexOf(1), false);
    EXPECT_EQ(TickedTotalText(results), "Ticked files: 1, 1.52 GB of 1.81 GB");
}
