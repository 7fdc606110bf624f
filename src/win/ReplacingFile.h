#pragma once
// A file written whole before it takes its name: the text goes into a new file beside the target,
// which, once written and flushed, replaces the target in one rename. A link at the target's name
// is replaced itself, never written through, and a write that fails leaves the old file as it was.
// The report's CSV and the rules log are written this way.

#include <string>

#include "win/UniqueHandle.h"

namespace win {

class ReplacingFile {
  public:
    // Creates the new file beside target (a name no other file has).
    explicit ReplacingFile(const std::string& target);
    // False when no new file could be made beside the target: nothing is written then.
    bool Open() const { return static_cast<bool>(file_); }
    // Collects the text and writes it a megabyte at a time.
    void Add(const std::string& text);
    // Writes what is left and puts the file in the target's place; a file that could not be
    // written whole is removed and the target stays as it was. True when the target is the new file.
    bool Finish();

  private:
    static constexpr size_t kWriteBytes = 1u << 20;

    void Flush();
    void Write(const std::string& text);

    std::string target_;
    std::string temporary_;
    UniqueFile file_;
    std::string buffer_;
    bool ok_ = true;
};

}  // namespace win
