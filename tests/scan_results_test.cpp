// The results map: byte order, letter case, last reason wins; the report's size arithmetic, its
// columns' sort and the CSV.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "scan/ReportColumns.h"
#include "scan/ResultsCsv.h"
#include "scan/ScanResults.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/Text.h"

TEST(ScanResults, OrdersPathsByUnsignedBytesAndKeepsLetterCase) {
    ScanResults results;
    results.AddOrReplace("c:\\temp\\a.tmp", "r1");
    results.AddOrReplace("C:\\Temp\\a.tmp", "r2");
    results.AddOrReplace("C:\\Temp\\\xE9t\xE9.tmp", "r3");  // a byte above 127 sorts after ASCII
    results.AddOrReplace("C:\\Temp\\Z.tmp", "r4");
    results.AddOrReplace("C:\\Temp\\b.tmp", "r5");
    results.AddOrReplace("C:\\Temp2\\a.tmp", "r6");
    std::vector<std::string> order;
    for (const auto& [path, reason] : results)
        order.push_back(std::string(path));
    EXPECT_EQ(order,
              (std::vector<std::string>{"C:\\Temp2\\a.tmp", "C:\\Temp\\Z.tmp", "C:\\Temp\\a.tmp",
                                        "C:\\Temp\\b.tmp", "C:\\Temp\\\xE9t\xE9.tmp", "c:\\temp\\a.tmp"}));
    EXPECT_EQ(results.Count(), 6u);
}

TEST(ScanResults, TheLastReasonWinsWithoutAddingAnEntry) {
    ScanResults results;
    results.AddOrReplace("C:\\Temp\\a.tmp", "Windows temporary file");
    results.AddOrReplace("C:\\Temp\\a.tmp", "Temporary file");
    EXPECT_EQ(results.Count(), 1u);
    EXPECT_EQ(results.ToTextMap().at("C:\\Temp\\a.tmp"), "Temporary file");
    results.Clear();
    EXPECT_EQ(results.Count(), 0u);
}

