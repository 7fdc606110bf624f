#pragma once
// The places whose files are the user's, the system's or the program's own: no place the program
// searches by itself (a system location, a cleaning rule) may take such files, whatever form its
// folder is written in and however its masks are spelt. A place is judged by the folder it
// resolves to and by the names its masks match with the scan's own matcher.
//
// The folders the user chooses in the wizard and on the command line, and the masks they tick, are
// the user's own choice and are not judged here.

#include <string>
#include <vector>

#include "win/TruePath.h"

struct ProtectedPlaces {
    // Protected at every depth: the user's own files (documents, desktop, pictures, music, videos,
    // downloads, favourites, contacts, saved games, OneDrive), every other profile, Public and
    // Default. A place there may take only files whose names a user's own file could not have.
    std::vector<std::string> wholeTree;
    // Protected themselves, and where a wildcard step stands for their direct children: the
    // Windows, system and program folders, ProgramData, the Users folder, the profile and its
    // application data folders. Every drive and share root is such a place without being listed.
    // A named folder below them (the Windows folder's Temp, a vendor's cache) is what rules are for.
    std::vector<std::string> rootOnly;
    // Never searched by the program's own places, at any depth and with any mask: the program
    // folder, the configuration's folder, the backup folders and the log.
    std::vector<std::string> never;

    // This machine and user, each folder in true form; own holds the program's own folders.
    static ProtectedPlaces Current(const std::vector<std::string>& own);
};

// The form a place's folder is judged and walked in: the text read as Windows reads a path ("/" as
// "\", doubled separators as one, "." and ".." steps taken, each step's final dots and blanks
// dropped, "\\?\" and "\\.\" prefixes and the administrative shares of this computer
// ("\\localhost\C$") read as the local path), then the steps before the first wildcard resolved
// to their true form (win::TruePathOf: long names, the disk's case, links followed); wildcard
// steps stay. error is ERROR_INVALID_NAME, with path the text as given, for a text that names no
// place that can be judged (relative, a device, a share of this computer other than a drive's).
win::ResultOf<std::string> PlaceFolderForm(const std::string& text);

// Why a place the program searches by itself may not take the files that masks match in folder
// (a PlaceFolderForm path, wildcard steps allowed), and below it with recurse; empty when it may.
// The reason is in words a user understands.
std::string WhyProtected(const ProtectedPlaces& places, const std::string& folder,
                         const std::vector<std::string>& masks, bool recurse);

// True when some folder the pattern (wildcard steps allowed) can name is folder or lies below it.
bool CanNameInside(const std::string& pattern, const std::string& folder);

// The names of the files a user keeps that the masks match (with the scan's matcher), from a fixed
// set of such names: documents, spreadsheets, pictures, music, video, archives, programs, PDFs,
// notes, settings files, names without an extension and names with several dots.
std::vector<std::string> UserFileNamesMatched(const std::vector<std::string>& masks);
