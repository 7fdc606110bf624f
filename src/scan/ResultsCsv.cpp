#include "scan/ResultsCsv.h"

#include <windows.h>

#include <cstdio>

#include "win/FileSystem.h"
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

// Collects the text and hands it to a new file beside the target a megabyte at a time; the
// finished, flushed file then takes the target's name in one rename, which replaces a link of that
// name itself, never what it leads to, and which leaves the old file as it was when anything fails.
class CsvFile {
  public:
    explicit CsvFile(const std::string& target) : target_(target) {
        for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
            temporary_ = target + ".~" + std::to_string(::GetCurrentProcessId()) + "-" +
                         std::to_string(attempt) + ".tmp";
            file_ = win::OpenFile(temporary_, GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
            if (!file_ && ::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
    }
    bool Open() const { return static_cast<bool>(file_); }
    void Add(const std::string& text) {
        buffer_ += text;
        if (buffer_.size() >= (1u << 20))
            Flush();
    }
    // Writes what is left and puts the file in the target's place; a file that could not be
    // written whole is removed and the target stays as it was.
    bool Finish() {
        Flush();
        ok_ = ok_ && ::FlushFileBuffers(file_.get());
        if (!ok_) {
            const bool marked = static_cast<bool>(win::DeleteOpenFile(file_.get()));
            file_.reset();
            if (!marked)
                win::RemoveFile(temporary_);
            return false;
        }
        file_.reset();
        if (win::MoveFileTo(temporary_, target_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        win::RemoveFile(temporary_);
        return false;
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

    std::string target_;
    std::string temporary_;
    win::UniqueFile file_;
    std::string buffer_;
    bool ok_ = true;
};

}  // namespace

bool WriteResultsCsv(const std::string& path, const ScanResults& results, const std::vector<size_t>& rows) {
    CsvFile file(path);
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
