#pragma once
// Where the running program lives: its folder (the language file, the help file and the factory
// config.xml lie there; the user's data too, unless installed for the whole machine: DataFolders)
// and its file name without the extension.

#include <string>

// The program file's full path (GetModuleFileNameW of the program itself), by its true name.
std::string ProgramFilePath();

// The folder of the program file, without a trailing backslash.
std::string ProgramDirectory();

// Makes ProgramDirectory answer folder instead (an empty folder ends that). Window tests run the
// pages as if the program lived in their own folder, so its config.xml and log are theirs.
void OverrideProgramDirectory(const std::string& folder);
// Whether a test overrides the program folder now.
bool ProgramDirectoryOverridden();

// The program file's name without folder and without its last "." part ("a.b.exe" -> "a.b").
std::string ProgramBaseName();

// The base name for a given program path, so that it can be checked with any path. The folder of
// a given path is win::FolderPartOf.
std::string ProgramBaseNameOf(const std::string& modulePath);

// The activity log's data folder of a program folder: programFolder + "\Log\Data".
std::string ActivityLogDataFolder(const std::string& programFolder);

// The activity log's data folder of this program: beside it, or in the user's profile for an
// installation for the whole machine (see DataFolders).
std::string ProgramLogFolder();
