#include "scan/SearchFolder.h"

#include <chrono>
#include <condition_variable>
#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "scan/CacheStructures.h"
#include "scan/KeptNames.h"
#include "scan/Shortcut.h"
#include "scan/TimeSpan.h"
#include "scan/Wildcard.h"
#include "win/ApiPath.h"
#include "win/ComPtr.h"
#include "win/Fold.h"
#include "win/FolderListing.h"
#include "win/PathCalls.h"
#include "win/Text.h"

namespace {

constexpr uint64_t kTicksPerMillisecond = 10'000;

bool IsDotEntry(std::wstring_view name) {
    return name == L"." || name == L"..";
}

// Text with exactly one final backslash.
template <typename Text>
Text WithFinalBackslash(Text text, typename Text::value_type backslash) {
    while (!text.empty() && text.back() == backslash)
        text.pop_back();
    text += backslash;
    return text;
}

// What every listing worker of one walk goes by: the request with its per-walk work (folded masks
// and folders) done once. Read only while the walk runs.
struct WalkSettings {
    explicit WalkSettings(const SearchRequest& request)
        : recurse(request.recurse), options(request.options), stop(request.stop), caches(request.caches) {
        masks.reserve(request.masks.size());
        for (const auto& [mask, description] : request.masks)
            masks.emplace_back(win::FoldedText(mask), &description);
        for (const std::string& skip : request.skipFolders) {
            // Matched by whole steps, so a final backslash adds nothing; an empty text names no
            // folder and is left out (its reason is the settings' to give), never "everything".
            std::wstring folded = win::FoldedText(skip);
            while (!folded.empty() && folded.back() == L'\\')
                folded.pop_back();
            if (!folded.empty())
                skipFolders.push_back(std::move(folded));
        }
        for (const std::string& own : request.ownFolders)
            if (!own.empty())
                ownFolders.push_back(WithFinalBackslash(win::FoldedText(own), L'\\'));
        for (const SearchExclusion& exclusion : request.exclusions) {
            if (exclusion.folder.empty())
                continue;
            Exclusion& folded = exclusions.emplace_back();
            folded.folder = WithFinalBackslash(win::FoldedText(exclusion.folder), L'\\');
            for (const std::string& mask : exclusion.masks)
                folded.masks.push_back(win::FoldedText(mask));
            folded.wholeTree = exclusion.wholeTree;
        }
    }

    bool Stopped() const noexcept {
        return (stop && stop->load(std::memory_order_relaxed)) || abandoned.load(std::memory_order_relaxed);
    }

    std::vector<std::pair<std::wstring, const std::string*>> masks;
    std::vector<std::wstring> skipFolders;
    std::vector<std::wstring> ownFolders;  // folded, each with a final backslash
    struct Exclusion {
        std::wstring folder;  // folded, with a final backslash
        std::vector<std::wstring> masks;
        bool wholeTree = false;
    };
    std::vector<Exclusion> exclusions;
    bool recurse;
    SearchOptions options;
    const std::atomic<bool>* stop;
    CacheFinder* caches;
    // The lengths of the root's program and folded forms with their final backslash: the steps
    // after them are where a cache stands.
    size_t rootLength = 0;
    size_t rootFoldedLength = 0;
    std::atomic<bool> abandoned{false};  // a failure ended the walk
    unsigned walk = 0;                   // its place among the walks that share a pool
    // Whether a short block ends a folder's listing, judged once by the walk's root: the walk
    // follows no folder link, so it never leaves the root's volume.
    win::ListingEnd listingEnd = win::ListingEnd::AskAgain;
};

// Whether skip occurs in path at start as whole steps: it begins a step (or with a backslash of
// its own) and ends one, so "node_modules" never leaves out "node_modules_old".
bool IsStepMatchAt(const std::wstring& path, size_t start, const std::wstring& skip) {
    const size_t end = start + skip.size();
    return (start == 0 || path[start - 1] == L'\\' || skip.front() == L'\\') &&
           (end == path.size() || path[end] == L'\\');
}

bool HoldsSkipFolder(const std::wstring& path, const std::wstring& skip) {
    for (size_t at = path.find(skip); at != std::wstring::npos; at = path.find(skip, at + 1))
        if (IsStepMatchAt(path, at, skip))
            return true;
    return false;
}

// A folder to be listed: its path in the program's form (for reports), in the file calls' form
// (for listing) and folded (for comparisons), each with its final backslash.
struct FolderTask {
    std::string prefix;
    std::wstring apiPrefix;
    std::wstring foldedPrefix;
    const WalkSettings* settings = nullptr;  // the walk it belongs to
    // Inside a recognised cache: the reason its files go with, and which of them are its own
    // (nullptr: every file here and below).
    const std::string* cacheReason = nullptr;
    bool (*cacheFile)(std::wstring_view foldedName) = nullptr;
};

FolderTask RootTask(const std::string& root, const WalkSettings& settings) {
    FolderTask task;
    task.settings = &settings;
    task.prefix = WithFinalBackslash(root, '\\');
    task.apiPrefix = win::FileApiPath(task.prefix);
    task.foldedPrefix = win::FoldedText(task.prefix);
    return task;
}

class ListingPool;

// One listing worker. The walk works in UTF-16 as the listing gives it; a file's path in program
// text is made only for a file that is reported. Without a pool it walks the tree on the calling
// thread from a stack of folders (depth first, at any depth: no call per folder level, and one
// folder open at a time); with one, it hands subfolders to the pool's queue.
class Walker {
  public:
    Walker(SearchVisitor& visitor, ListingPool* pool) : visitor_(visitor), pool_(pool) {}

