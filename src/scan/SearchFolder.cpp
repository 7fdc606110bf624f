#include "scan/SearchFolder.h"

#include <utility>

#include "scan/Shortcut.h"
#include "scan/TimeSpan.h"
#include "scan/Wildcard.h"
#include "win/CharStep.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

constexpr uint64_t kTicksPerMillisecond = 10'000;

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// One walk: the request, with the per-walk work (lower-cased masks and skip folders) done once.
class Walker {
  public:
    Walker(const SearchRequest& request, SearchVisitor& visitor)
        : visitor_(visitor), recurse_(request.recurse), options_(request.options), stop_(request.stop) {
        const TextMap& masks = request.masks;
        const std::vector<std::string>& skipFolders = request.skipFolders;
        // In a single-byte code page, lower-casing is a fixed map of the 256 byte values: build it
        // once with the system's rules instead of asking the system for every file name.
        CPINFO codePage{};
        singleByte_ = ::GetCPInfo(CP_ACP, &codePage) && codePage.MaxCharSize == 1;
        if (singleByte_) {
            char bytes[256];
            for (int i = 0; i < 256; ++i)
                bytes[i] = static_cast<char>(i);
            ::CharLowerBuffA(bytes + 1, 255);
            for (int i = 0; i < 256; ++i)
                lower_[i] = bytes[i];
        }
        masks_.reserve(masks.size());
        for (const auto& [mask, description] : masks)
            masks_.emplace_back(win::LowerAnsi(mask), &description);
        for (const std::string& skip : skipFolders) {
            if (skip.empty())
                skipEverything_ = true;  // an empty text occurs in every path
            else
                skipFolders_.push_back(win::LowerAnsi(skip));
        }
        for (std::string own : request.ownFolders) {
            while (win::EndsWithBackslash(own))
                own.pop_back();
            if (!own.empty())
                ownFolders_.push_back(win::LowerAnsi(own) + "\\");
        }
    }

    void Walk(std::string folder) {
        if (win::EndsWithBackslash(folder))
            folder.pop_back();
        WIN32_FIND_DATAA record;
        win::UniqueFind listing(::FindFirstFileA((folder + "\\*.*").c_str(), &record));
        if (!listing)
            return;

        const std::string prefix = folder + "\\";
        FolderContext context = EnterFolder(prefix);
        std::string path;
        do {
            if (stop_ && stop_->load(std::memory_order_relaxed))
                return;
            path.assign(prefix).append(record.cFileName);
            VisitEntry(path, record, context);
        } while (::FindNextFileA(listing.get(), &record));
    }

  private:
    // Per-folder values shared by the folder's entries.
    struct FolderContext {
        std::string loweredPrefix;
        bool skipped = false;   // a skip folder occurs in the folder's own path
        uint64_t nowLocal = 0;  // local time, whole milliseconds, in 100 ns ticks
        int64_t localBias = 0;  // local minus UTC, in 100 ns ticks
    };

