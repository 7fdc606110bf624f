#pragma once
// The thread of one background worker (scan, cleaning or restore), its cooperative stop and its
// single ending.
//
// A run is a body, which does the work and tests the stop request between directory entries and
// before every file operation, and a completion, which shows the end. Exactly one side ends a run:
// the worker when its body returns (or throws), or the interface thread through Stop; whichever
// claims the end first calls the completion, so it runs exactly once. Stop and the destructor wait
// until the thread has ended, its completion included, so no worker outlives what it reports to.

#include <windows.h>

#include <atomic>
#include <functional>

namespace win {

// The worker's view of a stop request.
class StopToken {
  public:
    explicit StopToken(const std::atomic<bool>* flag) noexcept : flag_(flag) {}
    bool StopRequested() const noexcept { return flag_->load(); }
    // The same request as a flag, for loops that take a plain flag (SearchFolder).
    const std::atomic<bool>* Flag() const noexcept { return flag_; }

  private:
    const std::atomic<bool>* flag_;
};

// How a run ended, as its completion learns it.
enum class JobEnd {
    Finished,  // the body returned; the completion runs on the worker's thread
    Failed,    // the body threw; the completion runs on the worker's thread
    Stopped,   // Stop claimed the run; the completion runs on the thread that called Stop
};

class Job {
  public:
    using Body = std::function<void(StopToken)>;
    using Completion = std::function<void(JobEnd)>;

    Job() = default;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;
    // Owners stop their job in their own destructor, while the completion can still reach them;
    // this one only makes sure that no thread outlives the job: it stops and waits, without the
    // completion.
    ~Job() { Shutdown(); }

    // Starts body on a new thread unless a run is in progress. The thread of a run that has ended is
    // waited for first. Refused on the job's own thread (from a completion): it cannot wait for itself.
    bool Start(Body body, Completion completion);

    // True from Start until the end is claimed: the worker's completion already sees it false, so
    // the owner it tells can start the next run.
    bool IsRunning() const noexcept;
    // True from Start until the worker has made its last call: its completion has returned, or a
    // stop has claimed the run and its thread has ended.
    bool IsBusy() const noexcept { return state_.load() != kIdle; }
    // The worker's thread id while a run is in progress, else 0.
    DWORD Id() const noexcept { return IsRunning() ? id_ : 0; }

    // Worker side, also for code that holds the worker until a stop comes.
    bool StopRequested() const noexcept { return stopRequested_.load(); }

    // Interface side. Asks the worker to stop and waits until its thread has ended, while still
    // handling messages sent to this thread, because the worker updates controls synchronously.
    // True when this call claimed the run: the completion has then run here with JobEnd::Stopped.
    // False when no run was in progress or it had already claimed its own end; a worker making its
    // final calls has finished them when this returns.
    bool Stop() noexcept;

    // For an owner going away: stops a run without calling its completion, and waits as Stop does.
    void Shutdown() noexcept;

  private:
    enum State { kIdle, kRunning, kStopping, kFinishing };

    static DWORD WINAPI ThreadEntry(void* self);
    bool Claim(State by) noexcept;
    // Waits for the thread of the last run, if any, and lets its handle go.
    void Join() noexcept;

    Body body_;
    Completion completion_;
    HANDLE thread_ = nullptr;  // used by the interface thread only
    DWORD id_ = 0;
    std::atomic<int> state_{kIdle};
    std::atomic<bool> stopRequested_{false};
};

// Waits for a handle while dispatching the messages that other threads send to this one.
void WaitPumpingSentMessages(HANDLE handle) noexcept;

}  // namespace win
