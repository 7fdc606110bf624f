#include "scan/ResultsCsv.h"

#include <windows.h>

#include <cstdio>

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

std::string IsoTime(const FILETIME& utc) {
    SYSTEMTIME time;
    if ((utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) || !::FileTimeToSystemTime(&utc, &time))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth, time.wDay,
                  time.wHour, time.wMinute, time.wSecond);
    return text;
}

}  // namespace

bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows) {
    win::ReplacingFile file(path);
    if (!file.Open())
        return false;
    file.Add("\xEF\xBB\xBFPath,Size (bytes),Reason,Last access (UTC),Ticked\r\n");
    for (size_t row : rows) {
        if (row >= results.Count())
            continue;
        file.Add(CsvField(StrictUtf8(results.Path(row))) + ',' + std::to_string(results.Size(row)) + ',' +
                 CsvField(StrictUtf8(results.Reason(row))) + ',' + IsoTime(results.LastAccess(row)) + ',' +
                 (results.IsTicked(row) ? "yes" : "no") + "\r\n");
    }
    return file.Finish();
}
