#pragma once
// A file of the cleaning set, opened by the path the scan listed and checked against what the
// listing said before anything is done to it; every act then goes through that open file, so
// what was checked is what is backed up and removed, even if a folder on the way is swapped for
// a link meanwhile.

#include <windows.h>

#include <string>

#include "scan/ScanResults.h"
#include "win/OpenFileCalls.h"
#include "win/Result.h"
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

// Where a listed file is after another party (the shell) acted on its path, as its open file says.
enum class ListedPlace {
    AtPath,      // still at the listed path
    RecycleBin,  // in the Recycle Bin
    Deleted,     // deleted: its deletion has taken or will take its name
    Elsewhere,   // somewhere else: something else was taken in its place
    Unknown,     // its place could not be asked
};

class ListedFile {
  public:
    // Who else may act on the file while it is open: nobody (the program acts through this open
    // file), or also whoever moves it (the shell, moving it to the Recycle Bin). Writers never.
    enum class Sharing { Reading, ReadingAndMoving };

    // Opens the listed path (a full one; anything else is Unreadable) for reading and deleting,
    // sharing it as sharing says, without following a final link, and compares the file with its
    // stamp from the listing.
    ListedFile(const std::string& path, const FileStamp& listed, Sharing sharing = Sharing::Reading);

    ListedState State() const noexcept { return state_; }
    DWORD Error() const noexcept { return error_; }

    // Moves the file into backupPath (on the same volume; its folder must exist, checked and held)
    // through the open file: a rename, never over another file. The file is closed once it moved.
    win::Result MoveTo(const std::string& backupPath);
    // Copies the open file into backupPath, a file created new and checked. The file stays open.
    win::Result CopyTo(const std::string& backupPath) const;
    // Deletes the open file and closes it; it succeeds only when the listed path names nothing
    // afterwards (ERROR_FILE_EXISTS when it still names a file, for example one another program
    // holds open, whose deletion waits for it).
    win::Result Remove();
    // Where the open file is now (the file must be open sharing moves, so that others could act):
    // at its path, in the Recycle Bin (its volume's "$Recycle.Bin" folder; under Wine, whose bin is
    // the Unix user's trash outside every drive, no longer anywhere on its volume while it still has
    // a name), deleted, or elsewhere on its volume.
    ListedPlace Place() const;
    // Lets the file go untouched.
    void Close() { file_.reset(); }

  private:
    std::string path_;
    win::UniqueFile file_;
    ListedState state_ = ListedState::Unreadable;
    DWORD error_ = ERROR_SUCCESS;
};

// Opens the file at path for access, sharing it as share says (FILE_SHARE_READ unless others may
// move it), without following a final link, and only when the open file is the one the path
// names: not a link, and no link on the way (ERROR_REPARSE_TAG_MISMATCH otherwise), with what the
// open file is.
struct UnlinkedFile {
    win::UniqueFile file;
    win::OpenFileFacts about;
};
win::ResultOf<UnlinkedFile> OpenUnlinkedFile(const std::string& path, DWORD access,
                                             DWORD share = FILE_SHARE_READ);

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
// link on the way. A failure when it cannot be opened or leads elsewhere
// (ERROR_REPARSE_TAG_MISMATCH).
win::ResultOf<win::UniqueFile> OpenCheckedFolder(const std::string& folder);

// The folder opened, checked and held as OpenCheckedFolder does; missing levels are made one by
// one, each inside the level above it while that one is held and checked, then opened and checked
// itself before the next: nothing is ever made through a link. A folder "X:" is the drive's root.
// A failure when a level cannot be made or opened, or leads elsewhere (ERROR_REPARSE_TAG_MISMATCH).
win::ResultOf<win::UniqueFile> OpenOrMakeCheckedFolder(const std::string& folder);
