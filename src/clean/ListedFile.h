#pragma once
// A file of the cleaning set, opened by the path the scan listed and checked against what the
// listing said before anything is done to it; every act then goes through that open file, so
// what was checked is what is backed up and removed, even if a folder on the way is swapped for
// a link meanwhile.

#include <windows.h>

#include <string>

#include "scan/ScanResults.h"
#include "win/FileSystem.h"
#include "win/UniqueHandle.h"

// What the check found at the listed path.
enum class ListedState {
    Same,        // the file the scan listed, unchanged
    Gone,        // nothing there any more
    InUse,       // another program holds it so that it cannot be removed
    Linked,      // the path leads through a link now, or to one: it reaches another place
    Changed,     // written to or replaced since the scan (size, last write or id differ)
    Unreadable,  // could not be opened or checked for another reason (Error says why)
};

class ListedFile {
  public:
    // Opens the listed path (a full one; anything else is Unreadable) for reading and deleting,
    // sharing it only for reading, without following a final link, and compares the file with its
    // stamp from the listing.
    ListedFile(const std::string& path, const FileStamp& listed);

    ListedState State() const noexcept { return state_; }
    DWORD Error() const noexcept { return error_; }

    // Moves the file into backupPath (on the same volume; its folder must exist, checked and held)
    // through the open file: a rename, never over another file. True when it moved; the file is
    // then closed.
    bool MoveTo(const std::string& backupPath);
    // Copies the open file into backupPath, a file created new. The file stays open.
    bool CopyTo(const std::string& backupPath) const;
    // Deletes the open file and closes it; true when the listed path names nothing afterwards.
    bool Remove();
    // Lets the file go untouched.
    void Close() { file_.reset(); }

  private:
    std::string path_;
    win::UniqueFile file_;
    ListedState state_ = ListedState::Unreadable;
    DWORD error_ = ERROR_SUCCESS;
};

// Opens the file at path for access, sharing it only for reading, without following a final
// link, and only when the open file is the one the path names: not a link, and no link on the
// way (ERROR_REPARSE_TAG_MISMATCH otherwise). Empty when it fails; error says why. about tells
// what the open file is.
win::UniqueFile OpenUnlinkedFile(const std::string& path, DWORD access, DWORD& error,
                                 win::OpenFileFacts& about);

// Deletes the file at path, never what a link leads to: a file by the handle its check opened
// (read-only or not), a link by its own name.
bool RemoveFileExactly(const std::string& path);

// Whether a file is on the volume of another path, so that it moves there without a copy. The
// system's answer is kept per folder, since asking costs a look at every folder on the way.
class SameVolumeCache {
  public:
    bool Holds(const std::string& file, const std::string& other);

  private:
    std::string fileFolder_, other_;
    std::wstring fileVolume_, otherVolume_;
};

// The folder opened and held so that it cannot be renamed or removed meanwhile (Windows keeps a
// folder with an open file in it in its place), and checked to be the folder its path names, no
// link on the way. Empty when it cannot be opened (error says why) or leads elsewhere
// (ERROR_REPARSE_TAG_MISMATCH).
win::UniqueFile OpenCheckedFolder(const std::string& folder, DWORD& error);

// The folder opened, checked and held as OpenCheckedFolder does; missing levels are made one by
// one, each inside the level above it while that one is held and checked, then opened and checked
// itself before the next: nothing is ever made through a link. A folder "X:" is the drive's root.
// Empty when a level cannot be made or opened (error says why) or leads elsewhere
// (ERROR_REPARSE_TAG_MISMATCH).
win::UniqueFile OpenOrMakeCheckedFolder(const std::string& folder, DWORD& error);
