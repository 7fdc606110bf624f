#include "scan/SearchFolder.h"

#include <utility>

#include "scan/Shortcut.h"
#include "scan/TimeSpan.h"
#include "scan/Wildcard.h"
#include "win/FileSystem.h"
#include "win/Fold.h"
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

// One walk: the request, with the per-walk work (folded masks and folders) done once. The walk
// works in UTF-16 as the listing gives it: a folder's path in the program's form (for reports),
// in the file calls' form (for listing) and folded (for comparisons); a file's path in program
// text is made only for a file that is reported.
class Walker {
  public:
    Walker(const SearchRequest& request, SearchVisitor& visitor)
        : visitor_(visitor), recurse_(request.recurse), options_(request.options), stop_(request.stop) {
        masks_.reserve(request.masks.size());
        for (const auto& [mask, description] : request.masks)
            masks_.emplace_back(win::FoldedText(mask), &description);
        for (const std::string& skip : request.skipFolders) {
            if (skip.empty())
                skipEverything_ = true;  // an empty text occurs in every path
            else
                skipFolders_.push_back(win::FoldedText(skip));
        }
        for (const std::string& own : request.ownFolders)
            if (!own.empty())
                ownFolders_.push_back(WithFinalBackslash(win::FoldedText(own), L'\\'));
    }

    void Walk(const std::string& root) {
        const std::string prefix = WithFinalBackslash(root, '\\');
        const std::wstring wide = win::Wide(prefix);
        WalkFolder(prefix, win::FileApiPath(prefix), win::Folded(wide));
    }

  private:
    // Per-folder values shared by the folder's entries.
    struct FolderContext {
        const std::string& prefix;         // program form, with its final backslash
        const std::wstring& apiPrefix;     // the file calls' form
        const std::wstring& foldedPrefix;  // folded program form
        bool skipped = false;              // a skip folder occurs in the folder's own path
        uint64_t nowLocal = 0;             // local time, whole milliseconds, in 100 ns ticks
        int64_t localBias = 0;             // local minus UTC, in 100 ns ticks
    };

    void WalkFolder(const std::string& prefix, const std::wstring& apiPrefix,
                    const std::wstring& foldedPrefix) {
        win::FolderListing listing(apiPrefix);
        FolderContext context = EnterFolder(prefix, apiPrefix, foldedPrefix);
        win::ListedEntry entry;
        while (listing.Next(entry)) {
            if (stop_ && stop_->load(std::memory_order_relaxed))
                return;
            VisitEntry(entry, context);
        }
        if (listing.Error() != ERROR_SUCCESS && !(stop_ && stop_->load(std::memory_order_relaxed)))
            visitor_.FolderUnreadable(prefix.substr(0, prefix.size() - 1), listing.Error());
    }