    FolderContext EnterFolder(const std::string& prefix) const {
        FolderContext context;
        context.loweredPrefix = win::LowerAnsi(prefix);
        context.skipped = skipEverything_;
        for (const std::string& skip : skipFolders_)
            if (context.loweredPrefix.find(skip) != std::string::npos)
                context.skipped = true;
        // A walk that starts inside one of the program's own folders; below the start, the walk
        // never enters one (Skipped).
        for (const std::string& own : ownFolders_)
            if (context.loweredPrefix.compare(0, own.size(), own) == 0)
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

    // Whether a skip folder occurs in prefix + name. Occurrences inside the prefix alone were
    // already found by EnterFolder, so only those reaching into the name are looked for here.
    bool Skipped(const FolderContext& context, const std::string& loweredName) {
        if (context.skipped)
            return true;
        for (const std::string& own : ownFolders_)
            if (IsOwnFolder(own, context.loweredPrefix, loweredName))
                return true;
        if (skipFolders_.empty())
            return false;
        scratch_.assign(context.loweredPrefix).append(loweredName);
        const size_t prefixLength = context.loweredPrefix.size();
        for (const std::string& skip : skipFolders_) {
            size_t from = prefixLength >= skip.size() ? prefixLength - skip.size() + 1 : 0;
            if (scratch_.find(skip, from) != std::string::npos)
                return true;
        }
        return false;
    }

    // Whether prefix + name is the own folder (given with its final backslash).
    static bool IsOwnFolder(const std::string& own, const std::string& prefix, const std::string& name) {
        return own.size() == prefix.size() + name.size() + 1 && own.compare(0, prefix.size(), prefix) == 0 &&
               own.compare(prefix.size(), name.size(), name) == 0;
    }

    void VisitEntry(const std::string& path, const WIN32_FIND_DATAA& record, const FolderContext& context) {
        const DWORD attributes = record.dwFileAttributes;
        const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
        if (isFolder)
            visitor_.FolderEntered(path, record);
        if (Filtered(attributes))
            return;
        loweredName_.assign(record.cFileName);
        LowerName(loweredName_);
        if (Skipped(context, loweredName_))
            return;

        if (isFolder) {
            // A folder link may lead out of the chosen tree or back into it: never follow one.
            if (recurse_ && !IsDotEntry(record.cFileName) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                Walk(path);
            return;
        }
        for (const auto& [mask, description] : masks_) {
            if (MatchWildcard(mask, loweredName_)) {
                visitor_.FileFound(path, *description, record);
                return;
            }
        }
        if (const char* reason = TestFile(path, record, context)) {
            visitor_.FileFound(reason == kInvalidShortcut ? win::LowerAnsi(path) : path, reason, record);
        }
    }

    static constexpr const char* kZeroLength = "_ZeroLengthFile";
    static constexpr const char* kInvalidShortcut = "_InvalidShortcut";
    static constexpr const char* kNotAccessed = "_HaveNotAccessed";

    // The three tests in order; the first that fires gives the reason.
    const char* TestFile(const std::string& path, const WIN32_FIND_DATAA& record,
                         const FolderContext& context) const {
        if (options_.findZeroLength && record.nFileSizeHigh == 0 && record.nFileSizeLow == 0) {
            // The listing's size is only trusted for "not empty"; an empty one is confirmed by path.
            WIN32_FILE_ATTRIBUTE_DATA data;
            if (::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
                data.nFileSizeHigh == 0 && data.nFileSizeLow == 0)
                return kZeroLength;
        }
        if (options_.findInvalidShortcuts && IsShortcutName(loweredName_)) {
            std::string target;
            if (ResolveShortcutTarget(win::LowerAnsi(path), target) &&
                (target.empty() || ::GetFileAttributesA(target.c_str()) == INVALID_FILE_ATTRIBUTES))
                return kInvalidShortcut;
        }
        if (options_.findNotAccessed) {
            uint64_t accessed = FileTimeTicks(record.ftLastAccessTime) + context.localBias;
            accessed -= accessed % kTicksPerMillisecond;
            uint64_t months = TimeSpanBetween(context.nowLocal, accessed).days / 31;
            // Compared as unsigned: a negative month count never reports.
            if (months > static_cast<uint64_t>(static_cast<int64_t>(options_.months)))
                return kNotAccessed;
        }
        return nullptr;
    }

    void LowerName(std::string& name) const {
        if (!singleByte_) {
            win::LowerInPlace(name);
            return;
        }
        for (char& c : name)
            c = lower_[static_cast<unsigned char>(c)];
    }

    static bool IsShortcutName(const std::string& loweredName) {
        return loweredName.size() >= 4 && loweredName.compare(loweredName.size() - 4, 4, ".lnk") == 0;
    }

    bool singleByte_ = false;
    char lower_[256] = {};
    std::vector<std::pair<std::string, const std::string*>> masks_;
    std::vector<std::string> skipFolders_;
    std::vector<std::string> ownFolders_;  // lowered, each with a final backslash
    bool skipEverything_ = false;
    SearchVisitor& visitor_;
    bool recurse_;
    SearchOptions options_;
    const std::atomic<bool>* stop_;
    // Reused buffers: the walk is the hot path of a scan.
    std::string loweredName_;
    std::string scratch_;
};

}  // namespace

void SearchFolder(const std::string& root, const SearchRequest& request, SearchVisitor& visitor) {
    Walker walker(request, visitor);
    walker.Walk(root);
}
