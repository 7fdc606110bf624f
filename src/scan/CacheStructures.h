#pragma once
// Caches recognised by their structure. Many applications embed one of a few engines (Chromium's,
// Gecko's) or live in a Store package, and each of these lays its caches out the same way in every
// application that uses it. A folder is a cache here only when it stands where the engine puts one
// (its name, and its parent's where the engine names both) and its own listing holds the engine's
// layout: never by a folder's name alone. Only the files the engine rebuilds are taken; whatever
// lies beside them (cookies, local storage, settings, a user's file) stays.

#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "scan/ProtectedPlaces.h"

// One name of a folder's listing, folded (win::Folded).
struct CacheListedName {
    std::wstring folded;
    bool folder = false;
    bool link = false;  // a reparse point: never part of a layout, never followed
};

// What a structure sees of a folder once its listing has ended.
struct CacheFolderView {
    std::wstring_view apiFolder;                // the file calls' form, with its final backslash
    const std::vector<CacheListedName>& names;  // its files and subfolders
};

// A kind of cache: where it stands, the layout its folder holds, and which files are its own.
struct CacheStructure {
    const char* reasonKey;  // "_Structure...": a format whose %s is the application's name
    // Where it stands, given the folded steps below the walk's root (the folder's own name last).
    bool (*standsAt)(const std::vector<std::wstring_view>& steps);
    // Whether the listing holds the engine's layout.
    bool (*holdsLayout)(const CacheFolderView& folder);
    // The folder's own files that are the cache's (folded name); nullptr: every file, at every depth.
    bool (*ownFile)(std::wstring_view foldedName);
    // Subfolders (folded name) whose files are the cache's own too, and which of their files.
    struct OwnSubfolder {
        const wchar_t* foldedName;
        bool (*ownFile)(std::wstring_view foldedName);
    };
    std::vector<OwnSubfolder> ownSubfolders;
};

// Every structure, one row each.
const std::vector<CacheStructure>& CacheStructures();

// The name a cache's application goes by, from the steps below the walk's root (program text, the
// cache's folder last): the first step, or the one after a folder shared by a publisher's
// applications ("Microsoft\Teams"); a Store package's name without its publisher's id. A name
// in lower case only gets a capital first letter ("discord" -> "Discord").
std::string CacheApplicationName(const std::vector<std::string_view>& steps);

// The structures of one scan with what it goes by: the places no cache may lie in, the
// applications whose caches the user keeps, and the reasons' formats in the user's language. One
// finder serves every listing worker of a walk at once.
class CacheFinder {
  public:
    // formats: the translated text of each structure's reasonKey, in CacheStructures' order.
    CacheFinder(const ProtectedPlaces& places, std::vector<std::string> keptApplications,
                std::vector<std::string> formats);

    // The structure a folder would be, by where it stands; nullptr when none.
    const CacheStructure* StandingAt(const std::vector<std::wstring_view>& foldedSteps) const;

    // The reason the cache's files are reported with, once its listing showed the structure's
    // layout; nullptr where it does not, where its application is kept, or where the folder
    // (program text, with its final backslash) lies in a protected place. The text lives as long
    // as the finder.
    const std::string* Recognise(const CacheStructure& structure, const CacheFolderView& folder,
                                 const std::string& folderPath, const std::vector<std::string_view>& steps);

    // The applications whose caches were recognised so far, kept ones included, sorted.
    std::vector<std::string> ApplicationsFound() const;

  private:
    const ProtectedPlaces& places_;
    std::vector<std::string> kept_;
    std::vector<std::string> formats_;
    mutable std::mutex lock_;
    std::set<std::string> reasons_;  // the nodes never move: reports point into them
    std::set<std::string> applications_;
};
