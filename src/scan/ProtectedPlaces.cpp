#include "scan/ProtectedPlaces.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>

#include "config/RuleVariables.h"
#include "scan/ScanWorker.h"
#include "scan/Wildcard.h"
#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/FolderListing.h"
#include "win/Fold.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/TextParts.h"

namespace {

// Names a user's own files have, one or two of each kind: a mask that matches any of them would
// take the user's work wherever it may search.
constexpr const char* kUserFileNames[] = {
    // documents, spreadsheets, presentations, PDFs
    "Report.docx", "Letter.doc", "Thesis.odt", "Letter.rtf", "Budget.xlsx", "Accounts.xls", "Sheet.ods",
    "Addresses.csv", "Slides.pptx", "Talk.odp", "Manual.pdf",
    // pictures
    "IMG_0001.JPG", "Photo.jpeg", "Screenshot.png", "Scan.tif", "Drawing.bmp", "Logo.gif", "Image.webp",
    "Photo.heic", "DSC0001.CR2", "Design.psd", "Icon.svg",
    // music and video
    "Song.mp3", "Track.flac", "Tune.m4a", "Recording.wav", "Song.ogg", "Song.wma", "Movie.mp4", "Clip.mkv",
    "Video.avi", "Clip.mov", "Video.wmv", "Clip.webm",
    // archives, disk images and programs
    "Archive.zip", "Backup.7z", "Files.rar", "Disc.iso", "Setup.exe", "Installer.msi", "Script.ps1",
    "Start.bat", "Program.lnk",
    // notes, mail, data and code
    "Notes.txt", "Todo.md", "Mail.pst", "Message.eml", "Contact.vcf", "Diary.db", "Page.html", "Main.cpp",
    // settings files
    "Settings.ini", "Config.json", "Preferences.xml", "Options.cfg", "desktop.ini", ".gitconfig",
    // names without an extension, and with several dots
    "README", "Notes", "id_rsa", "Report.final.v2.docx", "Photo.2024.06.01.jpg", "Sources.tar.gz"};

bool HasWildcard(std::wstring_view text) {
    return text.find_first_of(L"*?") != std::wstring_view::npos;
}

// The folded steps of a full path: the root ("C:" or "\\SERVER\SHARE") is the first.
std::vector<std::wstring> Steps(const std::string& path) {
    const std::wstring folded = win::FoldedText(path);
    std::vector<std::wstring> steps;
    size_t start = 0;
    if (folded.compare(0, 2, L"\\\\") == 0) {
        size_t share = folded.find(L'\\', 2);
        share = share == std::wstring::npos ? folded.size() : folded.find(L'\\', share + 1);
        share = share == std::wstring::npos ? folded.size() : share;
        steps.push_back(folded.substr(0, share));
        start = share + 1;
    }
    if (start < folded.size())
        for (const std::wstring_view step : win::PathSteps(std::wstring_view(folded).substr(start)))
            steps.emplace_back(step);
    return steps;
}

// True when the first count steps of the pattern can name the first count steps of the folder.
bool PrefixMatches(const std::vector<std::wstring>& pattern, const std::vector<std::wstring>& folder,
                   size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (!MatchWildcard(pattern[i], folder[i]))
            return false;
    return true;
}

bool CanBeAtOrInside(const std::vector<std::wstring>& pattern, const std::vector<std::wstring>& folder) {
    return pattern.size() >= folder.size() && PrefixMatches(pattern, folder, folder.size());
}

bool CanBeAbove(const std::vector<std::wstring>& pattern, const std::vector<std::wstring>& folder) {
    return pattern.size() < folder.size() && PrefixMatches(pattern, folder, pattern.size());
}

// The place itself, or a last wildcard step that stands for its direct children.
bool CanBeOrStandForChildren(const std::vector<std::wstring>& pattern,
                             const std::vector<std::wstring>& folder) {
    if (pattern.size() == folder.size())
        return PrefixMatches(pattern, folder, folder.size());
    return pattern.size() == folder.size() + 1 && HasWildcard(pattern.back()) &&
           PrefixMatches(pattern, folder, folder.size());
}

std::string ComputerName(COMPUTER_NAME_FORMAT format) {
    wchar_t name[256] = {};
    DWORD size = 256;
    return ::GetComputerNameExW(format, name, &size) ? win::Narrow(name) : std::string();
}

// True when server names this computer: its NetBIOS or DNS name, localhost or a loopback address.
bool IsThisComputer(const std::string& server) {
    if (win::SameFolded(server, "localhost") || server == "::1" || server.rfind("127.", 0) == 0 ||
        server == "." || server == "?")
        return true;
    for (COMPUTER_NAME_FORMAT format :
         {ComputerNameNetBIOS, ComputerNameDnsHostname, ComputerNameDnsFullyQualified}) {
        const std::string name = ComputerName(format);
        if (!name.empty() && win::SameFolded(server, name))
            return true;
    }
    return false;
}

// The text as a local path where it names one through another form: "\\?\C:\x", "\\.\C:\x",
// "\??\C:\x", "\\?\UNC\localhost\C$\x" and "\\localhost\C$\x" as "C:\x". Any other share of this
// computer gives "", which names no place that can be judged.
std::string LocalForm(const std::string& given) {
    std::string text = win::WithoutDevicePrefix(given);
    std::replace(text.begin(), text.end(), '/', '\\');
    if (text.compare(0, 2, "\\\\") != 0)
        return text;
    const size_t serverEnd = text.find('\\', 2);
    if (serverEnd == std::string::npos || !IsThisComputer(text.substr(2, serverEnd - 2)))
        return text;
    const size_t shareEnd = std::min(text.find('\\', serverEnd + 1), text.size());
    const std::string share = text.substr(serverEnd + 1, shareEnd - serverEnd - 1);
    if (share.size() == 2 && share[1] == '$' && std::isalpha(static_cast<unsigned char>(share[0])))
        return std::string(1, share[0]) + ":\\" + text.substr(std::min(shareEnd + 1, text.size()));
    return {};
}

// Each step without its final dots and blanks, as Windows reads a path that lacks the "\\?\"
// prefix; false when a step is nothing but dots and blanks.
bool DropFinalDotsAndBlanks(std::string& path) {
    std::string result;
    size_t start = 0;
    if (path.compare(0, 2, "\\\\") == 0) {
        start = 2;
        result = "\\\\";
    }
    bool first = true;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos)
            end = path.size();
        std::string step = path.substr(start, end - start);
        if (!step.empty()) {
            while (!step.empty() && (step.back() == '.' || step.back() == ' '))
                step.pop_back();
            if (step.empty())
                return false;
            result += (first ? "" : "\\") + step;
            first = false;
        }
        start = end + 1;
    }
    if (win::StartsAtDriveRoot(path) && result.size() == 2)
        result += '\\';
    path = std::move(result);
    return true;
}

