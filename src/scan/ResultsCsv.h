#pragma once
// The found files as a CSV file that spreadsheet programs read: UTF-8 with a byte-order mark, a
// header line, then one line per file with the CSV's columns of the report table (ReportColumns:
// path, size in bytes, reason, last-access time in ISO 8601 UTC, whether it is ticked); fields
// quoted as RFC 4180 says.

#include <string>
#include <string_view>
#include <vector>

#include "scan/ReportColumns.h"
#include "scan/ScanResults.h"

// One field: quoted, with inner quotes doubled, when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& utf8);

// Program text as strictly valid UTF-8: a name's unpaired surrogate (which WTF-8 keeps) becomes
// U+FFFD, the one change a spreadsheet program's reader would otherwise make or refuse.
std::string StrictUtf8(std::string_view text);

// One row's line of the CSV in form (its fields, then CR LF), appended to out; scratch is the
// fields' room to be made in, kept from row to row so that no field allocates.
void AppendCsvLine(std::string& out, const ScanResults& results, size_t row, const CsvForm& form,
                   std::string& scratch);

// Writes the rows of results (indexes in path order, in the order given) to path: into a new file
// beside it, flushed, that then replaces path by a rename (a link at path is replaced itself; what
// it leads to is never written). False when the file cannot be written completely or put in place;
// the old file at path is then as it was, and no partly written file is left.
// The separator between fields is form's; a field holding it (or a comma) is quoted.
bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows,
                     const CsvForm& form = CsvForm());

// The form a user's spreadsheet program reads: the titles and yes/no in the language spoken, and
// the list separator of that language's locale (a semicolon where the comma is the decimal mark).
CsvForm UserCsvForm();
