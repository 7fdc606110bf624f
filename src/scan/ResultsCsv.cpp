#include "scan/ResultsCsv.h"

#include <windows.h>

#include <cstdio>

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

std::string AnsiToUtf8(const std::string& ansi) {
    const std::wstring wide = win::AnsiToWide(ansi);
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), n, nullptr, nullptr);
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

// Collects the text and hands it to the file a megabyte at a time.
class CsvFile {
  public:
    explicit CsvFile(const std::string& path)
        : file_(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr)) {}
    bool Open() const { return static_cast<bool>(file_); }
    void Add(const std::string& text) {
        buffer_ += text;
        if (buffer_.size() >= (1u << 20))
            Flush();
    }
    bool Finish() {
        Flush();
        return ok_;
    }

  private:
    void Flush() {
        DWORD written = 0;
        if (!buffer_.empty() && (!::WriteFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()),
                                              &written, nullptr) ||
                                 written != buffer_.size()))
            ok_ = false;
        buffer_.clear();
    }

    win::UniqueFile file_;
    std::string buffer_;
    bool ok_ = true;
};

}  // namespace

bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows) {
    bool ok;
    {
        CsvFile file(path);
        if (!file.Open())
            return false;
        file.Add("\xEF\xBB\xBFPath,Size (bytes),Reason,Last access (UTC),Ticked\r\n");
        for (size_t row : rows) {
            if (row >= results.Count())
                continue;
            file.Add(CsvField(AnsiToUtf8(std::string(results.Path(row)))) + ',' +
                     std::to_string(results.Size(row)) + ',' + CsvField(AnsiToUtf8(results.Reason(row))) +
                     ',' + IsoTime(results.LastAccess(row)) + ',' + (results.IsTicked(row) ? "yes" : "no") +
                     "\r\n");
        }
        ok = file.Finish();
    }
    if (!ok)
        ::DeleteFileA(path.c_str());
    return ok;
}
