#include "clean/BackupStore.h"

#include "clean/ListedFile.h"

#include <cstdio>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "win/ApiPath.h"
#include "win/CharStep.h"
#include "win/Fold.h"
#include "win/FolderListing.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

std::string RestorePointName(const SYSTEMTIME& localTime) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d-%02d-%02d_%02d-%02d-%02d", localTime.wYear, localTime.wMonth,
                  localTime.wDay, localTime.wHour, localTime.wMinute, localTime.wSecond);
    return name;
}

std::string RestorePointPath(const std::string& backupFolder, const std::string& name) {
    std::string folder = backupFolder;
    if (win::EndsWithBackslash(folder))
        folder.pop_back();
    return folder + "\\" + name;
}

namespace {

// Network files are kept under a folder of this name: three letters, so it can never be taken for
// the one-letter folder of a drive.
constexpr char kNetworkFolder[] = "UNC";

bool IsNetworkPath(const std::string& path) {
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\';
}

}  // namespace

std::string MirrorPath(const std::string& sourcePath) {
    // "\\server\share\f" is kept as "UNC\server\share\f", so the restore knows it for a network file.
    if (IsNetworkPath(sourcePath))
        return kNetworkFolder + sourcePath.substr(1);
    const bool hasBackslash = win::FindLastCharOf(sourcePath, "\\") != std::string::npos;
    std::string mirrored;
    mirrored.reserve(sourcePath.size());
    for (size_t i = 0; i < sourcePath.size();) {
        size_t next = win::NextCharIndex(sourcePath, i);
        if (sourcePath[i] == ':') {
            if (!hasBackslash)
                mirrored += '\\';
        } else {
            mirrored.append(sourcePath, i, next - i);
        }
        i = next;
    }
    return mirrored;
}

bool UnmirrorPath(const std::string& restorePoint, const std::string& file, std::string& target) {
    std::string base = restorePoint;
    if (!win::EndsWithBackslash(base))
        base += '\\';
    if (file.size() <= base.size())
        return false;
    // The search started at the restore point, so the file's path begins with it: only the length
    // of the prefix matters.
    const std::string rel = file.substr(base.size());
    const std::string network = std::string(kNetworkFolder) + "\\";
    if (win::SameFolded(rel.substr(0, network.size()), network)) {
        // Server, share and at least a name below them.
        const std::string unc = rel.substr(network.size());
        const size_t share = unc.find('\\');
        if (share == 0 || share == std::string::npos || unc.find('\\', share + 1) == std::string::npos)
            return false;
        target = "\\\\" + unc;
        return true;
    }
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (rel.size() < 3 || !isLetter(rel[0]) || rel[1] != '\\')
        return false;
    target = rel.substr(0, 1) + ":\\" + rel.substr(2);
    return true;
}

std::string ParentFolderOf(const std::string& path) {
    if (win::FindLastCharOf(path, "\\:") == std::string::npos)
        return path + ':';
    return win::FolderPartOf(path);
}

win::ResultOf<std::string> CreateRestorePoint(const std::string& backupFolder, const SYSTEMTIME& start) {
    if (!IsUsableBackupFolder(backupFolder))
        return win::Result::Failed(ERROR_INVALID_NAME);
    // The backup folder is made where missing and held, checked at its path, while the point is
    // made in it: no level is made through a link, and the point lands where its path says.
    std::string folder = backupFolder;
    while (folder.size() > 3 && win::EndsWithBackslash(folder))
        folder.pop_back();
    const win::ResultOf<win::UniqueFile> held = OpenOrMakeCheckedFolder(folder);
    if (!held)
        return held.Outcome();
    FILETIME time;
    if (!::SystemTimeToFileTime(&start, &time))
        return win::Result::LastError();
    // An hour of seconds is far more than any number of cleanings started at once.
    constexpr int kSecondsToTry = 3600;
    constexpr ULONGLONG kTicksPerSecond = 10'000'000;
    for (int i = 0; i < kSecondsToTry; ++i) {
        SYSTEMTIME now;
        if (!::FileTimeToSystemTime(&time, &now))
            return win::Result::LastError();
        std::string path = RestorePointPath(backupFolder, RestorePointName(now));
        // Creating the folder is the claim: it fails for a folder that is already there, whoever made it.
        const win::Result made = win::MakeFolder(path);
        if (made)
            return path;
        if (made.Error() != ERROR_ALREADY_EXISTS)
            return made;
        ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
        ticks.QuadPart += kTicksPerSecond;
        time.dwLowDateTime = ticks.LowPart;
        time.dwHighDateTime = ticks.HighPart;
    }
    return win::Result::Failed(ERROR_ALREADY_EXISTS);
}

namespace {

// Reads 1 to maxDigits decimal digits at position; false when there is no digit there.
bool ReadNumber(const std::string& text, size_t& position, size_t maxDigits, int& value) {
    size_t start = position;
    value = 0;
    while (position < text.size() && position - start < maxDigits && text[position] >= '0' &&
           text[position] <= '9')
        value = value * 10 + (text[position++] - '0');
    return position > start;
}

bool ReadSeparator(const std::string& text, size_t& position, char separator) {
    if (position >= text.size() || text[position] != separator)
        return false;
    ++position;
    return true;
}

}  // namespace

