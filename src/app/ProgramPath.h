#pragma once
// Where the running program lives: its folder (the language file, the help file, config.xml and
// the log folder lie there) and its file name without the extension.

#include <string>

// The program file's full path (GetModuleFileNameA of the program itself).
std::string ProgramFilePath();

// The folder of the program file, without a trailing backslash.
std::string ProgramDirectory();

// Makes ProgramDirectory answer folder instead (an empty folder ends that). Window tests run the
// pages as if the program lived in their own folder, so its config.xml and log are theirs.
void OverrideProgramDirectory(const std::string& folder);

// The program file's name without folder and without its last "." part ("a.b.exe" -> "a.b").
std::string ProgramBaseName();

// The same two answers for a given program path, so that they can be checked with any path.
// The folder is the text before the last "\" or ":" ("C:\Tools\cleaner.exe" -> "C:\Tools",
// "D:x.exe" -> "D:"): when the cut is at a colon and no colon remains, the colon is put back so a
// bare drive stays a drive; a folder cut at a backslash stands as it is ("\\nas\apps\q.exe" ->
// "\\nas\apps"). A path without either separator has no folder part: the empty text.
std::string ProgramDirectoryOf(const std::string& modulePath);
std::string ProgramBaseNameOf(const std::string& modulePath);