TEST(ScanResults, EachRowKeepsItsSizeTimeAndTickWhateverOrderItCameIn) {
    ScanResults results;
    // Enough paths to fill several blocks of the path store, found in reverse order.
    const int kRows = 40'000;
    for (int i = kRows; i-- > 0;) {
        char path[64];
        std::snprintf(path, sizeof(path), "C:\\junk\\%06d-%s.tmp", i, std::string(20, 'x').c_str());
        results.AddOrReplace(path, i % 2 ? "odd" : "even", static_cast<uint64_t>(i) << 32,
                             FILETIME{static_cast<DWORD>(i), 7});
    }
    ASSERT_EQ(results.Count(), static_cast<size_t>(kRows));
    EXPECT_EQ(results.Path(12'345).substr(0, 14), "C:\\junk\\012345");
    EXPECT_EQ(results.Reason(12'345), "odd");
    EXPECT_EQ(results.Size(12'345), 12'345ULL << 32);
    EXPECT_EQ(results.LastAccess(12'345).dwLowDateTime, 12'345u);
    EXPECT_EQ(results.TickedCount(), static_cast<size_t>(kRows));

    // A tick belongs to its path: a later find replaces reason, size and time but keeps it.
    results.SetTicked(7, false);
    results.AddOrReplace(std::string(results.Path(7)), "again", 5);
    EXPECT_FALSE(results.IsTicked(7));
    EXPECT_EQ(results.Reason(7), "again");
    EXPECT_EQ(results.Size(7), 5u);
    EXPECT_EQ(results.Count(), static_cast<size_t>(kRows));

    results.SetAllTicked(false);
    results.SetTicked(3, true);
    results.SetTicked(9, true);
    const ScanResults ticked = results.TickedRows();
    ASSERT_EQ(ticked.Count(), 2u);
    EXPECT_EQ(ticked.Path(0), results.Path(3));
    EXPECT_EQ(ticked.Size(1), results.Size(9));
    EXPECT_EQ(ticked.TotalSize(), results.Size(3) + results.Size(9));
    EXPECT_EQ(results.TickedSize(), ticked.TotalSize());
}

TEST(ScanResults, SizesAboveFourGibibytesKeepEveryByte) {
    const uint64_t fiveGib = 5ULL << 30;
    double kilobytes = BytesToKilobytes(fiveGib);
    EXPECT_EQ(FormatText("%.2lf", {kilobytes}), "5242880.00");
    EXPECT_EQ(FormatText("%.2lf", {KilobytesToMegabytes(kilobytes)}), "5120.00");
    EXPECT_EQ(FormatText("%.2lf", {BytesToKilobytes(1536)}), "1.50");
}

TEST(ResultsCsv, WritesUtf8WithQuotedAwkwardPathsSizesAboveFourGibibytesAndTicks) {
    test::TempFolder dir;
    ScanResults results;
    FILETIME accessed{};
    SYSTEMTIME time{2025, 1, 5, 31, 8, 5, 9, 0};
    ::SystemTimeToFileTime(&time, &accessed);
    results.AddOrReplace("C:\\a,b\\say \"hi\".tmp", "Temporary, file", 5ULL << 30, accessed);
    results.AddOrReplace("C:\\caf\xC3\xA9 \xE6\xBC\xA2.tmp", "Caf\xC3\xA9", 7);  // Latin and Han
    // An unpaired surrogate, which a Windows name may hold, has no UTF-8 form: U+FFFD stands in.
    results.AddOrReplace("C:\\x\xED\xA0\x80y.tmp", "Temporary, file", 1);
    results.SetTicked(1, false);
    ASSERT_TRUE(WriteResultsCsv(dir / "report.csv", results, {1, 2, 0}));
    EXPECT_EQ(test::ReadFile(dir / "report.csv"),
              "\xEF\xBB\xBFPath,Size (bytes),Reason,Last access (UTC),Ticked\r\n"
              "C:\\caf\xC3\xA9 \xE6\xBC\xA2.tmp,7,Caf\xC3\xA9,,no\r\n"
              "C:\\x\xEF\xBF\xBDy.tmp,1,\"Temporary, file\",,yes\r\n"
              "\"C:\\a,b\\say \"\"hi\"\".tmp\",5368709120,\"Temporary, file\",2025-01-31T08:05:09Z,yes\r\n");
    EXPECT_FALSE(WriteResultsCsv(dir / "missing\\report.csv", results, {0}));

    // A report that cannot take the name leaves what has it as it was, and nothing beside it.
    test::WriteFile(dir / "taken.csv\\keep.txt", "kept");
    EXPECT_FALSE(WriteResultsCsv(dir / "taken.csv", results, {0}));
    EXPECT_EQ(test::ReadFile(dir / "taken.csv\\keep.txt"), "kept");
    ASSERT_TRUE(WriteResultsCsv(dir / "report.csv", results, {0}));  // over the older report
    EXPECT_EQ(test::FilesBelow(dir.Path()), (std::vector<std::string>{"report.csv", "taken.csv\\keep.txt"}));
}

// The wizard's export speaks the user's language and separates its fields as that language's
// spreadsheet reads them; the fixed form above stays for scripts.
TEST(ResultsCsv, TheUsersFormTakesTheLanguagesWordsAndTheLocalesListSeparator) {
    test::TempFolder dir;
    LanguageTable& table = LanguageTable::Instance();
    table.SetPath(test::SourceFile("data/Quillmoor.language"));
    ASSERT_TRUE(table.SetTranslation(test::SourceFile("data/Languages/de.language")));
    SetCurrentLocale(LocaleForLanguage("de", ""));
    wchar_t separator[8] = {};
    ASSERT_GT(::GetLocaleInfoEx(L"de-DE", LOCALE_SLIST, separator, 8), 0);
    const CsvForm form = UserCsvForm();
    EXPECT_EQ(form.separator, win::Narrow(separator));
    EXPECT_EQ(form.separator, ";") << "German spreadsheets separate with semicolons";

    ScanResults results;
    results.AddOrReplace("C:\\a;b.tmp", "Temporary, file", 3);
    results.AddOrReplace("C:\\c.tmp", "Cache", 4);
    results.SetTicked(1, false);
    ASSERT_TRUE(WriteResultsCsv(dir / "report.csv", results, {0, 1}, form));
    EXPECT_EQ(test::ReadFile(dir / "report.csv"),
              "\xEF\xBB\xBFPfad;Gr\xC3\xB6\xC3\x9F"
              "e (Byte);Grund;Letzter Zugriff (UTC);Ausgew\xC3\xA4hlt\r\n"
              "\"C:\\a;b.tmp\";3;\"Temporary, file\";;ja\r\n"
              "C:\\c.tmp;4;Cache;;nein\r\n");
    SetCurrentLocale(TextLocale());
    table.SetTranslation("");
    table.SetPath("");
}

// A report of megabytes is written block by block: every row is there, in the order given, each
// as its fields read one by one (StrictUtf8, then CsvField), across every block boundary.
TEST(ResultsCsv, AReportOfManyBlocksHoldsEveryRowAsItsFieldsRead) {
    test::TempFolder dir;
    ScanResults results;
    const char* awkward[] = {"plain", "a,b", "say \"hi\"", "x\xED\xA0\x80y", "line\r\nbreak"};
    for (int i = 0; i < 30000; ++i) {
        char path[96];
        std::snprintf(path, sizeof(path), "C:\\Users\\someone\\AppData\\Local\\cache\\%05d %s.tmp", i,
                      awkward[i % 5]);
        results.AddOrReplace(path, i % 3 ? "Temporary, file" : "Cache", static_cast<uint64_t>(i) * 977);
    }
    std::vector<size_t> rows;
    for (size_t i = results.Count(); i-- > 0;)
        rows.push_back(i);
    ASSERT_TRUE(WriteResultsCsv(dir / "report.csv", results, rows));
    std::string expected = "\xEF\xBB\xBFPath,Size (bytes),Reason,Last access (UTC),Ticked\r\n";
    for (size_t row : rows)
        expected += CsvField(StrictUtf8(results.Path(row))) + ',' + std::to_string(results.Size(row)) + ',' +
                    CsvField(results.Reason(row)) + ",,yes\r\n";
    const std::string written = test::ReadFile(dir / "report.csv");
    EXPECT_GT(written.size(), 2u << 20);
    EXPECT_TRUE(written == expected) << "the written report differs from its rows' fields";
}

// The CSV's time is made without a system call: it must read as FileTimeToSystemTime reads the
// same file time, on every day of the calendar's awkward places (leap days, century years, the
// first and last days file times have) and on a spread of times between them.
TEST(ResultsCsv, TimesReadAsTheSystemReadsThem) {
    std::vector<uint64_t> ticks;
    const uint64_t day = 864'000'000'000ULL;
    for (WORD year : {1601, 1700, 1899, 1900, 1970, 1999, 2000, 2024, 2100, 2400, 9999, 10000, 30827}) {
        for (WORD month : {1, 2, 3, 12}) {
            SYSTEMTIME time{year, month, 0, 1, 0, 0, 0, 0};
            FILETIME file{};
            ASSERT_TRUE(::SystemTimeToFileTime(&time, &file));
            const uint64_t start = (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
            for (uint64_t offset : {0ULL, 1ULL, day - 1, day, 27 * day + day / 2, 28 * day, 29 * day})
                ticks.push_back(start + offset);
            if (start > day)
                ticks.push_back(start - 1);
        }
    }
    for (uint64_t t = 1; t < (1ULL << 63) / 1000; t = t * 3 + 12'345'678'901ULL)
        ticks.push_back(t);
    ticks.push_back((1ULL << 63) - 1);  // the last time a SYSTEMTIME holds

    std::string scratch;
    for (uint64_t t : ticks) {
        if (t == 0)  // the file time of no access, below
            continue;
        const FILETIME file{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
        SYSTEMTIME time;
        ASSERT_TRUE(::FileTimeToSystemTime(&file, &time)) << t;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth,
                      time.wDay, time.wHour, time.wMinute, time.wSecond);
        EXPECT_EQ(IsoUtcTime(file, scratch), std::string_view(expected)) << t;
    }
    EXPECT_EQ(IsoUtcTime(FILETIME{0, 0}, scratch), "");            // never
    EXPECT_EQ(IsoUtcTime(FILETIME{0, 0x80000000u}, scratch), "");  // beyond any SYSTEMTIME
}

namespace {

const ReportColumn* ListedColumn(const std::string& titleKey) {
    for (const ReportColumn* column : ListedReportColumns()) {
        if (column->titleKey == titleKey)
            return column;
    }
    return nullptr;
}

struct SortCase {
    const char* titleKey;
    std::vector<std::tuple<std::string, std::string, uint64_t>> rows;  // path, reason, size
    std::vector<std::string> ascending, descending;                    // paths, from path order
};

}  // namespace

// A header click's order, without the list: names by folder then name in folded characters, the
// files of a folder before its subfolders; sizes as shown, numerically; reasons in folded
// characters; rows that compare equal keep their order in either direction.
TEST(ReportColumns, SortRowsByEachListedColumnStablyInBothDirections) {
    const std::string e = "\xC3\xA9";  // a letter beyond ASCII, after Z when folded
    const std::vector<SortCase> cases = {
        {"_ReportPageListColumnFileName",
         {{"C:\\a\\z.tmp", "r", 0},
          {"C:\\a\\B.tmp", "r", 0},
          {"C:\\a\\" + e + ".tmp", "r", 0},
          {"C:\\a\\a.tmp", "r", 0},
          {"C:\\a\\A.TMP", "r", 0},
          {"C:\\a\\b\\x.tmp", "r", 0},
          {"C:\\a b\\y.tmp", "r", 0}},
         {"C:\\a b\\y.tmp", "C:\\a\\A.TMP", "C:\\a\\a.tmp", "C:\\a\\B.tmp", "C:\\a\\z.tmp",
          "C:\\a\\" + e + ".tmp", "C:\\a\\b\\x.tmp"},
         {"C:\\a\\b\\x.tmp", "C:\\a\\" + e + ".tmp", "C:\\a\\z.tmp", "C:\\a\\B.tmp", "C:\\a\\A.TMP",
          "C:\\a\\a.tmp", "C:\\a b\\y.tmp"}},
        // 1023 and 1024 bytes both read 1.00 KB, 0 and 1 byte 0.00 KB: equal as shown.
        {"_ReportPageListColumnFileSize",
         {{"C:\\s\\1", "r", 10240},
          {"C:\\s\\2", "r", 9728},
          {"C:\\s\\3", "r", 0},
          {"C:\\s\\4", "r", 5ULL << 30},
          {"C:\\s\\5", "r", 1},
          {"C:\\s\\6", "r", 1024},
          {"C:\\s\\7", "r", 1023}},
         {"C:\\s\\3", "C:\\s\\5", "C:\\s\\6", "C:\\s\\7", "C:\\s\\2", "C:\\s\\1", "C:\\s\\4"},
         {"C:\\s\\4", "C:\\s\\1", "C:\\s\\2", "C:\\s\\6", "C:\\s\\7", "C:\\s\\3", "C:\\s\\5"}},
        {"_ReportPageStateDescription",
         {{"C:\\r\\1", "beta", 0},
          {"C:\\r\\2", "Alpha", 0},
          {"C:\\r\\3", "gamma", 0},
          {"C:\\r\\4", "alpha", 0},
          {"C:\\r\\5",
           "\xC3\x89"
           "clair",
           0}},
         {"C:\\r\\2", "C:\\r\\4", "C:\\r\\1", "C:\\r\\3", "C:\\r\\5"},
         {"C:\\r\\5", "C:\\r\\3", "C:\\r\\1", "C:\\r\\2", "C:\\r\\4"}},
    };
    for (const SortCase& sortCase : cases) {
        SCOPED_TRACE(sortCase.titleKey);
        const ReportColumn* column = ListedColumn(sortCase.titleKey);
        ASSERT_NE(column, nullptr);
        ScanResults results;
        for (const auto& [path, reason, size] : sortCase.rows)
            results.AddOrReplace(path, reason, size);
        for (const bool descending : {false, true}) {
            std::vector<uint32_t> rows(results.Count());
            for (uint32_t row = 0; row < rows.size(); ++row)
                rows[row] = row;
            SortReportRows(results, *column, descending, rows);
            std::vector<std::string> paths;
            for (uint32_t row : rows)
                paths.emplace_back(results.Path(row));
            EXPECT_EQ(paths, descending ? sortCase.descending : sortCase.ascending);
        }
    }
}