bool ParseRestorePointName(const std::string& name, RestorePoint& out) {
    int numbers[6];
    static const char kSeparators[5] = {'-', '-', '_', '-', '-'};
    size_t position = 0;
    for (int i = 0; i < 6; ++i) {
        if (i > 0 && !ReadSeparator(name, position, kSeparators[i - 1]))
            return false;
        if (!ReadNumber(name, position, i == 0 ? 4 : 2, numbers[i]))
            return false;
    }
    out.name = name;
    out.year = numbers[0];
    out.month = numbers[1];
    out.day = numbers[2];
    out.hour = numbers[3];
    out.minute = numbers[4];
    out.second = numbers[5];
    return true;
}

void ListRestorePoints(const std::string& root, TextMap& map, bool clear, DWORD excludedAttributes) {
    if (clear)
        map.clear();
    if (root.empty())
        return;
    const std::string prefix = win::EndsWithBackslash(root) ? root : root + "\\";
    win::FolderListing listing(win::FileApiPath(prefix));
    win::ListedEntry entry;
    while (listing.Next(entry)) {
        // A link is never a restore point: removing it would reach what it leads to.
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (entry.attributes & (excludedAttributes | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        if (entry.name == L"." || entry.name == L"..")
            continue;
        const std::string name = win::Narrow(entry.name);
        map[name] = prefix + name;
    }
}

std::vector<RestorePoint> FindRestorePoints(const std::string& root) {
    TextMap folders;
    ListRestorePoints(root, folders, true, 0);
    std::vector<RestorePoint> points;
    for (const auto& [name, path] : folders) {
        RestorePoint point;
        if (!ParseRestorePointName(name, point))
            continue;
        point.path = path;
        points.push_back(std::move(point));
    }
    return points;
}

std::string RestorePointDisplayText(const RestorePoint& point) {
    auto word = [](int value) { return static_cast<WORD>(value); };
    const SYSTEMTIME time{word(point.year),   word(point.month),  0, word(point.day), word(point.hour),
                          word(point.minute), word(point.second), 0};
    // With seconds: two cleanings of one minute make two points that must read apart.
    const std::string date = ShortDateText(time);
    const std::string dateTime = DateTimeText(time, Seconds::kShown);
    return FormatText(
        Translate("_RescueDialogListItemFormat"),
        {date, dateTime.size() > date.size() ? dateTime.substr(date.size() + 1) : std::string()});
}

namespace {

// The backslash-separated steps of text, splitting only at real backslashes.
std::vector<std::string> SplitSteps(const std::string& text) {
    std::vector<std::string> steps(1);
    for (size_t i = 0; i < text.size();) {
        size_t next = win::NextCharIndex(text, i);
        if (text[i] == '\\')
            steps.emplace_back();
        else
            steps.back().append(text, i, next - i);
        i = next;
    }
    return steps;
}

}  // namespace

bool IsSafeToRemove(const std::string& path) {
    if (path.empty() || path.find_first_of(std::string("*?\0", 3)) != std::string::npos)
        return false;
    std::string p = path;
    for (char& ch : p)
        if (ch == '/')
            ch = '\\';
    while (win::EndsWithBackslash(p))
        p.pop_back();
    // Below the root there must be at least one named step: "X:\name" or "\\server\share\name".
    size_t rootSteps;
    std::vector<std::string> steps;
    if (win::StartsAtDriveRoot(p)) {
        steps = SplitSteps(p.substr(3));
        rootSteps = 0;
    } else if (IsNetworkPath(p)) {
        steps = SplitSteps(p.substr(2));
        rootSteps = 2;  // server and share
    } else {
        return false;  // relative, drive-relative ("C:x") or rooted on the current drive ("\x")
    }
    if (steps.size() <= rootSteps)
        return false;
    for (const std::string& step : steps)
        if (step.empty() || step == "." || step == "..")
            return false;
    return true;
}

bool IsUsableBackupFolder(const std::string& folder) {
    if (folder.find_first_of(std::string("*?\"<>|\0", 7)) != std::string::npos)
        return false;
    // A device path ("\\?\", "\\.\") would be read by the other calls in their own ways.
    if (folder.compare(0, 4, "\\\\?\\") == 0 || folder.compare(0, 4, "\\\\.\\") == 0)
        return false;
    return win::IsFullPath(folder);
}

bool IsExactFilePath(const std::string& path) {
    if (path.find_first_of(std::string("*?\0", 3)) != std::string::npos)
        return false;
    std::vector<std::string> steps;
    if (win::StartsAtDriveRoot(path)) {
        steps = SplitSteps(path.substr(3));
    } else if (IsNetworkPath(path) && path[2] != '?' && path[2] != '.') {
        steps = SplitSteps(path.substr(2));
    } else {
        return false;  // relative, or a device path that the other calls would read differently
    }
    // The shell drops a final dot or blank from every step, and reads "." and ".." as moves.
    for (const std::string& step : steps)
        if (step.empty() || step.back() == '.' || step.back() == ' ')
            return false;
    return win::Wide(path).size() < MAX_PATH;
}
