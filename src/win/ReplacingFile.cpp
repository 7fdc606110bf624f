#include "win/ReplacingFile.h"

#include <windows.h>

#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"

namespace win {

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
    for (int attempt = 0; attempt < 100 && !file_; ++attempt) {
        temporary_ =
            target + ".~" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
        file_ = OpenFile(temporary_, GENERIC_WRITE | DELETE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (!file_ && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
}

void ReplacingFile::Add(const std::string& text) {
    // A caller that gathers its own megabyte hands it over whole: written as it is, not copied.
    if (buffer_.empty() && text.size() >= kWriteBytes) {
        Write(text);
        return;
    }
    buffer_ += text;
    if (buffer_.size() >= kWriteBytes)
        Flush();
}

bool ReplacingFile::Finish() {
    if (!file_)
        return false;
    Flush();
    ok_ = ok_ && ::FlushFileBuffers(file_.get());
    if (!ok_) {
        const bool marked = static_cast<bool>(DeleteOpenFile(file_.get()));
        file_.reset();
        if (!marked)
            (void)RemoveFile(temporary_);
        return false;
    }
    file_.reset();
    if (MoveFileTo(temporary_, target_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    (void)RemoveFile(temporary_);
    return false;
}

void ReplacingFile::Flush() {
    if (!buffer_.empty())
        Write(buffer_);
    buffer_.clear();
}

void ReplacingFile::Write(const std::string& text) {
    DWORD written = 0;
    if (!::WriteFile(file_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        ok_ = false;
}

}  // namespace win
