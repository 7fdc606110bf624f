#include "scan/ScanWorker.h"

#include <algorithm>
#include <cwchar>
#include <unordered_map>

#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/LocaleText.h"
#include "core/ProgramPath.h"
#include "scan/CacheStructures.h"
#include "scan/KeptNames.h"
#include "scan/RuleFolders.h"
#include "win/ComPtr.h"
#include "win/Fold.h"
#include "win/Text.h"
#include "win/TruePath.h"
#include "win/UniqueHandle.h"

namespace {

// A synchronous control update from this thread costs a round trip to the interface thread, so
// the texts that change per file or per folder are shown at most this often; the last text of
// each root and of the run is always shown.
constexpr DWORD kUpdateIntervalMs = 50;

struct SystemLocation {
    bool ScanJob::*option;
    const char* shellFolder;  // nullptr for the system temporary folder
    const char* categoryKey;
};

constexpr SystemLocation kSystemLocations[] = {
    {&ScanJob::findTemp, nullptr, "_WindowsTempFile"},
    {&ScanJob::findIETemp, "Cache", "_InterTempFile"},
    {&ScanJob::findRecent, "Recent", "_RecentFile"},
    {&ScanJob::findIEHistory, "History", "_HistoryFile"},
    {&ScanJob::findIECookies, "Cookies", "_CookiesFile"},
};

// True when a step of path below root (the file's name or a folder's) is named as what a user
// keeps; never for an empty root.
bool NamesWhatUsersKeep(const std::string& path, const std::string& root) {
    if (root.empty() || path.size() <= root.size())
        return false;
    const std::wstring below = win::FoldedText(std::string_view(path).substr(root.size()));
    for (size_t start = 0; start < below.size();) {
        size_t end = below.find(L'\\', start);
        if (end == std::wstring::npos)
            end = below.size();
        if (end > start &&
            KeptKindOfName(std::wstring_view(below).substr(start, end - start)) != KeptKind::None)
            return true;
        start = end + 1;
    }
    return false;
}

// The state of one run: what the walks find goes into the results and the page.
class ScanRun : public SearchVisitor {
  public:
    ScanRun(ScanJob& job, win::StopToken stop)
        : job_(job), stop_(stop), foundFormat_(Translate("_StateFindItem")) {}

    // The walk's calls, all on this thread (the listing workers hand their reports over); only
    // Pulse talks to the page.
    void FileFound(const std::string& path, std::string_view reason, const FoundRecord& record) override {
        // The places are walked together: where two find a file, the later place's reason stands,
        // as if they had gone one after the other.
        if (placeWalks_) {
            if (NamesWhatUsersKeep(path, (*guardedRoots_)[record.walk]))
                return;
            const auto [known, added] = placeWalks_->try_emplace(path, record.walk);
            if (!added) {
                if (known->second > record.walk)
                    return;
                known->second = record.walk;
            }
        }
        // The listing's record gives the size and access time, so the report asks nothing per file.
        job_.results.AddOrReplace(path, Translated(reason), record.stamp);
        foundChanged_ = true;
    }

    void FolderEntered(const std::string& path, const FoundRecord&) override {
        status_ = path;
        statusChanged_ = true;
    }

    void FolderUnreadable(const std::string& path, DWORD error) override {
        // A rule's folder of an application that never made it, a folder removed while the walk
        // went on: nothing was there to read, so nothing went unlisted.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return;
        ++job_.unreadableFolders;
        if (job_.unreadFolders.size() < kUnreadFoldersKept)
            job_.unreadFolders.push_back({path, error});
    }

    void Pulse() override { ShowIfDue(); }

    SearchRequest Request(const TextMap& masks, const SearchOptions& options, bool recurse = true,
                          const std::vector<SearchExclusion>& exclusions = {}) const {
        return {masks,
                job_.skipFolders,
                recurse,
                options,
                stop_.Flag(),
                job_.ownFolders,
                job_.workers ? job_.workers : ListingWorkers(),
                exclusions};
    }

    void Search(const std::string& root, const TextMap& masks, const SearchOptions& options) {
        SearchFolder(root, Request(masks, options), *this);
        if (!Stopped())
            ShowPending();
    }

