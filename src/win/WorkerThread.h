#pragma once
// The thread of one background worker (scan, cleaning or restore) and its cooperative stop.
//
// The handle being set is the sign that the worker runs. Exactly one side ends a run: either the
// worker at its natural end (FinishFromWorker) or the interface thread through Stop; whichever
// claims the end first runs the ending sequence, so a completion notification runs exactly once.

#include <windows.h>

#include <atomic>

namespace win {

class WorkerThread {
public:
    using Body = DWORD(WINAPI*)(void*);

    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // A worker still running when its host goes away is stopped, never left behind.
    ~WorkerThread() { Stop(); }

    // Starts body(argument) on a new thread unless a worker is already present.
    bool Start(Body body, void* argument);

    bool IsRunning() const noexcept { return handle_.load() != nullptr; }
    DWORD Id() const noexcept { return id_.load(); }

    // Worker side: tested between directory entries and before every file operation.
    bool StopRequested() const noexcept { return stopRequested_.load(); }
    // The same request as a flag, for loops that take a plain flag (SearchFolder).
    const std::atomic<bool>* StopFlag() const noexcept { return &stopRequested_; }

    // Worker side, at its natural end. True when the worker owns the ending: the handle and id are
    // already cleared, and the worker goes on with its final updates and its completion call.
    // False when a stop has claimed the run: the worker must leave the page and results alone.
    bool FinishFromWorker() noexcept;

    // Interface side. Asks the worker to stop and waits until its thread has ended while still
    // handling messages sent to this thread, because the worker updates controls synchronously.
    // True when this call ended the worker: the caller then runs its stop sequence. False when no
    // worker was present or it ended by itself meanwhile.
    bool Stop() noexcept;

private:
    enum State { kIdle, kRunning, kStopping, kFinishing };

    void ClearHandle() noexcept;

    std::atomic<HANDLE> handle_{nullptr};
    std::atomic<DWORD> id_{0};
    std::atomic<int> state_{kIdle};
    std::atomic<bool> stopRequested_{false};
};

// Waits for a handle while dispatching the messages that other threads send to this one.
void WaitPumpingSentMessages(HANDLE handle) noexcept;

}  // namespace win
