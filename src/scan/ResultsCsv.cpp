#include "scan/ResultsCsv.h"

#include "scan/ReportColumns.h"
#include "win/ReplacingFile.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

std::string CsvField(const std::string& utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string::npos)
        return utf8;
    std::string quoted = "\"";
    for (char c : utf8) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string StrictUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        // WTF-8 writes a surrogate as ED A0..BF xx; UTF-8 has no such sequence.
        if (static_cast<unsigned char>(text[i]) == 0xED && i + 2 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) >= 0xA0) {
            utf8 += "\xEF\xBF\xBD";
            i += 2;
        } else {
            utf8 += text[i];
        }
    }
    return utf8;
}

namespace {

// One line of the CSV: each column the CSV has, its field quoted where it must be.
template <typename Field>
std::string CsvLine(Field field) {
    std::string line;
    bool first = true;
    for (const ReportColumn& column : ReportColumns()) {
        if (!column.csvTitle)
            continue;
        if (!first)
            line += ',';
        first = false;
        line += CsvField(StrictUtf8(field(column)));
    }
    return line + "\r\n";
}

}  // namespace

bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows) {
    win::ReplacingFile file(path);
    if (!file.Open())
        return false;
    file.Add("\xEF\xBB\xBF" +
             CsvLine([](const ReportColumn& column) { return std::string(column.csvTitle); }));
    for (size_t row : rows) {
        if (row < results.Count())
            file.Add(CsvLine([&](const ReportColumn& column) { return column.csvText(results, row); }));
    }
    return file.Finish();
}
