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
    buffer_ += text;
    if (buffer_.size() >= (1u << 20))
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
    DWORD written = 0;
    if (!buffer_.empty() &&
        (!::WriteFile(file_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &written, nullptr) ||
         written != buffer_.size()))
        ok_ = false;
    buffer_.clear();
}

}  // namespace win