void AddFolder(std::vector<std::string>& folders, const std::string& folder) {
    if (folder.empty())
        return;
    std::string form = win::TruePathOfText(folder).Value();
    while (form.size() > 3 && win::EndsWithBackslash(form))
        form.pop_back();
    if (std::none_of(folders.begin(), folders.end(),
                     [&](const std::string& known) { return win::SameFolded(known, form); }))
        folders.push_back(std::move(form));
}

std::string SystemText(UINT(WINAPI* call)(LPWSTR, UINT)) {
    return win::FetchSystemText([call](wchar_t* b, UINT n) { return call(b, n); });
}

std::string Environment(const wchar_t* name) {
    return win::FetchSystemText(
        [name](wchar_t* b, UINT n) { return static_cast<UINT>(::GetEnvironmentVariableW(name, b, n)); });
}

// The profiles in the Users folder other than the current one, Public and Default included.
std::vector<std::string> OtherProfiles(const std::string& users, const std::string& profile) {
    std::vector<std::string> found;
    if (users.empty())
        return found;
    win::FolderListing listing(win::FileApiPath(users + "\\"));
    win::ListedEntry entry;
    while (listing.Next(entry)) {
        if (entry.name == L"." || entry.name == L".." || !(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const std::string folder = users + "\\" + win::Narrow(entry.name);
        if (!win::SameFolded(win::TruePathOf(folder).Value(), profile))
            found.push_back(folder);
    }
    return found;
}

}  // namespace

ProtectedPlaces ProtectedPlaces::Current(const std::vector<std::string>& own) {
    ProtectedPlaces places;
    std::string profile = KnownFolderPath(FOLDERID_Profile);
    if (profile.empty())
        profile = Environment(L"USERPROFILE");
    profile = win::TruePathOfText(profile).Value();

    for (const KNOWNFOLDERID* id :
         {&FOLDERID_Documents, &FOLDERID_Desktop, &FOLDERID_Pictures, &FOLDERID_Music, &FOLDERID_Videos,
          &FOLDERID_Downloads, &FOLDERID_Favorites, &FOLDERID_Contacts, &FOLDERID_SavedGames,
          &FOLDERID_SkyDrive, &FOLDERID_Public, &FOLDERID_PublicDocuments})
        AddFolder(places.wholeTree, KnownFolderPath(*id));
    // Where the shell's older record names them elsewhere, both count.
    for (const char* value : {"Personal", "Desktop", "My Pictures", "My Music", "My Video", "Favorites",
                              "{374DE290-123F-4565-9164-39C4925E467B}"})
        AddFolder(places.wholeTree, ReadShellFolder(value));
    for (const wchar_t* variable : {L"OneDrive", L"OneDriveConsumer", L"OneDriveCommercial"})
        AddFolder(places.wholeTree, Environment(variable));
    std::string users = KnownFolderPath(FOLDERID_UserProfiles);
    if (users.empty())
        users = win::FolderPartOf(profile);
    users = win::TruePathOfText(users).Value();
    for (const std::string& other : OtherProfiles(users, profile))
        AddFolder(places.wholeTree, other);

    AddFolder(places.rootOnly, SystemText(::GetWindowsDirectoryW));
    AddFolder(places.rootOnly, SystemText(::GetSystemDirectoryW));
    AddFolder(places.rootOnly, SystemText(::GetSystemWow64DirectoryW));
    for (const KNOWNFOLDERID* id :
         {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX64, &FOLDERID_ProgramFilesX86, &FOLDERID_ProgramData,
          &FOLDERID_RoamingAppData, &FOLDERID_LocalAppData, &FOLDERID_LocalAppDataLow})
        AddFolder(places.rootOnly, KnownFolderPath(*id));
    for (const wchar_t* variable : {L"ProgramFiles", L"ProgramFiles(x86)", L"ProgramW6432", L"ProgramData",
                                    L"APPDATA", L"LOCALAPPDATA", L"SystemRoot"})
        AddFolder(places.rootOnly, Environment(variable));
    AddFolder(places.rootOnly, users);
    AddFolder(places.rootOnly, profile);

    for (const std::string& folder : own)
        AddFolder(places.never, folder);
    return places;
}

win::ResultOf<std::string> PlaceFolderForm(const std::string& text) {
    std::string local = LocalForm(text);
    std::string full = local.empty() ? std::string() : win::NormalizedPath(local, {});
    if (!win::IsFullPath(full) || !DropFinalDotsAndBlanks(full))
        return {text, win::Result::Failed(ERROR_INVALID_NAME)};
    const size_t wildcard = full.find_first_of("*?");
    if (wildcard == std::string::npos)
        return win::TruePathOf(full);
    const size_t cut = full.rfind('\\', wildcard);
    win::ResultOf<std::string> resolved = win::TruePathOf(full.substr(0, cut == 2 ? 3 : cut));
    if (!win::EndsWithBackslash(resolved.Value()))
        resolved.Value() += '\\';
    resolved.Value() += full.substr(cut + 1);
    return resolved;
}

std::vector<std::string> UserFileNamesMatched(const std::vector<std::string>& masks) {
    std::vector<std::string> matched;
    for (const std::string& mask : masks) {
        const std::wstring folded = win::FoldedText(mask);
        for (const char* name : kUserFileNames)
            if (MatchWildcard(folded, win::FoldedText(name)) &&
                std::find(matched.begin(), matched.end(), name) == matched.end())
                matched.push_back(name);
    }
    return matched;
}

bool CanNameInside(const std::string& pattern, const std::string& folder) {
    return CanBeAtOrInside(Steps(pattern), Steps(folder));
}

std::string WhyProtected(const ProtectedPlaces& places, const std::string& folder,
                         const std::vector<std::string>& masks, bool recurse) {
    if (!win::IsFullPath(folder))
        return "it names no full path: " + folder;
    const std::vector<std::wstring> pattern = Steps(folder);
    for (const std::string& own : places.never)
        if (CanBeAtOrInside(pattern, Steps(own)))
            return folder + " is Quillmoor's own folder " + own + " or lies inside it";
    // The protected place the folder can reach, where only names no user's file has may be taken.
    auto firstReached = [](const std::vector<std::string>& folders, auto reaches) {
        for (const std::string& place : folders)
            if (reaches(Steps(place)))
                return place;
        return std::string();
    };
    std::string reached =
        pattern.size() <= 1 || (pattern.size() == 2 && HasWildcard(pattern.back()))
            ? "the drive's root"
            : firstReached(places.wholeTree, [&](const std::vector<std::wstring>& place) {
                  return CanBeAtOrInside(pattern, place) || (recurse && CanBeAbove(pattern, place));
              });
    if (reached.empty())
        reached = firstReached(places.rootOnly, [&](const std::vector<std::wstring>& place) {
            return CanBeOrStandForChildren(pattern, place) || (recurse && CanBeAbove(pattern, place));
        });
    if (reached.empty())
        return {};
    const std::vector<std::string> names = UserFileNamesMatched(masks);
    if (names.empty())
        return {};
    std::string examples;
    for (size_t i = 0; i < names.size() && i < 3; ++i)
        examples += (i ? ", " : "") + names[i];
    return "it would take files a user keeps (such as " + examples + ") from " + reached;
}
