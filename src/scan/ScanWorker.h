#pragma once
// The scan worker: the places first (the ticked system locations and cleaning rules, walked
// together), then every chosen root, filling the job's results and reporting its progress through
// ScanProgress.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "scan/ProtectedPlaces.h"
#include "scan/ScanResults.h"
#include "scan/SearchFolder.h"
#include "win/Job.h"
#include "win/JobProgress.h"

// What the scan shows besides its status line and Stop; the scanning page implements it with its
// controls.
class ScanProgress : public win::JobProgress {
  public:
    virtual void SetFoundCountText(const std::string& text) = 0;  // found count
    virtual int RootRowCount() = 0;                               // rows of the root list
    virtual std::string RootStateText(int row) = 0;
    virtual void SetRootStateText(int row, const std::string& text) = 0;
    // A scan cannot tell how much is left: it shows no bar.
    void SetProgressRange(int) final {}
    void SetProgressPosition(int) final {}
};

// The files a place takes in one folder: the folder (a full path; '*' and '?' may stand in any of
// its steps), the masks, and whether below it too.
struct PlaceFolder {
    std::string folder;
    std::vector<std::string> masks;
    bool recurse = true;
    bool removeSelf = false;  // the folders a cleaning empties here go too (ScanJob::emptiedFoldersGo)
};

// One place the scan searches besides the roots: one of the system locations or a ticked cleaning
// rule. Every file it takes is reported with its reason, whatever its attributes; the exclusions'
// folders may hold wildcards as the place's folders do. Each folder it names is judged again where
// it resolves to at the scan (WhyProtected) and passed over when it would take what is not junk.
struct ScanPlace {
    std::string reason;
    std::vector<PlaceFolder> folders;
    std::vector<SearchExclusion> exclusions;
    bool systemLocation = false;
    // Whether it may list a file that is, or lies in a folder that is, named as what a user keeps
    // (KeptKindOfName: cookies, saved passwords, history...): a system location the user ticked by
    // its own name, or a rule entry the user ticked after being told what it reaches. Any other
    // rule never lists such a file, however its folders and masks are written.
    bool mayTakeKept = false;
    // Its folders are walked for caches recognised by their structure (CacheStructures), not by
    // masks; each cache is judged where it stands, the folders themselves are not.
    bool byStructure = false;
};

// A folder a scan could not list, and why.
struct UnreadFolder {
    std::string path;
    DWORD error = ERROR_SUCCESS;
    bool operator==(const UnreadFolder&) const = default;
};

// How many unread folders a run keeps by name; the count goes on beyond.
inline constexpr size_t kUnreadFoldersKept = 1000;

// The inputs, results and worker of one scan, as the session fills them before the start
// (Session::PrepareScan).
struct ScanJob {
    SearchOptions options;  // applied to the roots only
    bool findTemp = false;
    bool findIETemp = false;
    bool findRecent = false;
    bool findIEHistory = false;
    bool findIECookies = false;
    std::vector<std::string> roots;
    // The ticked cleaning rules, walked together with the system locations, before the roots.
    std::vector<ScanPlace> rulePlaces;
    // The folders searched for caches recognised by their structure (the user's application data),
    // and the applications whose caches the user keeps (CacheApplicationName's names).
    std::vector<std::string> cacheRoots;
    std::vector<std::string> keptCacheApplications;
    // The folders the offered rule entries name, ticked or not: where an entry names a cache, its
    // own tick decides, so the structures never enter them (wildcards allowed, as in a place).
    std::vector<SearchExclusion> cacheExclusions;
    TextMap masks;  // mask -> description
    // The user's: each leaves out every folder of its name (whole steps, any case) or at its full
    // path, with all below it.
    std::vector<std::string> skipFolders;
    std::vector<std::string> ownFolders;  // the program's: each leaves out itself and all below it
    // What the places may never take from; the roots are the user's own choice.
    ProtectedPlaces protectedPlaces;
    // Listing workers per root and location; 0: as many as ListingWorkers gives.
    unsigned workers = 0;
    ScanResults results;
    std::vector<std::string> notSearched;  // place folders the last run passed over
    // The folders (true form) of the last run's places whose folders go once a cleaning empties
    // them, each with the reason its own files are listed with.
    std::vector<EmptiedFolderRule> emptiedFoldersGo;
    // Folders the last run could not list; a folder that is not there holds nothing to read and
    // is none of them. The first kUnreadFoldersKept are kept with the system's error.
    size_t unreadableFolders = 0;
    std::vector<UnreadFolder> unreadFolders;
    // Called once at the end of a run that was not stopped, on the worker's thread, when folders
    // could not be read: true when it recorded them where the user can look them up (the activity
    // log), which the final status then says.
    std::function<bool(const std::vector<UnreadFolder>& folders, size_t count)> recordUnreadFolders;
    ScanProgress* progress = nullptr;
    // Runs once per run, after the final texts: on the worker's thread, or in StopScan.
    std::function<void()> completed;
    // Last, so that it ends before anything the worker uses goes.
    win::Job worker;

    // Enables Stop and starts RunScan on a new thread, unless a scan already runs. At its natural
    // end the final status, Stop disabled, then the completion; an exception inside the search
    // ends the run the same way, with the files found so far and no row left searching.
    bool Start();
};

// The places a scan searches besides the roots, in order: the ticked system locations (the
// temporary folder, the browser's cache, recent documents, history, cookies), the caches found by
// their structure in the job's cache roots, then the job's rule places (so a rule's own name wins
// where it takes a cache too).
std::vector<ScanPlace> ScanPlaces(const ScanJob& job);

// The exclusions with their folders in true form (PlaceFolderForm), one for each folder a wildcard
// names on the disk now.
std::vector<SearchExclusion> ResolvedExclusions(const std::vector<SearchExclusion>& exclusions);

// The worker's body: searches the places, then the roots, until stop is requested.
// A place's folder that would take what is not junk where it resolves now (WhyProtected) is not
// searched but listed in notSearched, which the final status names.
void RunScan(ScanJob& job, win::StopToken stop);

// Ends a running scan between two directory entries and shows the stopped state: Stop disabled,
// the stopped status, rows still searching marked complete, the exact found count, then the
// completion notification. False when no scan was running (or it had just finished by itself).
bool StopScan(ScanJob& job);

// The listing workers a scan uses: QM_SCAN_WORKERS when set (1 to 16), else the number of
// processors, at most 4; 1 on a single processor, where a second one would only wait its turn.
unsigned ListingWorkers();

// A value of HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders, or "" (also
// for a value that does not fit 255 bytes).
std::string ReadShellFolder(const std::string& valueName);