    // Lists one folder; its subfolders go to the pool, or to the tree walk's stack.
    void WalkFolder(const FolderTask& task);
    // Walks root and everything below it on the calling thread.
    void WalkTree(FolderTask root);

  private:
    // Per-folder values shared by the folder's entries.
    struct FolderContext {
        const std::string& prefix;         // program form, with its final backslash
        const std::wstring& apiPrefix;     // the file calls' form
        const std::wstring& foldedPrefix;  // folded program form
        bool skipped = false;              // a skip folder occurs in the folder's own path
        std::vector<const std::vector<std::wstring>*> excludedMasks{};  // of the exclusions that reach it
        uint64_t nowLocal = 0;  // local time, whole milliseconds, in 100 ns ticks
        int64_t localBias = 0;  // local minus UTC, in 100 ns ticks
    };

    FolderContext EnterFolder(const FolderTask& task) const {
        FolderContext context{task.prefix, task.apiPrefix, task.foldedPrefix};
        const std::wstring& foldedPrefix = task.foldedPrefix;
        for (const std::wstring& skip : settings_->skipFolders)
            if (HoldsSkipFolder(foldedPrefix, skip))
                context.skipped = true;
        // A walk that starts inside one of the program's own folders; below the start, the walk
        // never enters one (Skipped).
        for (const std::wstring& own : settings_->ownFolders)
            if (foldedPrefix.compare(0, own.size(), own) == 0)
                context.skipped = true;
        for (const WalkSettings::Exclusion& exclusion : settings_->exclusions) {
            const bool reaches = exclusion.wholeTree
                                     ? foldedPrefix.compare(0, exclusion.folder.size(), exclusion.folder) == 0
                                     : foldedPrefix == exclusion.folder;
            if (!reaches)
                continue;
            if (exclusion.masks.empty())
                context.skipped = true;
            else
                context.excludedMasks.push_back(&exclusion.masks);
        }
        if (options_->findNotAccessed) {
            FILETIME utc, local;
            ::GetSystemTimeAsFileTime(&utc);
            ::FileTimeToLocalFileTime(&utc, &local);
            context.localBias = static_cast<int64_t>(FileTimeTicks(local) - FileTimeTicks(utc));
            uint64_t now = FileTimeTicks(local);
            context.nowLocal = now - now % kTicksPerMillisecond;
        }
        return context;
    }

    bool Filtered(DWORD attributes) const {
        return (options_->skipReadOnly && (attributes & FILE_ATTRIBUTE_READONLY)) ||
               (options_->skipSystem && (attributes & FILE_ATTRIBUTE_SYSTEM)) ||
               (options_->skipHidden && (attributes & FILE_ATTRIBUTE_HIDDEN));
    }

