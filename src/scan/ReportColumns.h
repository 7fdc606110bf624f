#pragma once
// The report's columns as one table: what the report page's list shows (title, width, alignment,
// each row's text), how a header click orders the rows, and what the CSV export writes. The page
// and the CSV only walk this table, so a new column is one row here and its title in the language
// files.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "scan/ScanResults.h"

// Each row's sort key, by the results' row (path order): rows with equal keys are equal in the
// column's order. Ranks of texts fit in 32 bits, which keeps a million rows' keys small.
using ReportSortKeys = std::variant<std::vector<uint32_t>, std::vector<uint64_t>>;

enum class ColumnAlignment { kLeft, kRight };

// The words and the separator of a CSV. The default is the fixed form that scripts read (`/report`):
// English titles, "yes" and "no", commas. The wizard's export writes the user's (UserCsvForm).
struct CsvForm {
    std::string separator = ",";
    bool translatedTitles = false;  // the columns' csvTitleKey texts rather than their csvTitle
    std::string yes = "yes", no = "no";
};

struct ReportColumn {
    // The list's header text; nullptr for a column that only the CSV has.
    const char* titleKey = nullptr;
    int width = 0;  // in the list, at 96 dpi
    ColumnAlignment alignment = ColumnAlignment::kLeft;
    // A row's text as the list shows it (UTF-8).
    std::string (*text)(const ScanResults& results, size_t row) = nullptr;
    // A path, which the list draws cut in its middle when it is too wide, so that its file name shows.
    bool isPath = false;
    // What a click on the column's header orders the rows by.
    ReportSortKeys (*sortKeys)(const ScanResults& results) = nullptr;
    // Texts the list column widens to fit on each fill (a few distinct ones: measuring every row
    // would cost more than the fill); nullptr keeps the column's width.
    const std::vector<std::string>& (*widestTexts)(const ScanResults& results) = nullptr;
    // The CSV's header for the column in the fixed form, its language key in the user's form, and a
    // row's field before quoting: a view of the results' own text, of form's words, or of scratch,
    // where a field that must be made is written (the view lasts until scratch is used again);
    // nullptr for a column the CSV leaves out. No field allocates: a million rows are a million calls.
    const char* csvTitle = nullptr;
    const char* csvTitleKey = nullptr;
    std::string_view (*csvText)(const ScanResults& results, size_t row, const CsvForm& form,
                                std::string& scratch) = nullptr;
};

// A time in ISO 8601 UTC to the second ("2026-12-08T09:15:00Z"), as FileTimeToSystemTime reads it,
// written into scratch; empty for the zero time and for one that no SYSTEMTIME can hold.
std::string_view IsoUtcTime(const FILETIME& utc, std::string& scratch);

// Every column, in the order of the list and of the CSV.
const std::vector<ReportColumn>& ReportColumns();
// The columns the list shows (those with a title), in order: the list's column i is element i.
const std::vector<const ReportColumn*>& ListedReportColumns();

// Puts rows (indexes into results, in path order) in the column's order, ascending or descending.
// The sort is stable whichever the direction: rows of equal keys keep the order they had.
void SortReportRows(const ScanResults& results, const ReportColumn& column, bool descending,
                    std::vector<uint32_t>& rows);
