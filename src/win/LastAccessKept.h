#pragma once
// Keeps a file's last-access time as it was while the program only looks at the file. Reading a
// file's icon or version resource opens and reads it, and the file system then takes it for
// opened: the next scan's "not opened for N months" would no longer find it.

#include <string>
#include <string_view>

#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/UniqueHandle.h"

namespace win {

// Holds the file at path from construction on and puts its last-access time back in Restore (or
// the destructor). The shell's icon and version reads open the file by its path themselves, so a
// handle of ours that asks the system not to update the time for its own reads would not cover
// them: the time is read first and written back afterwards, through the same handle (opened for
// attributes only, sharing everything, never through a final link). It is written back only while
// the path still names that file (the same file id): a file replaced or removed meanwhile, or a
// link, is left as it is. (Under Wine a handle's "do not update" time, 0xFFFFFFFF, is accepted and
// changes nothing, while the host still updates the time on every read; the time written back
// holds there too.)
class LastAccessKept {
  public:
    explicit LastAccessKept(std::string_view path);
    LastAccessKept(const LastAccessKept&) = delete;
    LastAccessKept& operator=(const LastAccessKept&) = delete;
    ~LastAccessKept() { Restore(); }

    // Whether the file is held: false for a file that is not there, a link, a folder, or one the
    // user may not change the attributes of.
    bool Held() const noexcept { return static_cast<bool>(file_); }
    // Writes the time back once and lets the file go; true when it was written.
    bool Restore() noexcept;

  private:
    std::string path_;
    UniqueFile file_;
    OpenFileFacts before_{};
};

}  // namespace win