    // Whether a skip folder occurs in prefix + name as whole steps (a folder's name only: a skip
    // folder names no file), or prefix + name is one of the program's own folders. Occurrences
    // inside the prefix alone were already found by EnterFolder, and a name holds no backslash,
    // so only one that ends with the name is left.
    bool Skipped(const FolderContext& context, const std::wstring& foldedName, bool isFolder) {
        if (context.skipped)
            return true;
        const std::wstring& prefix = context.foldedPrefix;
        for (const std::wstring& own : settings_->ownFolders)
            if (own.size() == prefix.size() + foldedName.size() + 1 &&
                own.compare(0, prefix.size(), prefix) == 0 &&
                own.compare(prefix.size(), foldedName.size(), foldedName) == 0)
                return true;
        if (!isFolder || settings_->skipFolders.empty())
            return false;
        scratch_.assign(prefix).append(foldedName);
        for (const std::wstring& skip : settings_->skipFolders) {
            if (skip.size() > scratch_.size())
                continue;
            const size_t start = scratch_.size() - skip.size();
            if (scratch_.compare(start, skip.size(), skip) == 0 && IsStepMatchAt(scratch_, start, skip))
                return true;
        }
        return false;
    }

    FoundRecord RecordOf(const win::ListedEntry& entry) const {
        return {
            entry.attributes, {entry.size, entry.lastAccess, entry.lastWrite, entry.fileId}, settings_->walk};
    }

    void VisitEntry(const win::ListedEntry& entry, const FolderContext& context) {
        const DWORD attributes = entry.attributes;
        const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder)
            visitor_.FolderEntered(context.prefix + win::Narrow(entry.name), RecordOf(entry));
        if (Filtered(attributes))
            return;
        // A walk that takes no file by mask or test (the structures' walk, outside a cache) has
        // nothing to ask of a file: it is not even folded.
        if (!isFolder && settings_->masks.empty() && !options_->findZeroLength &&
            !options_->findInvalidShortcuts && !options_->findNotAccessed)
            return;
        foldedName_.assign(entry.name);
        win::FoldInPlace(foldedName_);
        if (Skipped(context, foldedName_, isFolder))
            return;

        if (isFolder) {
            // A folder link may lead out of the chosen tree or back into it: never follow one.
            if (settings_->recurse && !IsDotEntry(entry.name) &&
                !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                const std::wstring name(entry.name);
                Subfolder({context.prefix + win::Narrow(name) + '\\', context.apiPrefix + name + L'\\',
                           context.foldedPrefix + foldedName_ + L'\\', settings_});
            }
            return;
        }
        // A file link (any reparse point) may lead anywhere, and the cleaning keeps it as such:
        // it is never listed.
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
            return;
        if (Excluded(context, foldedName_))
            return;
        for (const auto& [mask, description] : settings_->masks) {
            if (MatchWildcard(mask, foldedName_)) {
                visitor_.FileFound(PathOf(entry, context), *description, RecordOf(entry));
                return;
            }
        }
        // Most files pass the tests without their path: it is made only for one that is reported,
        // or that the zero-length or shortcut test must open.
        if (options_->findZeroLength || options_->findInvalidShortcuts || options_->findNotAccessed) {
            if (const char* reason = TestFile(entry, context))
                visitor_.FileFound(PathOf(entry, context), reason, RecordOf(entry));
        }
    }

    // The entry's full path in program text, in this worker's buffer: valid until the next call.
    const std::string& PathOf(const win::ListedEntry& entry, const FolderContext& context) {
        path_.assign(context.prefix);
        path_ += win::Narrow(entry.name);
        return path_;
    }

    static constexpr const char* kZeroLength = "_ZeroLengthFile";
    static constexpr const char* kInvalidShortcut = "_InvalidShortcut";
    static constexpr const char* kNotAccessed = "_HaveNotAccessed";

    // The three tests in order; the first that fires gives the reason.
    const char* TestFile(const win::ListedEntry& entry, const FolderContext& context) {
        if (options_->findZeroLength && entry.size == 0) {
            // The listing's size is only trusted for "not empty"; an empty one is confirmed by path.
            const win::ResultOf<WIN32_FILE_ATTRIBUTE_DATA> data =
                win::FileAttributeData(PathOf(entry, context));
            if (data && data->nFileSizeHigh == 0 && data->nFileSizeLow == 0)
                return kZeroLength;
        }
        if (options_->findInvalidShortcuts && IsShortcutName(foldedName_) &&
            IsShortcutToMissingTarget(PathOf(entry, context)))
            return kInvalidShortcut;
        if (options_->findNotAccessed) {
            uint64_t accessed = FileTimeTicks(entry.lastAccess) + context.localBias;
            accessed -= accessed % kTicksPerMillisecond;
            // A last access still to come (a clock set wrong, a copied time stamp) says nothing of
            // age: the distance is taken either way, so it would count as old.
            if (accessed > context.nowLocal)
                return nullptr;
            uint64_t months = TimeSpanBetween(context.nowLocal, accessed).days / 31;
            // Compared as unsigned: a negative month count never reports.
            if (months > static_cast<uint64_t>(static_cast<int64_t>(options_->months)))
                return kNotAccessed;
        }
        return nullptr;
    }

