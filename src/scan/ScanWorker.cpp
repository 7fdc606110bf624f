#include "scan/ScanWorker.h"

#include "app/FormatText.h"
#include "app/LanguageTable.h"
#include "win/ComPtr.h"
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

// The state of one run, handed to the search callbacks as their context.
class ScanRun {
public:
    explicit ScanRun(ScanJob& job) : job_(job), foundFormat_(Translate("_StateFindItem")) {}

    static void OnItemFound(const std::string& path, const char* description, const WIN32_FIND_DATAA& record,
                            void* context) {
        auto* run = static_cast<ScanRun*>(context);
        // The listing's record gives the size and access time, so the report asks nothing per file.
        const uint64_t size = (static_cast<uint64_t>(record.nFileSizeHigh) << 32) | record.nFileSizeLow;
        run->job_.results.AddOrReplace(path, Translate(description ? description : ""), size,
                                       record.ftLastAccessTime);
        run->foundChanged_ = true;
        run->ShowIfDue();
    }

    static void OnFolderEntered(const std::string& path, const char*, const WIN32_FIND_DATAA&, void* context) {
        auto* run = static_cast<ScanRun*>(context);
        run->status_ = path;
        run->statusChanged_ = true;
        run->ShowIfDue();
    }

    void Search(const std::string& root, const TextMap& masks, const SearchOptions& options) {
        SearchFolder(root, masks, OnItemFound, this, job_.skipFolders, true, options, OnFolderEntered, this,
                     job_.worker.StopFlag());
        if (!Stopped()) ShowPending();
    }

    bool Stopped() const { return job_.worker.StopRequested(); }

    void ShowPending() {
        if (!job_.progress) return;
        if (statusChanged_) job_.progress->SetStatusText(status_);
        if (foundChanged_)
            job_.progress->SetFoundCountText(FormatText(foundFormat_, {static_cast<long long>(job_.results.Count())}));
        statusChanged_ = foundChanged_ = false;
        lastShown_ = ::GetTickCount();
    }

private:
    void ShowIfDue() {
        if (::GetTickCount() - lastShown_ >= kUpdateIntervalMs) ShowPending();
    }

    ScanJob& job_;
    const std::string foundFormat_;
    std::string status_;
    bool statusChanged_ = false;
    bool foundChanged_ = false;
    DWORD lastShown_ = 0;
};

std::string SystemTempFolder() {
    char buffer[MAX_PATH + 1] = {};
    DWORD n = ::GetTempPathA(MAX_PATH, buffer);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

}  // namespace

std::string ReadShellFolder(const std::string& valueName) {
    win::UniqueRegKey key;
    if (::RegOpenKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      key.put()) != ERROR_SUCCESS)
        return {};
    char buffer[255] = {};
    DWORD size = sizeof(buffer);
    if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return {};
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}

DWORD WINAPI ScanJob::RunScanThread(void* job) { return RunScan(*static_cast<ScanJob*>(job)); }

DWORD RunScan(ScanJob& job) {
    win::ComApartment com;  // shortcut resolution needs COM on this thread
    ScanRun run(job);

    // Every file of a system location is junk of its category, whatever its attributes.
    for (const SystemLocation& location : kSystemLocations) {
        if (run.Stopped()) return 0;
        if (!(job.*location.option)) continue;
        std::string folder = location.shellFolder ? ReadShellFolder(location.shellFolder) : SystemTempFolder();
        // An empty folder text would list the root of the current drive: pass the location over.
        if (folder.empty()) continue;
        run.Search(folder, TextMap{{"*", Translate(location.categoryKey)}}, SearchOptions{});
    }

    for (size_t i = 0; i < job.roots.size(); ++i) {
        if (run.Stopped()) return 0;
        const bool hasRow = job.progress && static_cast<int>(i) < job.progress->RootRowCount();
        if (hasRow) job.progress->SetRootStateText(static_cast<int>(i), Translate("_stateScanning"));
        run.Search(job.roots[i], job.masks, job.options);
        if (run.Stopped()) return 0;
        if (hasRow) job.progress->SetRootStateText(static_cast<int>(i), Translate("_StateComplete"));
    }

    // A stop that came first has taken over the ending: the page and results are left alone.
    if (!job.worker.FinishFromWorker()) return 0;
    if (job.progress) {
        job.progress->SetStatusText(Translate("_StateStringSearchCompleted"));
        job.progress->EnableStopButton(false);
    }
    if (job.completed) job.completed(job.owner);
    return 0;
}

bool StopScan(ScanJob& job) {
    if (!job.worker.Stop()) return false;
    if (ScanProgress* progress = job.progress) {
        progress->EnableStopButton(false);
        progress->SetStatusText(Translate("_StateStringSearchStopped"));
        const std::string scanning = Translate("_stateScanning");
        const std::string complete = Translate("_StateComplete");
        for (int row = 0; row < progress->RootRowCount(); ++row)
            if (progress->RootStateText(row) == scanning) progress->SetRootStateText(row, complete);
        // The worker shows the count at most every so often; the stopped page shows the exact one.
        if (job.results.Count() > 0)
            progress->SetFoundCountText(
                FormatText(Translate("_StateFindItem"), {static_cast<long long>(job.results.Count())}));
    }
    if (job.completed) job.completed(job.owner);
    return true;
}