    // The places' folders, walked together by one pool of listing workers: each is small, and a
    // pool of its own would cost more than its listing.
    // guardedRoots: for each walk, its root where it may not list what users keep, else "".
    void SearchPlaces(const std::vector<SearchWalk>& walks, const std::vector<std::string>& guardedRoots) {
        std::unordered_map<std::string, unsigned> placeWalks;
        placeWalks_ = &placeWalks;
        guardedRoots_ = &guardedRoots;
        SearchFolders(walks, *this);
        placeWalks_ = nullptr;
        guardedRoots_ = nullptr;
        if (!Stopped())
            ShowPending();
    }

    bool Stopped() const { return stop_.StopRequested(); }

    void ShowPending() {
        if (!job_.progress)
            return;
        if (statusChanged_)
            job_.progress->SetStatusText(status_);
        if (foundChanged_)
            job_.progress->SetFoundCountText(FormatText(foundFormat_, {CountText(job_.results.Count())}));
        statusChanged_ = foundChanged_ = false;
        lastShown_ = ::GetTickCount();
    }

  private:
    // A walk reports one reason after another for thousands of files: the last translation is kept.
    const std::string& Translated(std::string_view reason) {
        if (!translated_ || reason != lastReason_) {
            translated_ = true;
            lastReason_.assign(reason);
            lastTranslation_ = Translate(lastReason_);
        }
        return lastTranslation_;
    }

    void ShowIfDue() {
        if (::GetTickCount() - lastShown_ >= kUpdateIntervalMs)
            ShowPending();
    }

    ScanJob& job_;
    const win::StopToken stop_;
    const std::string foundFormat_;
    std::string status_;
    bool statusChanged_ = false;
    bool foundChanged_ = false;
    DWORD lastShown_ = 0;
    bool translated_ = false;
    std::unordered_map<std::string, unsigned>* placeWalks_ = nullptr;  // while the places are walked
    const std::vector<std::string>* guardedRoots_ = nullptr;           // the same
    std::string lastReason_;
    std::string lastTranslation_;
};

std::string SystemTempFolder() {
    return win::FetchSystemText([](wchar_t* b, UINT n) { return ::GetTempPathW(n, b); });
}

}  // namespace

unsigned ListingWorkers() {
    // QM_SCAN_WORKERS chooses, for the benchmark that compares the two in one run.
    wchar_t chosen[16] = {};
    if (::GetEnvironmentVariableW(L"QM_SCAN_WORKERS", chosen, 16) > 0) {
        const unsigned count = static_cast<unsigned>(std::wcstoul(chosen, nullptr, 10));
        if (count >= 1 && count <= 16)
            return count;
    }
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    // On one processor a second worker only waits its turn; beyond four they gain nothing.
    const unsigned processors = system.dwNumberOfProcessors;
    return processors <= 1 ? 1 : std::min(processors, 4u);
}

