#include "win/LastAccessKept.h"

#include <utility>

namespace win {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

LastAccessKept::LastAccessKept(std::string_view path) : path_(path) {
    // Attributes only: no data is read through this handle, and it never stands in the way of
    // another program, which may read, write, rename or delete the file meanwhile.
    UniqueFile file = OpenFile(path_, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, kShareAll, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT);
    if (!file)
        return;
    const ResultOf<OpenFileFacts> facts = QueryOpenFile(file.get());
    if (!facts)
        return;
    before_ = facts.Value();
    // A link's own time is not what the reads touch (they follow it), and what it leads to is not
    // ours to change; a folder has no icon or version of its own to read.
    if (before_.attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        return;
    file_ = std::move(file);
}

bool LastAccessKept::Restore() noexcept {
    if (!file_)
        return false;
    UniqueFile file = std::move(file_);
    // The file at the path now: the reads went to whatever the path named, and a file that took
    // the name meanwhile has a time of its own, which ours must not overwrite.
    UniqueFile atPath =
        OpenFile(path_, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (!atPath || !SameObject(atPath.get(), file.get()))
        return false;
    const ResultOf<OpenFileFacts> held = QueryOpenFile(file.get());
    if (!held || held.Value().deletePending)
        return false;
    return ::SetFileTime(file.get(), nullptr, &before_.lastAccess, nullptr) != FALSE;
}

}  // namespace win
