#pragma once
// Folders and files that a test makes for itself, and removes again, under the temporary folder.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scan/ScanResults.h"

namespace test {

// A fresh folder under the temporary folder, removed with everything in it when the object goes.
// Removal never follows folder links, so it cannot reach anything outside the folder.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Path + "\" + relative.
    std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

  private:
    std::string path_;
};

// Creates the file (and the folders above it) with the given content.
void WriteFile(const std::string& path, const std::string& content = "x");
void MakeFolders(const std::string& path);
bool Exists(const std::string& path);
std::string ReadFile(const std::string& path);
// Sets the last-access time to now minus the given amount.
void SetAccessedAgo(const std::string& path, double days);
// Makes a file of the given length without writing its bytes.
void MakeSizedFile(const std::string& path, uint64_t bytes);
// Writes a ".lnk" shortcut to target through the shell's shortcut object (COM must be initialised).
void MakeShortcut(const std::string& shortcut, const std::string& target);
// Writes a shortcut to a virtual folder (My Computer), which has no file-system target path.
void MakeShortcutWithoutPath(const std::string& shortcut);
// The 8.3 short form of an existing path shorter than 260 characters, as the system gives it
// (Wine makes one up for every long name); throws when there is none.
std::string ShortPathOf(const std::string& path);
// The names of a folder's own entries (files and folders) as they are on disk, sorted.
std::vector<std::string> NamesIn(const std::string& folder);
// Every file below folder, as paths relative to it, sorted.
std::vector<std::string> FilesBelow(const std::string& folder);
// The file's stamp as a listing gives it (size, times), for cleaning sets a test makes itself.
FileStamp StampOf(const std::string& path);
// Removes a folder tree without following folder links.
void RemoveTree(const std::string& path);

}  // namespace test
