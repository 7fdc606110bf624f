#pragma once
// The scan worker: the system locations first, then every chosen root, filling the job's results
// and reporting its progress to the scanning page.

#include <windows.h>

#include <string>
#include <vector>

#include "scan/ScanResults.h"
#include "scan/SearchFolder.h"
#include "win/WorkerThread.h"

// What the worker shows while it runs; the scanning page implements it with its controls.
class ScanProgress {
  public:
    virtual ~ScanProgress() = default;
    virtual void SetStatusText(const std::string& text) = 0;      // status line
    virtual void SetFoundCountText(const std::string& text) = 0;  // found count
    virtual int RootRowCount() = 0;                               // rows of the root list
    virtual std::string RootStateText(int row) = 0;
    virtual void SetRootStateText(int row, const std::string& text) = 0;
    virtual void EnableStopButton(bool enable) = 0;
};

// The inputs, results and worker of one scan, as the wizard frame fills them before the start.
struct ScanJob {
    SearchOptions options;  // applied to the roots only
    bool findTemp = false;
    bool findIETemp = false;
    bool findRecent = false;
    bool findIEHistory = false;
    bool findIECookies = false;
    std::vector<std::string> roots;
    TextMap masks;  // mask -> description
    std::vector<std::string> skipFolders;
    ScanResults results;
    ScanProgress* progress = nullptr;
    void* owner = nullptr;
    void (*completed)(void* owner) = nullptr;  // ScanCompleted: runs on the worker's thread
    win::WorkerThread worker;

    // Starts RunScan on a new thread, unless a scan already runs.
    bool Start() { return worker.Start(RunScanThread, this); }
    static DWORD WINAPI RunScanThread(void* job);
};

// The worker's body; always returns 0. System locations whose folder is a root or holds a system
// or profile folder are not searched, and the final status names them. An exception inside the
// search ends the run as its natural end does, with the files found so far.
DWORD RunScan(ScanJob& job);

// Ends a running scan between two directory entries and shows the stopped state: Stop disabled,
// the stopped status, rows still searching marked complete, the exact found count, then the
// completion notification. False when no scan was running (or it had just finished by itself).
bool StopScan(ScanJob& job);

// A value of HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders, or "" (also
// for a value that does not fit 255 bytes).
std::string ReadShellFolder(const std::string& valueName);