    static bool IsShortcutName(const std::wstring& foldedName) {
        static const std::wstring extension = win::Folded(L".lnk");
        return foldedName.size() >= extension.size() &&
               foldedName.compare(foldedName.size() - extension.size(), extension.size(), extension) == 0;
    }

    void Subfolder(FolderTask task);

    // Whether an exclusion's masks that reach the folder match the file's name.
    static bool Excluded(const FolderContext& context, const std::wstring& foldedName) {
        for (const std::vector<std::wstring>* masks : context.excludedMasks)
            for (const std::wstring& mask : *masks)
                if (MatchWildcard(mask, foldedName))
                    return true;
        return false;
    }

    // What every entry of a cache's folder, or of one that may be a cache, goes through first: a
    // folder is entered, and the entry's folded name is made in foldedName_; false for an entry
    // the walk passes over.
    bool AdmitCacheEntry(const win::ListedEntry& entry, const FolderContext& context, bool isFolder) {
        if (isFolder)
            visitor_.FolderEntered(context.prefix + win::Narrow(entry.name), RecordOf(entry));
        if (Filtered(entry.attributes) || IsDotEntry(entry.name))
            return false;
        foldedName_.assign(entry.name);
        win::FoldInPlace(foldedName_);
        return !Skipped(context, foldedName_, isFolder);
    }

