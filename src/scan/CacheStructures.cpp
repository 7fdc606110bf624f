#include "scan/CacheStructures.h"

#include <algorithm>
#include <cwctype>

#include "core/FormatText.h"
#include "scan/KeptNames.h"
#include "win/Fold.h"
#include "win/PathCalls.h"
#include "win/Text.h"

namespace {

// Names are compared folded, and the system's folding upper-cases ASCII letters.
bool IsHexDigit(wchar_t c) {
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
}

bool AllHex(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsHexDigit);
}

bool AllDigits(std::wstring_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool StartsWith(std::wstring_view text, std::wstring_view start) {
    return text.substr(0, start.size()) == start;
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool IsOneOf(std::wstring_view name, std::initializer_list<std::wstring_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool HasFile(const CacheFolderView& folder, std::wstring_view name) {
    return std::any_of(folder.names.begin(), folder.names.end(), [&](const CacheListedName& entry) {
        return !entry.folder && !entry.link && entry.folded == name;
    });
}

bool HasFolder(const CacheFolderView& folder, std::wstring_view name) {
    return std::any_of(folder.names.begin(), folder.names.end(), [&](const CacheListedName& entry) {
        return entry.folder && !entry.link && entry.folded == name;
    });
}

// Chromium's disk cache (net/disk_cache) in either of its two backends. The block-file backend
// keeps an "index" with the block files "data_0" to "data_3" and large entries in "f_" files
// numbered in hexadecimal; the simple backend keeps a small "index", the real index in
// "index-dir\the-real-index", and one file per entry and stream named by the key's 64-bit hash in
// hexadecimal, with the stream after an underscore (0 and 1, or s for sparse data).
bool IsChromiumCacheFile(std::wstring_view name) {
    if (name == L"INDEX")
        return true;
    if (StartsWith(name, L"DATA_"))
        return AllDigits(name.substr(5));
    if (StartsWith(name, L"F_"))
        return name.size() >= 8 && AllHex(name.substr(2));
    return name.size() == 18 && AllHex(name.substr(0, 16)) && name[16] == L'_' &&
           ((name[17] >= L'0' && name[17] <= L'9') || name[17] == L'S');
}

bool IsRealIndex(std::wstring_view name) {
    return name == L"THE-REAL-INDEX";
}

bool HoldsChromiumLayout(const CacheFolderView& folder) {
    if (!HasFile(folder, L"INDEX"))
        return false;
    if (HasFile(folder, L"DATA_0") && HasFile(folder, L"DATA_1") && HasFile(folder, L"DATA_2") &&
        HasFile(folder, L"DATA_3"))
        return true;
    if (!HasFolder(folder, L"INDEX-DIR"))
        return false;
    // The real index is the simple backend's mark; a link there is no part of a layout.
    const std::wstring realIndex = std::wstring(folder.apiFolder) + L"index-dir\\the-real-index";
    const DWORD attributes = ::GetFileAttributesW(realIndex.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool LastStepIsOneOf(const std::vector<std::wstring_view>& steps,
                     std::initializer_list<std::wstring_view> names) {
    return !steps.empty() && IsOneOf(steps.back(), names);
}

// The HTTP cache: "Cache" in older versions and in many embedding applications, "Cache\Cache_Data"
// in newer ones, and the media cache beside it.
bool StandsAsWebCache(const std::vector<std::wstring_view>& steps) {
    return LastStepIsOneOf(steps, {L"CACHE", L"CACHE_DATA", L"MEDIA CACHE"});
}

// The compiled scripts of V8 and WebAssembly.
bool StandsAsCodeCache(const std::vector<std::wstring_view>& steps) {
    return steps.size() >= 2 && steps[steps.size() - 2] == L"CODE CACHE" &&
           LastStepIsOneOf(steps, {L"JS", L"WASM", L"WEBUI_JS"});
}

// The compiled shaders and programs of the GPU process, Skia and Dawn.
bool StandsAsGpuCache(const std::vector<std::wstring_view>& steps) {
    return LastStepIsOneOf(steps, {L"GPUCACHE", L"DAWNCACHE", L"DAWNWEBGPUCACHE", L"DAWNGRAPHITECACHE",
                                   L"GRAPHITEDAWNCACHE", L"GRSHADERCACHE", L"SHADERCACHE"});
}

// Gecko's network cache: "cache2" with its "index" and one file per entry in "entries", named by
// the SHA-1 of its key (40 hexadecimal digits); entries being removed wait in "doomed".
bool StandsAsGeckoCache(const std::vector<std::wstring_view>& steps) {
    return LastStepIsOneOf(steps, {L"CACHE2"});
}

bool HoldsGeckoCacheLayout(const CacheFolderView& folder) {
    return HasFile(folder, L"INDEX") && HasFolder(folder, L"ENTRIES");
}

bool IsGeckoIndex(std::wstring_view name) {
    return name == L"INDEX";
}

bool IsGeckoEntry(std::wstring_view name) {
    return name.size() == 40 && AllHex(name);
}

bool IsGeckoDoomedEntry(std::wstring_view name) {
    return AllHex(name);
}

// Gecko's startup cache: the precompiled chrome scripts ("startupCache.8.little",
// "scriptCache.bin", "scriptCache-child.bin") and the URL preload list.
bool StandsAsStartupCache(const std::vector<std::wstring_view>& steps) {
    return LastStepIsOneOf(steps, {L"STARTUPCACHE"});
}

bool IsStartupCacheMark(std::wstring_view name) {
    return StartsWith(name, L"STARTUPCACHE.") ||
           (StartsWith(name, L"SCRIPTCACHE") && EndsWith(name, L".BIN"));
}

bool IsStartupCacheFile(std::wstring_view name) {
    return IsStartupCacheMark(name) || (StartsWith(name, L"URLCACHE") && EndsWith(name, L".BIN"));
}

bool HoldsStartupCacheLayout(const CacheFolderView& folder) {
    return std::any_of(folder.names.begin(), folder.names.end(), [](const CacheListedName& entry) {
        return !entry.folder && !entry.link && IsStartupCacheMark(entry.folded);
    });
}

// A Store package's folders under "Packages\<package>": the web cache and temporary folder of its
// app container ("AC\INetCache", "AC\Temp") and the temporary folder the app's own API hands out
// ("TempState"), which Windows itself may empty at any time. Their place says what they are.
bool StandsAsStoreWebCache(const std::vector<std::wstring_view>& steps) {
    return steps.size() == 4 && steps[0] == L"PACKAGES" && steps[2] == L"AC" && steps[3] == L"INETCACHE";
}

bool StandsAsStoreTemporary(const std::vector<std::wstring_view>& steps) {
    return (steps.size() == 4 && steps[0] == L"PACKAGES" && steps[2] == L"AC" && steps[3] == L"TEMP") ||
           (steps.size() == 3 && steps[0] == L"PACKAGES" && steps[2] == L"TEMPSTATE");
}

bool HoldsAnything(const CacheFolderView&) {
    return true;
}

// Folders that hold several applications of one publisher: the application is the step below.
bool IsSharedPublisherFolder(std::string_view step) {
    for (const char* shared : {"Microsoft", "Google", "Mozilla", "Programs", "Packages", "JetBrains", "Adobe",
                               "Apple Computer", "Apple", "NVIDIA Corporation", "NVIDIA", "Intel", "AMD"})
        if (win::SameFolded(step, shared))
            return true;
    return false;
}

}  // namespace

const std::vector<CacheStructure>& CacheStructures() {
    static const std::vector<CacheStructure> structures = {
        {"_StructureWebCache",
         StandsAsWebCache,
         HoldsChromiumLayout,
         IsChromiumCacheFile,
         {{L"INDEX-DIR", IsRealIndex}}},
        {"_StructureCodeCache",
         StandsAsCodeCache,
         HoldsChromiumLayout,
         IsChromiumCacheFile,
         {{L"INDEX-DIR", IsRealIndex}}},
        {"_StructureGpuCache",
         StandsAsGpuCache,
         HoldsChromiumLayout,
         IsChromiumCacheFile,
         {{L"INDEX-DIR", IsRealIndex}}},
        {"_StructureWebCache",
         StandsAsGeckoCache,
         HoldsGeckoCacheLayout,
         IsGeckoIndex,
         {{L"ENTRIES", IsGeckoEntry}, {L"DOOMED", IsGeckoDoomedEntry}}},
        {"_StructureStartupCache", StandsAsStartupCache, HoldsStartupCacheLayout, IsStartupCacheFile, {}},
        {"_StructureWebCache", StandsAsStoreWebCache, HoldsAnything, nullptr, {}},
        {"_StructureTemporaryFiles", StandsAsStoreTemporary, HoldsAnything, nullptr, {}},
    };
    return structures;
}

std::string CacheApplicationName(const std::vector<std::string_view>& steps) {
    if (steps.empty())
        return {};
    std::string name(steps.front());
    if (steps.size() >= 3 && IsSharedPublisherFolder(steps.front())) {
        name.assign(steps[1]);
        // A package's family name is its name and its publisher's id, joined by the one
        // underscore a package name cannot hold.
        if (win::SameFolded(steps.front(), "Packages"))
            name = name.substr(0, name.find('_'));
    }
    const bool lowerOnly =
        std::none_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
    if (lowerOnly && !name.empty() && name[0] >= 'a' && name[0] <= 'z')
        name[0] = static_cast<char>(name[0] - 'a' + 'A');
    return name;
}

CacheFinder::CacheFinder(const ProtectedPlaces& places, std::vector<std::string> keptApplications,
                         std::vector<std::string> formats)
    : places_(places), kept_(std::move(keptApplications)), formats_(std::move(formats)) {
    formats_.resize(CacheStructures().size(), "%s");
}

const CacheStructure* CacheFinder::StandingAt(const std::vector<std::wstring_view>& foldedSteps) const {
    for (const CacheStructure& structure : CacheStructures())
        if (structure.standsAt(foldedSteps))
            return &structure;
    return nullptr;
}

const std::string* CacheFinder::Recognise(const CacheStructure& structure, const CacheFolderView& folder,
                                          const std::string& folderPath,
                                          const std::vector<std::string_view>& steps) {
    if (!structure.holdsLayout(folder))
        return nullptr;
    // No step on the way is named as what a user keeps ("History", "Cookies"): checked here once
    // for the cache, rather than for each of its files.
    for (const std::string_view step : steps)
        if (KeptKindOfName(win::FoldedText(step)) != KeptKind::None)
            return nullptr;
    std::string place = folderPath;
    while (place.size() > 3 && place.back() == '\\')
        place.pop_back();
    // A cache the walk reached in a protected place (a profile's folders redirected below
    // AppData, a document folder laid out as a cache) is the user's.
    if (!WhyProtected(places_, place, {"*"}, structure.ownFile == nullptr).empty())
        return nullptr;
    const std::string application = CacheApplicationName(steps);
    const size_t row = static_cast<size_t>(&structure - CacheStructures().data());
    const std::string reason = FormatText(formats_[row], {application});
    std::lock_guard guard(lock_);
    applications_.insert(application);
    if (std::any_of(kept_.begin(), kept_.end(),
                    [&](const std::string& kept) { return win::SameFolded(kept, application); }))
        return nullptr;
    return &*reasons_.insert(reason).first;
}

std::vector<std::string> CacheFinder::ApplicationsFound() const {
    std::lock_guard guard(lock_);
    return {applications_.begin(), applications_.end()};
}
