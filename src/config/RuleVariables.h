#pragma once
// The variables of cleaning rules and the folders they stand for on this machine: %AppData%,
// %LocalAppData%, %LocalLowAppData%, %CommonAppData% and %ProgramData%, %ProgramFiles% and
// %CommonProgramFiles% (each both the 64-bit and the 32-bit folder), %Documents%, %Music%,
// %Pictures%, %Video%, %Public%, %SystemDrive% (the drive's root folder, C:\ with its backslash),
// %UserProfile%, %WinDir%, and any environment variable. Names are read without regard to case.

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

// A folder of the shell (FOLDERID_...) without a final backslash; "" when the shell knows none.
std::string KnownFolderPath(const KNOWNFOLDERID& id);

class RuleVariables {
  public:
    // The folders of this machine and user, asked of the system once.
    static RuleVariables Current();

    // Sets what a variable stands for (name without its percent signs); tests build their own.
    void Set(std::string_view name, std::vector<std::string> folders);
    // Environment variables are read for names the table does not hold (Current sets this).
    void UseEnvironment(bool use) { useEnvironment_ = use; }

    // Every text path names: each variable replaced by each of its folders in turn (so a path with
    // %ProgramFiles% gives two), without duplicates. None when a variable is unknown, empty, or a
    // percent sign is left unpaired: such a rule names no folder here.
    std::vector<std::string> Expand(std::string_view path) const;

  private:
    std::vector<std::string> FoldersOf(std::string_view name) const;

    std::map<std::string, std::vector<std::string>> folders_;  // by lower-case name
    bool useEnvironment_ = false;
};
