#include "scan/ResultsCsv.h"

#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "scan/ReportColumns.h"
#include "win/ReplacingFile.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

#include <array>
#include <string_view>
#include <vector>

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

// The bytes that make a field quoted (',', '"', CR, LF) or start a surrogate's three bytes (0xED).
constexpr std::array<bool, 256> kNotPlain = [] {
    std::array<bool, 256> notPlain{};
    for (unsigned char c : {',', '"', '\r', '\n', '\xED'})
        notPlain[c] = true;
    return notPlain;
}();

// Appends text to out as one field: strictly valid UTF-8 (StrictUtf8), then quoted where it must
// be (CsvField), in one pass and without a string of its own; a field holding the separator is
// quoted too. Nearly every field holds none of the bytes that matter and is copied whole. A
// surrogate's replacement holds no character that asks for quotes, so the raw text decides.
void AppendCsvField(std::string& out, std::string_view text, std::string_view separator) {
    size_t first = 0;
    while (first < text.size() && !kNotPlain[static_cast<unsigned char>(text[first])])
        ++first;
    const bool holdsSeparator = separator != "," && text.find(separator) != std::string_view::npos;
    if (first == text.size() && !holdsSeparator) {
        out += text;
        return;
    }
    const bool quoted = holdsSeparator || text.find_first_of(",\"\r\n", first) != std::string_view::npos;
    if (quoted)
        out += '"';
    size_t plain = 0;  // start of the run of bytes copied as they are
    for (size_t i = first; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"' && quoted) {
            out.append(text, plain, i + 1 - plain);
            out += '"';
            plain = i + 1;
        } else if (static_cast<unsigned char>(c) == 0xED && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0xA0) {
            out.append(text, plain, i - plain);
            out += "\xEF\xBF\xBD";
            i += 2;
            plain = i + 1;
        }
    }
    out.append(text, plain, text.size() - plain);
    if (quoted)
        out += '"';
}

// The CSV's columns, in order.
const std::vector<const ReportColumn*>& CsvColumns() {
    static const std::vector<const ReportColumn*> columns = [] {
        std::vector<const ReportColumn*> csv;
        for (const ReportColumn& column : ReportColumns()) {
            if (column.csvTitle)
                csv.push_back(&column);
        }
        return csv;
    }();
    return columns;
}

// The file is written in blocks of this size: a report of a million rows is a few hundred writes.
constexpr size_t kBlockBytes = 1u << 20;

}  // namespace

void AppendCsvLine(std::string& out, const ScanResults& results, size_t row, const CsvForm& form,
                   std::string& scratch) {
    const std::vector<const ReportColumn*>& columns = CsvColumns();
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += form.separator;
        AppendCsvField(out, columns[i]->csvText(results, row, form, scratch), form.separator);
    }
    out += "\r\n";
}

CsvForm UserCsvForm() {
    CsvForm form;
    wchar_t separator[8] = {};
    if (::GetLocaleInfoEx(CurrentLocale().name.c_str(), LOCALE_SLIST, separator, 8) > 0) {
        const std::string text = win::Narrow(separator);
        // A separator that would break the lines or the quoting is no separator.
        if (!text.empty() && text.find_first_of("\"\r\n") == std::string::npos)
            form.separator = text;
    }
    form.translatedTitles = true;
    form.yes = Translate("_CsvTicked");
    form.no = Translate("_CsvNotTicked");
    return form;
}

bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows,
                     const CsvForm& form) {
    win::ReplacingFile file(path);
    if (!file.Open())
        return false;
    const std::vector<const ReportColumn*>& columns = CsvColumns();
    std::string block = "\xEF\xBB\xBF";
    block.reserve(kBlockBytes + 4096);
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            block += form.separator;
        AppendCsvField(
            block,
            form.translatedTitles ? Translate(columns[i]->csvTitleKey) : std::string(columns[i]->csvTitle),
            form.separator);
    }
    block += "\r\n";
    std::string scratch;
    for (size_t row : rows) {
        if (row >= results.Count())
            continue;
        AppendCsvLine(block, results, row, form, scratch);
        if (block.size() >= kBlockBytes) {
            file.Add(block);
            block.clear();
        }
    }
    file.Add(block);
    return file.Finish();
}