    // A folder inside a recognised cache: its own files are reported; below a cache whose every
    // file is its own, its subfolders too.
    void VisitCacheEntry(const win::ListedEntry& entry, const FolderContext& context,
                         const FolderTask& task) {
        const bool isFolder = entry.attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (!AdmitCacheEntry(entry, context, isFolder) || (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return;
        // Below a cache whose every file is its own, a name of what users keep still stays (the
        // engine's own files have fixed names, none of them such).
        if (!task.cacheFile && KeptKindOfName(foldedName_) != KeptKind::None)
            return;
        if (isFolder) {
            if (!task.cacheFile)
                Subfolder(ChildTask(context, entry.name, task.cacheReason, nullptr));
            return;
        }
        if ((!task.cacheFile || task.cacheFile(foldedName_)) && !Excluded(context, foldedName_))
            visitor_.FileFound(PathOf(entry, context), *task.cacheReason, RecordOf(entry));
    }

    // A folder that stands where a cache would: its entries are kept until its listing has ended,
    // since only the whole listing shows the engine's layout.
    void RememberEntry(const win::ListedEntry& entry, const FolderContext& context) {
        const DWORD attributes = entry.attributes;
        const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (!AdmitCacheEntry(entry, context, isFolder))
            return;
        cacheNames_.push_back({foldedName_, isFolder, (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
        // A file an exclusion leaves out still belongs to the layout; it is only never reported.
        cacheEntries_.push_back(
            {std::wstring(entry.name), RecordOf(entry), !isFolder && Excluded(context, foldedName_)});
    }

    // The remembered folder is a cache or not: its own files are reported and its own subfolders
    // walked as the cache's; every other subfolder is walked on as any folder.
    // A listing cut short (whole: false) shows no whole layout, and nothing in it is taken.
    void DecideCache(const FolderTask& task, const CacheStructure& structure, const FolderContext& context,
                     bool whole) {
        const CacheFolderView view{task.apiPrefix, cacheNames_};
        const std::string* reason =
            whole ? settings_->caches->Recognise(structure, view, task.prefix, originalSteps_) : nullptr;
        for (size_t i = 0; i < cacheNames_.size(); ++i) {
            const CacheListedName& name = cacheNames_[i];
            if (name.link)
                continue;
            // As below such a cache (VisitCacheEntry): a name of what users keep stays.
            if (reason && !structure.ownFile && KeptKindOfName(name.folded) != KeptKind::None)
                continue;
            if (name.folder) {
                if (!settings_->recurse)
                    continue;
                const std::string* childReason = nullptr;
                bool (*childFile)(std::wstring_view) = nullptr;
                if (reason) {
                    if (!structure.ownFile) {
                        childReason = reason;
                    } else {
                        for (const CacheStructure::OwnSubfolder& own : structure.ownSubfolders)
                            if (name.folded == own.foldedName) {
                                childReason = reason;
                                childFile = own.ownFile;
                            }
                    }
                }
                Subfolder(ChildTask(context, cacheEntries_[i].name, childReason, childFile));
                continue;
            }
            if (reason && !cacheEntries_[i].excluded &&
                (!structure.ownFile || structure.ownFile(name.folded))) {
                path_.assign(context.prefix);
                path_ += win::Narrow(cacheEntries_[i].name);
                visitor_.FileFound(path_, *reason, cacheEntries_[i].record);
            }
        }
    }

    // Where the folder stands below the walk's root, when the walk looks for caches: the
    // structure it may be, with its steps in foldedSteps_ and originalSteps_.
    const CacheStructure* CacheStandingAt(const FolderTask& task) {
        foldedSteps_.clear();
        originalSteps_.clear();
        const std::wstring_view folded =
            std::wstring_view(task.foldedPrefix).substr(settings_->rootFoldedLength);
        for (size_t start = 0; start < folded.size();) {
            const size_t end = folded.find(L'\\', start);
            foldedSteps_.push_back(folded.substr(start, end - start));
            start = end + 1;
        }
        const CacheStructure* structure = settings_->caches->StandingAt(foldedSteps_);
        if (!structure)
            return nullptr;
        const std::string_view original = std::string_view(task.prefix).substr(settings_->rootLength);
        for (size_t start = 0; start < original.size();) {
            const size_t end = original.find('\\', start);
            originalSteps_.push_back(original.substr(start, end - start));
            start = end + 1;
        }
        return structure;
    }

    FolderTask ChildTask(const FolderContext& context, std::wstring_view name, const std::string* reason,
                         bool (*file)(std::wstring_view)) {
        std::wstring folded(name);
        win::FoldInPlace(folded);
        FolderTask child{context.prefix + win::Narrow(name) + '\\',
                         context.apiPrefix + std::wstring(name) + L'\\',
                         context.foldedPrefix + folded + L'\\', settings_};
        child.cacheReason = reason;
        child.cacheFile = file;
        return child;
    }

    const WalkSettings* settings_ = nullptr;  // of the folder being listed
    SearchVisitor& visitor_;
    ListingPool* pool_;
    const SearchOptions* options_ = nullptr;
    // This worker's own buffers: the walk is the hot path of a scan.
    std::wstring foldedName_;
    std::wstring scratch_;
    std::string path_;                    // PathOf's
    std::vector<FolderTask> subfolders_;  // of the folder being listed, without a pool
    // Of a folder that stands where a cache would, while it is listed.
    struct RememberedEntry {
        std::wstring name;
        FoundRecord record;
        bool excluded = false;
    };
    std::vector<CacheListedName> cacheNames_;
    std::vector<RememberedEntry> cacheEntries_;
    std::vector<std::wstring_view> foldedSteps_;
    std::vector<std::string_view> originalSteps_;
};

// A listing worker's reports, kept in the order they came until the calling thread hands them to
// the visitor. The entries' strings keep their buffers from one batch to the next.
struct ReportBatch {
    enum class Kind { Found, Entered, Unreadable };
    struct Call {
        Kind kind = Kind::Found;
        std::string path;
        std::string_view reason;  // a mask's description or a test's key: both outlive the walk
        FoundRecord record;
        DWORD error = 0;
    };
    std::vector<Call> calls;
    size_t used = 0;

    // Hands every report to visitor, in the order they came, and empties the batch.
    void DeliverTo(SearchVisitor& visitor) {
        for (size_t i = 0; i < used; ++i) {
            const Call& call = calls[i];
            switch (call.kind) {
                case Kind::Found:
                    visitor.FileFound(call.path, call.reason, call.record);
                    break;
                case Kind::Entered:
                    visitor.FolderEntered(call.path, call.record);
                    break;
                case Kind::Unreadable:
                    visitor.FolderUnreadable(call.path, call.error);
                    break;
            }
        }
        used = 0;
    }
};

// Full batches on their way from the listing workers to the calling thread, and the emptied ones
// on their way back. A worker holds the lock only to put a batch in and take an empty one out: it
// never waits for the visitor, so a slow window or a large results model stalls no listing.
class HandOver {
  public:
    // A worker's: puts a full batch in and returns an empty one. Waits while kMaxWaiting batches
    // are not yet taken, so a visitor that cannot keep up does not make memory grow without end;
    // a stopped walk waits for nothing.
    std::unique_ptr<ReportBatch> Give(std::unique_ptr<ReportBatch> full,
                                      const std::function<bool()>& stopped) {
        std::unique_lock guard(lock_);
        while (ready_.size() >= kMaxWaiting && !stopped())
            taken_.wait_for(guard, std::chrono::milliseconds(10));
        ready_.push_back(std::move(full));
        std::unique_ptr<ReportBatch> empty;
        if (!spare_.empty()) {
            empty = std::move(spare_.back());
            spare_.pop_back();
        }
        guard.unlock();
        given_.notify_one();
        return empty ? std::move(empty) : std::make_unique<ReportBatch>();
    }

    // A worker's last word: it gives nothing more.
    void WorkerEnded() {
        {
            std::lock_guard guard(lock_);
            ++ended_;
        }
        given_.notify_one();
    }

    // The calling thread's: the batches given so far (waiting up to 10 ms for one while nothing is
    // there), and whether every one of workers had ended before they were taken, so that nothing
    // more will come.
    bool Take(std::vector<std::unique_ptr<ReportBatch>>& batches, unsigned workers) {
        std::unique_lock guard(lock_);
        given_.wait_for(guard, std::chrono::milliseconds(10),
                        [&] { return !ready_.empty() || ended_ == workers; });
        const bool allEnded = ended_ == workers;
        batches.swap(ready_);
        guard.unlock();
        taken_.notify_all();
        return allEnded;
    }

    // The calling thread's: delivered batches go back for the workers to fill again.
    void Return(std::vector<std::unique_ptr<ReportBatch>>& batches) {
        std::lock_guard guard(lock_);
        for (std::unique_ptr<ReportBatch>& batch : batches)
            spare_.push_back(std::move(batch));
        batches.clear();
    }

  private:
    static constexpr size_t kMaxWaiting = 32;
    std::mutex lock_;
    std::condition_variable given_;  // a batch was given, or a worker ended
    std::condition_variable taken_;  // the waiting batches were taken
    std::vector<std::unique_ptr<ReportBatch>> ready_;
    std::vector<std::unique_ptr<ReportBatch>> spare_;
    unsigned ended_ = 0;
};

// One listing worker's reports, gathered into a batch that goes to the calling thread when it is
// full, when the worker runs out of folders and when it ends.
class BatchedVisitor : public SearchVisitor {
  public:
    BatchedVisitor(HandOver& handOver, std::function<bool()> stopped)
        : handOver_(handOver), stopped_(std::move(stopped)), batch_(std::make_unique<ReportBatch>()) {}

    void FileFound(const std::string& path, std::string_view reason, const FoundRecord& record) override {
        ReportBatch::Call& call = Add(ReportBatch::Kind::Found, path);
        call.reason = reason;
        call.record = record;
    }
    void FolderEntered(const std::string& path, const FoundRecord& record) override {
        Add(ReportBatch::Kind::Entered, path).record = record;
    }
    void FolderUnreadable(const std::string& path, DWORD error) override {
        Add(ReportBatch::Kind::Unreadable, path).error = error;
    }

    // Hands the reports held so far over.
    void Flush() {
        if (batch_->used > 0)
            batch_ = handOver_.Give(std::move(batch_), stopped_);
    }

  private:
    static constexpr size_t kBatch = 512;

    ReportBatch::Call& Add(ReportBatch::Kind kind, const std::string& path) {
        if (batch_->used == kBatch)
            Flush();
        ReportBatch& batch = *batch_;
        if (batch.used == batch.calls.size())
            batch.calls.emplace_back();
        ReportBatch::Call& call = batch.calls[batch.used++];
        call.kind = kind;
        call.path.assign(path);
        return call;
    }

    HandOver& handOver_;
    const std::function<bool()> stopped_;
    std::unique_ptr<ReportBatch> batch_;
};

// The listing workers of one walk and the queue of folders they take from: the last folder put in
// is the first taken, so the queue stays about as short as a depth-first walk's path.
class ListingPool {
  public:
    ListingPool(std::vector<WalkSettings*> settings, SearchVisitor& visitor)
        : settings_(std::move(settings)), visitor_(visitor) {}

    void Push(FolderTask task) {
        bool wake;
        {
            std::lock_guard guard(queueLock_);
            queue_.push_back(std::move(task));
            wake = idle_ > 0;
        }
        if (wake)
            workWaiting_.notify_one();
    }

    // Runs the walks from their roots with count workers; returns once every worker has ended.
    // Every visitor call is made here, on the calling thread: the workers' reports as they are
    // handed over, in the order each worker made them, and Pulse between them.
    void Run(std::vector<FolderTask> roots, unsigned count) {
        workers_ = count;
        // The first root is taken first: the queue is last in, first out.
        for (auto root = roots.rbegin(); root != roots.rend(); ++root)
            Push(std::move(*root));
        std::vector<std::thread> workers;
        for (unsigned i = 0; i < count; ++i)
            workers.emplace_back([this] { Work(); });
        bool visitorFailed = false;
        std::vector<std::unique_ptr<ReportBatch>> batches;
        for (;;) {
            // Whatever was handed over before the last worker ended is delivered, a stopped walk's
            // too: every report a worker made is stored.
            const bool allEnded = handOver_.Take(batches, workers_);
            try {
                for (std::unique_ptr<ReportBatch>& batch : batches) {
                    if (visitorFailed)
                        batch->used = 0;
                    else
                        batch->DeliverTo(visitor_);
                }
                if (!visitorFailed)
                    visitor_.Pulse();
            } catch (...) {
                visitorFailed = true;
                for (std::unique_ptr<ReportBatch>& batch : batches)
                    batch->used = 0;
                Fail(std::current_exception());
            }
            handOver_.Return(batches);
            if (allEnded)
                break;
        }
        for (std::thread& worker : workers)
            worker.join();
        if (failure_)
            std::rethrow_exception(failure_);
    }

  private:
    // One worker: COM of its own for the shortcut test (when it runs), a walker with its own buffers and
    // batch, folders from the queue until none is left and no worker can add one, or the walk is stopped.
    void Work() {
        // Only the shortcut test needs COM; starting an apartment costs more than a small folder's
        // listing.
        std::optional<win::ComApartment> com;
        if (std::any_of(settings_.begin(), settings_.end(),
                        [](const WalkSettings* settings) { return settings->options.findInvalidShortcuts; }))
            com.emplace();
        BatchedVisitor batch(handOver_, [this] { return Stopped(); });
        Walker walker(batch, this);
        for (;;) {
            FolderTask task;
            bool ending = false;
            {
                std::unique_lock guard(queueLock_);
                // Nothing to list right now: what this worker holds goes over before it waits, so
                // the progress never lags behind an idle worker.
                if (queue_.empty() && busy_ > 0 && !Stopped()) {
                    guard.unlock();
                    Flush(batch);
                    guard.lock();
                }
                ++idle_;
                // A stop comes as a flag, not as a notification: it is looked at every few milliseconds.
                while (!workWaiting_.wait_for(guard, std::chrono::milliseconds(10), [this] {
                    return !queue_.empty() || busy_ == 0 || Stopped();
                })) {
                }
                --idle_;
                if (queue_.empty() || Stopped()) {
                    ending = true;
                } else {
                    task = std::move(queue_.back());
                    queue_.pop_back();
                    ++busy_;
                }
            }
            if (ending) {
                Flush(batch);
                handOver_.WorkerEnded();
                return;
            }
            try {
                walker.WalkFolder(task);
            } catch (...) {
                Fail(std::current_exception());
            }
            bool done;
            {
                std::lock_guard guard(queueLock_);
                done = --busy_ == 0 && queue_.empty();
            }
            // The last folder listed with nothing left: the idle workers can end.
            if (done)
                workWaiting_.notify_all();
        }
    }

    void Flush(BatchedVisitor& batch) {
        try {
            batch.Flush();
        } catch (...) {
            Fail(std::current_exception());
        }
    }

    void Fail(std::exception_ptr failure) {
        {
            std::lock_guard guard(queueLock_);
            if (!failure_)
                failure_ = failure;
            for (WalkSettings* settings : settings_)
                settings->abandoned = true;
        }
        workWaiting_.notify_all();
    }

    // Every walk shares the stop flag, and a failure abandons them all.
    bool Stopped() const { return settings_.front()->Stopped(); }

    std::vector<WalkSettings*> settings_;
    SearchVisitor& visitor_;
    HandOver handOver_;
    std::mutex queueLock_;
    std::condition_variable workWaiting_;  // a folder was queued, or there will be none
    std::vector<FolderTask> queue_;
    unsigned busy_ = 0;  // workers listing a folder, which may add more
    unsigned idle_ = 0;  // workers waiting for a folder
    unsigned workers_ = 0;
    std::exception_ptr failure_;
};

void Walker::WalkFolder(const FolderTask& task) {
    settings_ = task.settings;
    options_ = &task.settings->options;
    const CacheStructure* candidate =
        settings_->caches && !task.cacheReason ? CacheStandingAt(task) : nullptr;
    cacheNames_.clear();
    cacheEntries_.clear();
    win::FolderListing listing(task.apiPrefix, settings_->listingEnd);
    FolderContext context = EnterFolder(task);
    win::ListedEntry entry;
    while (listing.Next(entry)) {
        if (settings_->Stopped())
            return;
        if (task.cacheReason)
            VisitCacheEntry(entry, context, task);
        else if (candidate)
            RememberEntry(entry, context);
        else
            VisitEntry(entry, context);
        if (!pool_)
            visitor_.Pulse();
    }
    if (listing.Error() != ERROR_SUCCESS && !settings_->Stopped())
        visitor_.FolderUnreadable(task.prefix.substr(0, task.prefix.size() - 1), listing.Error());
    if (candidate)
        DecideCache(task, *candidate, context, listing.Error() == ERROR_SUCCESS);
}

void Walker::Subfolder(FolderTask task) {
    if (pool_)
        pool_->Push(std::move(task));
    else
        subfolders_.push_back(std::move(task));
}

void Walker::WalkTree(FolderTask root) {
    const WalkSettings& settings = *root.settings;
    std::vector<FolderTask> stack;
    stack.push_back(std::move(root));
    while (!stack.empty() && !settings.Stopped()) {
        const FolderTask task = std::move(stack.back());
        stack.pop_back();
        WalkFolder(task);
        // Reversed onto the stack, so the subfolders are walked in the order the listing gave them.
        for (auto it = subfolders_.rbegin(); it != subfolders_.rend(); ++it)
            stack.push_back(std::move(*it));
        subfolders_.clear();
    }
}

}  // namespace

void SearchFolder(const std::string& root, const SearchRequest& request, SearchVisitor& visitor) {
    SearchFolders({{root, request}}, visitor);
}

void SearchFolders(const std::vector<SearchWalk>& walks, SearchVisitor& visitor) {
    if (walks.empty())
        return;
    std::vector<std::unique_ptr<WalkSettings>> settings;
    std::vector<FolderTask> roots;
    for (const SearchWalk& walk : walks) {
        settings.push_back(std::make_unique<WalkSettings>(walk.request));
        settings.back()->walk = static_cast<unsigned>(settings.size() - 1);
        // Every walk goes by the first one's stop flag, as the pool's workers do.
        settings.back()->stop = walks.front().request.stop;
        roots.push_back(RootTask(walk.root, *settings.back()));
        settings.back()->listingEnd = win::ListingEndFor(roots.back().apiPrefix);
        settings.back()->rootLength = roots.back().prefix.size();
        settings.back()->rootFoldedLength = roots.back().foldedPrefix.size();
    }
    const unsigned workers = walks.front().request.workers;
    if (workers <= 1) {
        Walker walker(visitor, nullptr);
        for (FolderTask& root : roots) {
            if (settings.front()->Stopped())
                return;
            walker.WalkTree(std::move(root));
        }
        return;
    }
    std::vector<WalkSettings*> shared;
    for (const auto& walk : settings)
        shared.push_back(walk.get());
    ListingPool pool(std::move(shared), visitor);
    pool.Run(std::move(roots), workers);
}
