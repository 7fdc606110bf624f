#pragma once
// The file details dialog: one file's icon and path, the text fields of its version resource per
// language block, its times and size; and two buttons that hand the file to the shell's file
// browser or to a web search.

#include <map>
#include <string>

#include "scan/ScanResults.h"
#include "win/Dialog.h"
#include "win/UniqueHandle.h"

// What the dialog lists about a file, with the row labels already translated.
struct FileDetails {
    bool exists = false;
    // Language code ("0x0409 0x04B0") -> row label -> value, one inner map per language block.
    std::map<std::string, TextMap> versionRows;
    // Row label -> value: the three times and the size, or the not-found message.
    TextMap generalRows;
};

// Reads the version resource, times and size of the file at path.
FileDetails ReadFileDetails(const std::string& path);

class FileDetailsDialog : public win::Dialog {
  public:
    explicit FileDetailsDialog(std::string path) : path_(std::move(path)) {}

  protected:
    bool OnInit() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

  private:
    void AppendRow(const std::string& label, const std::string& value) const;

    std::string path_;
    win::UniqueIcon ownIcon_;  // the icon taken from the file, released with the dialog object
};
