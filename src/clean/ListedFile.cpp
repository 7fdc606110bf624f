#include "clean/ListedFile.h"

#include <vector>

#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/OpenFileCalls.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/VerifiedCopy.h"

namespace {

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

win::UniqueFile OpenUnlinkedFile(const std::string& path, DWORD access, DWORD& error,
                                 win::OpenFileFacts& about, DWORD share) {
    error = ERROR_SUCCESS;
    win::UniqueFile file = win::OpenFile(path, access, share, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN);
    if (!file) {
        error = ::GetLastError();
        return file;
    }
    // The place the open file has, every link on the way resolved: a folder of the path that
    // became a link leads elsewhere, and so does a file link where the system opened its target.
    if (!win::QueryOpenFile(file.get(), about)) {
        error = ::GetLastError();
        file.reset();
        return file;
    }
    if ((about.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !win::IsAtPath(file.get(), path)) {
        error = ERROR_REPARSE_TAG_MISMATCH;
        file.reset();
    }
    return file;
}

ListedFile::ListedFile(const std::string& path, const FileStamp& listed, Sharing sharing) : path_(path) {
    // Only a full path names one file whatever the current folder.
    if (!win::IsFullPath(path)) {
        error_ = ERROR_INVALID_NAME;
        return;
    }
    win::OpenFileFacts about;
    // Never shared for writing: a file another program may be writing is kept, since deleting it
    // under that program would lose its work.
    const DWORD share = sharing == Sharing::Reading ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_DELETE;
    file_ = OpenUnlinkedFile(path, GENERIC_READ | DELETE, error_, about, share);
    if (!file_) {
        if (error_ == ERROR_FILE_NOT_FOUND || error_ == ERROR_PATH_NOT_FOUND)
            state_ = ListedState::Gone;
        else if (error_ == ERROR_SHARING_VIOLATION || error_ == ERROR_LOCK_VIOLATION)
            state_ = ListedState::InUse;
        else if (error_ == ERROR_REPARSE_TAG_MISMATCH)
            state_ = ListedState::Linked;
        return;
    }
    const bool same = !(about.attributes & FILE_ATTRIBUTE_DIRECTORY) && about.size == listed.size &&
                      SameTime(about.lastWrite, listed.lastWrite) &&
                      (listed.fileId == 0 || about.fileId == listed.fileId);
    if (!same) {
        state_ = ListedState::Changed;
        file_.reset();
        return;
    }
    state_ = ListedState::Same;
}

win::Result ListedFile::MoveTo(const std::string& backupPath) {
    if (!file_)
        return win::Result::Failed(error_);
    win::Result moved = win::RenameOpenFile(file_.get(), backupPath);
    if (moved)
        file_.reset();
    return moved;
}

win::Result ListedFile::CopyTo(const std::string& backupPath) const {
    return file_ ? win::CopyOpenFile(file_.get(), backupPath) : win::Result::Failed(error_);
}

win::Result ListedFile::Remove() {
    if (!file_)
        return win::Result::Failed(error_);
    if (win::Result deleted = win::DeleteOpenFile(file_.get()); !deleted)
        return deleted;
    file_.reset();
    // The deletion happens as the file closes; if a folder on the way has become a link since, or
    // another program still holds the file, nothing may have been deleted: only a listed path
    // that names nothing counts.
    if (win::FileAttributes(path_) != INVALID_FILE_ATTRIBUTES)
        return win::Result::Failed(ERROR_FILE_EXISTS);
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return {};
    return win::Result::Failed(error);
}

ListedPlace ListedFile::Place() const {
    win::OpenFileFacts facts;
    if (!file_ || !win::QueryOpenFile(file_.get(), facts))
        return ListedPlace::Unknown;
    if (facts.deletePending || facts.links == 0)
        return ListedPlace::Deleted;
    std::string now;
    const win::Result asked = win::CurrentPathOf(file_.get(), path_, now);
    if (!asked)
        return asked.Error() == ERROR_FILE_NOT_FOUND ? ListedPlace::RecycleBin : ListedPlace::Unknown;
    if (win::SameFolded(now, path_))
        return ListedPlace::AtPath;
    const std::string bin = win::VolumeRootOf(path_) + "$Recycle.Bin\\";
    const bool inBin =
        bin.size() > 13 && now.size() > bin.size() && win::SameFolded(now.substr(0, bin.size()), bin);
    return inBin ? ListedPlace::RecycleBin : ListedPlace::Elsewhere;
}

bool SameVolumeCache::Holds(const std::string& file, const std::string& other) {
    // Files of one folder are on one volume: the system is asked once per folder.
    const std::string folder = file.substr(0, file.find_last_of('\\') + 1);
    if (folder != fileFolder_) {
        fileFolder_ = folder;
        fileVolume_ = win::VolumeOf(folder);
    }
    if (other != other_) {
        other_ = other;
        otherVolume_ = win::VolumeOf(other);
    }
    return !fileVolume_.empty() && fileVolume_ == otherVolume_;
}

win::UniqueFile OpenCheckedFolder(const std::string& folder, DWORD& error) {
    win::UniqueFile handle =
        win::OpenFile(folder, FILE_LIST_DIRECTORY | FILE_TRAVERSE | SYNCHRONIZE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (!handle) {
        error = ::GetLastError();
        return handle;
    }
    if (!win::IsAtPath(handle.get(), folder)) {
        error = ERROR_REPARSE_TAG_MISMATCH;
        handle.reset();
    }
    return handle;
}

namespace {

// The folder that holds folder: "C:\a" -> "C:\", "\\s\h\a" -> "\\s\h"; "" above a drive's root or
// a share, which cannot be made.
std::string FolderAbove(const std::string& folder) {
    if (folder.size() <= 3 && folder.size() >= 2 && folder[1] == ':')
        return {};
    const size_t cut = win::FindLastCharOf(folder, "\\");
    if (cut == std::string::npos || cut == 0)
        return {};
    std::string above = folder.substr(0, cut);
    if (above.size() == 2 && above[1] == ':')
        return above + "\\";
    // "\\server" alone is no folder.
    if (above.compare(0, 2, "\\\\") == 0 && above.find('\\', 2) == std::string::npos)
        return {};
    return above;
}

}  // namespace

win::UniqueFile OpenOrMakeCheckedFolder(const std::string& folder, DWORD& error) {
    std::string at = folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
    // The levels that are not there, the deepest first.
    std::vector<std::string> missing;
    win::UniqueFile held;
    for (;;) {
        held = OpenCheckedFolder(at, error);
        if (held)
            break;
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return held;
        std::string above = FolderAbove(at);
        if (above.empty())
            return held;
        missing.push_back(std::move(at));
        at = std::move(above);
    }
    for (auto level = missing.rbegin(); level != missing.rend(); ++level) {
        // Made while the folder above is held at its checked place, so it goes there.
        if (!win::MakeFolder(*level)) {
            error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS)
                return win::UniqueFile();
        }
        held = OpenCheckedFolder(*level, error);
        if (!held)
            return held;
    }
    error = ERROR_SUCCESS;
    return held;
}