std::string ReadShellFolder(const std::string& valueName) {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                        KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return {};
    // 255 characters at most, as the shell keeps these values.
    wchar_t buffer[255] = {};
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExW(key.get(), win::Wide(valueName).c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return {};
    // A value that fills the buffer without its terminating zero was longer than the buffer: cut
    // short, it would name another folder, so it counts as no folder at all.
    wchar_t* end = std::find(buffer, buffer + 255, L'\0');
    if (end == buffer + 255)
        return {};
    return win::Narrow(std::wstring_view(buffer, static_cast<size_t>(end - buffer)));
}

std::vector<ScanPlace> ScanPlaces(const ScanJob& job) {
    std::vector<ScanPlace> places;
    for (const SystemLocation& location : kSystemLocations) {
        if (!(job.*location.option))
            continue;
        // Walked in its true form, as the roots are. An empty folder text would list the root of
        // the current drive: the location is passed over.
        const std::string folder =
            location.shellFolder ? ReadShellFolder(location.shellFolder) : SystemTempFolder();
        if (folder.empty())
            continue;
        places.push_back({Translate(location.categoryKey), {{folder, {"*"}, true}}, {}, true, true});
    }
    if (!job.cacheRoots.empty()) {
        ScanPlace caches{Translate("_ApplicationsStructureGroup"), {}, {}, false, false, true};
        for (const std::string& root : job.cacheRoots)
            if (!root.empty())
                caches.folders.push_back({root, {}, true});
        places.push_back(std::move(caches));
    }
    places.insert(places.end(), job.rulePlaces.begin(), job.rulePlaces.end());
    return places;
}

namespace {

// The texts of a run that ended in the middle of a root: the exact found count (the search shows
// it at most every so often) and no row left searching.
void ShowInterruptedEnd(ScanJob& job) {
    ScanProgress* progress = job.progress;
    if (!progress)
        return;
    const std::string scanning = Translate("_stateScanning");
    const std::string complete = Translate("_StateComplete");
    for (int row = 0; row < progress->RootRowCount(); ++row)
        if (progress->RootStateText(row) == scanning)
            progress->SetRootStateText(row, complete);
    if (job.results.Count() > 0)
        progress->SetFoundCountText(
            FormatText(Translate("_StateFindItem"), {CountText(job.results.Count())}));
}

// The folders a place's folder names now, in their true form (PlaceFolderForm), the wildcard steps
// matched on the disk (never through a link). A text that names no place of its own names none.
std::vector<std::string> FoldersNamed(const std::string& folder) {
    const win::ResultOf<std::string> form = PlaceFolderForm(folder);
    if (form.Error() == ERROR_INVALID_NAME)
        return {};
    if (form.Value().find_first_of("*?") == std::string::npos)
        return {form.Value()};
    return MatchingFolders(form.Value());
}

// The exclusions with their folders in true form, one for each folder a wildcard names.
std::vector<SearchExclusion> ResolvedExclusionsOf(const std::vector<SearchExclusion>& exclusions) {
    std::vector<SearchExclusion> resolved;
    for (const SearchExclusion& exclusion : exclusions)
        for (std::string& folder : FoldersNamed(exclusion.folder))
            resolved.push_back({std::move(folder), exclusion.masks, exclusion.wholeTree});
    return resolved;
}

// Searches every place, then the roots. System locations whose folder must not be searched go to
// passedOver instead.
void SearchEverything(ScanJob& job, win::StopToken stop, std::vector<std::string>& passedOver) {
    ScanRun run(job, stop);
    std::vector<std::string> formats;
    for (const CacheStructure& structure : CacheStructures())
        formats.push_back(Translate(structure.reasonKey));
    CacheFinder caches(job.protectedPlaces, job.keptCacheApplications, std::move(formats));
    const std::vector<SearchExclusion> ruleFolders = ResolvedExclusionsOf(job.cacheExclusions);
    std::vector<SearchWalk> walks;
    std::vector<std::string> guardedRoots;
    for (const ScanPlace& place : ScanPlaces(job)) {
        if (place.byStructure) {
            // One walk of each folder, beside the other places': the finder judges each cache where
            // it stands, and the folder itself takes nothing.
            for (const PlaceFolder& files : place.folders)
                for (const std::string& folder : FoldersNamed(files.folder)) {
                    if (std::any_of(walks.begin(), walks.end(), [&](const SearchWalk& walk) {
                            return walk.request.caches && walk.root == folder;
                        }))
                        continue;
                    walks.push_back({folder, run.Request({}, SearchOptions{}, true, ruleFolders)});
                    walks.back().request.caches = &caches;
                    // The finder keeps what users keep out itself, once per cache.
                    guardedRoots.push_back(std::string());
                }
            continue;
        }
        const std::vector<SearchExclusion> exclusions = ResolvedExclusionsOf(place.exclusions);
        for (const PlaceFolder& files : place.folders) {
            TextMap masks;
            for (const std::string& mask : files.masks)
                masks.emplace(mask, place.reason);
            for (const std::string& folder : FoldersNamed(files.folder)) {
                if (run.Stopped())
                    return;
                // Judged again where it leads now: a temporary folder that fell back to the
                // profile, a rule's cache folder that a link leads to the documents, a wildcard
                // that matched another profile.
                if (!WhyProtected(job.protectedPlaces, folder, files.masks, files.recurse).empty()) {
                    if (std::find(passedOver.begin(), passedOver.end(), folder) == passedOver.end())
                        passedOver.push_back(folder);
                    continue;
                }
                walks.push_back({folder, run.Request(masks, SearchOptions{}, files.recurse, exclusions)});
                guardedRoots.push_back(place.mayTakeKept ? std::string() : folder);
                if (files.removeSelf)
                    job.emptiedFoldersGo.push_back({folder, Translate(place.reason)});
            }
        }
    }
    run.SearchPlaces(walks, guardedRoots);

    for (size_t i = 0; i < job.roots.size(); ++i) {
        if (run.Stopped())
            return;
        const bool hasRow = job.progress && static_cast<int>(i) < job.progress->RootRowCount();
        if (hasRow)
            job.progress->SetRootStateText(static_cast<int>(i), Translate("_stateScanning"));
        run.Search(job.roots[i], job.masks, job.options);
        if (run.Stopped())
            return;
        if (hasRow)
            job.progress->SetRootStateText(static_cast<int>(i), Translate("_StateComplete"));
    }
}

// The final status: the completed text, or, when a location was passed over, a completed text
// that names it. It is the one text the user is sure to read, since the folder paths of the walk
// replace the status line many times a second.
std::string FinalStatus(const std::vector<std::string>& passedOver, size_t unreadableFolders,
                        bool namedElsewhere) {
    std::string status;
    if (passedOver.empty()) {
        status = Translate("_StateStringSearchCompleted");
    } else {
        std::string folders;
        for (const std::string& folder : passedOver)
            folders += (folders.empty() ? "" : ", ") + folder;
        status = FormatText(Translate("_StateStringNotSearched"), {folders});
    }
    // A tree that could not be read must not pass for a tree without junk.
    if (unreadableFolders > 0) {
        status += ' ';
        status += FormatText(Translate("_StateStringFoldersNotRead"), {CountText(unreadableFolders)});
        if (namedElsewhere)
            status += ' ' + Translate("_StateStringFoldersNotReadLogged");
    }
    return status;
}

// The ending of a run, called exactly once by the job: the final texts, then the completion.
void EndScan(ScanJob& job, win::JobEnd end) {
    ScanProgress* progress = job.progress;
    if (end == win::JobEnd::Stopped) {
        if (progress) {
            progress->ShowRunning(false);
            progress->SetStatusText(Translate("_StateStringSearchStopped"));
        }
        ShowInterruptedEnd(job);
    } else {
        // A failed run ends as a finished one does, with the files found so far.
        if (end == win::JobEnd::Failed)
            ShowInterruptedEnd(job);
        const bool named = job.unreadableFolders > 0 && job.recordUnreadFolders &&
                           job.recordUnreadFolders(job.unreadFolders, job.unreadableFolders);
        if (progress) {
            progress->SetStatusText(FinalStatus(job.notSearched, job.unreadableFolders, named));
            progress->ShowRunning(false);
        }
    }
    if (job.completed)
        job.completed();
}

}  // namespace

std::vector<SearchExclusion> ResolvedExclusions(const std::vector<SearchExclusion>& exclusions) {
    return ResolvedExclusionsOf(exclusions);
}

bool ScanJob::Start() {
    if (worker.IsRunning())
        return false;
    if (progress)
        progress->ShowRunning(true);
    if (worker.Start([this](win::StopToken stop) { RunScan(*this, stop); },
                     [this](win::JobEnd end) { EndScan(*this, end); }))
        return true;
    if (progress)
        progress->ShowRunning(false);
    return false;
}

void RunScan(ScanJob& job, win::StopToken stop) {
    win::ComApartment com;  // shortcut resolution needs COM on this thread
    job.notSearched.clear();
    job.emptiedFoldersGo.clear();
    job.unreadableFolders = 0;
    job.unreadFolders.clear();
    SearchEverything(job, stop, job.notSearched);
    job.results.ReleaseIndex();
}

bool StopScan(ScanJob& job) {
    return job.worker.Stop();
}
