#pragma once
// The found files as a CSV file that spreadsheet programs read: UTF-8 with a byte-order mark, a
// header line, then one line per file with its path, size in bytes, reason, last-access time
// (ISO 8601, UTC) and whether it is ticked; fields quoted as RFC 4180 says.

#include <string>
#include <vector>

#include "scan/ScanResults.h"

// One field: quoted, with inner quotes doubled, when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& utf8);

// Program text (ANSI code page) as UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

// Writes the rows of results (indexes in path order, in the order given) to path, replacing the
// file. False when the file cannot be written completely; a partly written file is removed.
bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows);