    FolderContext EnterFolder(const std::string& prefix, const std::wstring& apiPrefix,
                              const std::wstring& foldedPrefix) const {
        FolderContext context{prefix, apiPrefix, foldedPrefix};
        context.skipped = skipEverything_;
        for (const std::wstring& skip : skipFolders_)
            if (foldedPrefix.find(skip) != std::wstring::npos)
                context.skipped = true;
        // A walk that starts inside one of the program's own folders; below the start, the walk
        // never enters one (Skipped).
        for (const std::wstring& own : ownFolders_)
            if (foldedPrefix.compare(0, own.size(), own) == 0)
                context.skipped = true;
        if (options_.findNotAccessed) {
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
        return (options_.skipReadOnly && (attributes & FILE_ATTRIBUTE_READONLY)) ||
               (options_.skipSystem && (attributes & FILE_ATTRIBUTE_SYSTEM)) ||
               (options_.skipHidden && (attributes & FILE_ATTRIBUTE_HIDDEN));
    }

    // Whether a skip folder occurs in prefix + name, or prefix + name is one of the program's own
    // folders. Occurrences inside the prefix alone were already found by EnterFolder, so only
    // those reaching into the name are looked for here.
    bool Skipped(const FolderContext& context, const std::wstring& foldedName) {
        if (context.skipped)
            return true;
        const std::wstring& prefix = context.foldedPrefix;
        for (const std::wstring& own : ownFolders_)
            if (own.size() == prefix.size() + foldedName.size() + 1 &&
                own.compare(0, prefix.size(), prefix) == 0 &&
                own.compare(prefix.size(), foldedName.size(), foldedName) == 0)
                return true;
        if (skipFolders_.empty())
            return false;
        scratch_.assign(prefix).append(foldedName);
        for (const std::wstring& skip : skipFolders_) {
            size_t from = prefix.size() >= skip.size() ? prefix.size() - skip.size() + 1 : 0;
            if (scratch_.find(skip, from) != std::wstring::npos)
                return true;
        }
        return false;
    }

    static FoundRecord RecordOf(const win::ListedEntry& entry) {
        return {entry.attributes, {entry.size, entry.lastAccess, entry.lastWrite, entry.fileId}};
    }

    void VisitEntry(const win::ListedEntry& entry, const FolderContext& context) {
        const DWORD attributes = entry.attributes;
        const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder)
            visitor_.FolderEntered(context.prefix + win::Narrow(entry.name), RecordOf(entry));
        if (Filtered(attributes))
            return;
        foldedName_.assign(entry.name);
        win::FoldInPlace(foldedName_);
        if (Skipped(context, foldedName_))
            return;

        if (isFolder) {
            // A folder link may lead out of the chosen tree or back into it: never follow one.
            if (recurse_ && !IsDotEntry(entry.name) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                const std::wstring name(entry.name);
                WalkFolder(context.prefix + win::Narrow(name) + '\\', context.apiPrefix + name + L'\\',
                           context.foldedPrefix + foldedName_ + L'\\');
            }
            return;
        }
        for (const auto& [mask, description] : masks_) {
            if (MatchWildcard(mask, foldedName_)) {
                visitor_.FileFound(context.prefix + win::Narrow(entry.name), *description, RecordOf(entry));
                return;
            }
        }
        if (options_.findZeroLength || options_.findInvalidShortcuts || options_.findNotAccessed) {
            const std::string path = context.prefix + win::Narrow(entry.name);
            if (const char* reason = TestFile(path, entry, context))
                visitor_.FileFound(path, reason, RecordOf(entry));
        }
    }

    static constexpr const char* kZeroLength = "_ZeroLengthFile";
    static constexpr const char* kInvalidShortcut = "_InvalidShortcut";
    static constexpr const char* kNotAccessed = "_HaveNotAccessed";

    // The three tests in order; the first that fires gives the reason.
    const char* TestFile(const std::string& path, const win::ListedEntry& entry,
                         const FolderContext& context) const {
        if (options_.findZeroLength && entry.size == 0) {
            // The listing's size is only trusted for "not empty"; an empty one is confirmed by path.
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (win::FileAttributeData(path, data) && data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)
                return kZeroLength;
        }
        if (options_.findInvalidShortcuts && IsShortcutName(foldedName_) && IsShortcutToMissingTarget(path))
            return kInvalidShortcut;
        if (options_.findNotAccessed) {
            uint64_t accessed = FileTimeTicks(entry.lastAccess) + context.localBias;
            accessed -= accessed % kTicksPerMillisecond;
            uint64_t months = TimeSpanBetween(context.nowLocal, accessed).days / 31;
            // Compared as unsigned: a negative month count never reports.
            if (months > static_cast<uint64_t>(static_cast<int64_t>(options_.months)))
                return kNotAccessed;
        }
        return nullptr;
    }

    static bool IsShortcutName(const std::wstring& foldedName) {
        static const std::wstring extension = win::Folded(L".lnk");
        return foldedName.size() >= extension.size() &&
               foldedName.compare(foldedName.size() - extension.size(), extension.size(), extension) == 0;
    }

    std::vector<std::pair<std::wstring, const std::string*>> masks_;
    std::vector<std::wstring> skipFolders_;
    std::vector<std::wstring> ownFolders_;  // folded, each with a final backslash
    bool skipEverything_ = false;
    SearchVisitor& visitor_;
    bool recurse_;
    SearchOptions options_;
    const std::atomic<bool>* stop_;
    // Reused buffers: the walk is the hot path of a scan.
    std::wstring foldedName_;
    std::wstring scratch_;
};

}  // namespace

void SearchFolder(const std::string& root, const SearchRequest& request, SearchVisitor& visitor) {
    Walker walker(request, visitor);
    walker.Walk(root);
}
