#include "win/Job.h"

namespace win {

bool Job::Start(Body body, Completion completion) {
    if (IsRunning())
        return false;
    if (thread_ && ::GetCurrentThreadId() == id_)
        return false;
    // The last run may still be in its completion: its thread ends before the next one starts.
    Join();
    int expected = kIdle;
    if (!state_.compare_exchange_strong(expected, kRunning))
        return false;
    body_ = std::move(body);
    completion_ = std::move(completion);
    stopRequested_.store(false);
    // Made suspended, so that its handle and id are in place before the thread can run: a
    // completion that starts or stops its own job reads them.
    HANDLE thread = ::CreateThread(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, &id_);
    if (!thread) {
        id_ = 0;
        state_.store(kIdle);
        return false;
    }
    thread_ = thread;
    ::ResumeThread(thread);
    return true;
}

bool Job::IsRunning() const noexcept {
    const int state = state_.load();
    return state == kRunning || state == kStopping;
}

DWORD WINAPI Job::ThreadEntry(void* self) {
    Job& job = *static_cast<Job*>(self);
    // An exception leaving a thread ends the whole process: a fault in the body ends the run through
    // its normal end instead, and one in the completion ends only the completion.
    JobEnd end = JobEnd::Finished;
    try {
        job.body_(StopToken(&job.stopRequested_));
    } catch (...) {
        end = JobEnd::Failed;
    }
    // A stop that came first has taken over the ending: the owner is left alone.
    if (job.Claim(kFinishing)) {
        try {
            if (job.completion_)
                job.completion_(end);
        } catch (...) {
        }
        job.state_.store(kIdle);
    }
    return 0;
}

bool Job::Claim(State by) noexcept {
    int expected = kRunning;
    return state_.compare_exchange_strong(expected, by);
}

bool Job::Stop() noexcept {
    const bool claimed = Claim(kStopping);
    if (claimed)
        stopRequested_.store(true);
    Join();
    if (!claimed)
        return false;
    state_.store(kIdle);
    try {
        if (completion_)
            completion_(JobEnd::Stopped);
    } catch (...) {
    }
    return true;
}

void Job::Shutdown() noexcept {
    const bool claimed = Claim(kStopping);
    if (claimed)
        stopRequested_.store(true);
    Join();
    if (claimed)
        state_.store(kIdle);
}

void Job::Join() noexcept {
    // A completion that stops its own job cannot wait for its own thread; it is ending anyway.
    if (!thread_ || ::GetCurrentThreadId() == id_)
        return;
    WaitPumpingSentMessages(thread_);
    ::CloseHandle(thread_);
    thread_ = nullptr;
    id_ = 0;
}

void WaitPumpingSentMessages(HANDLE handle) noexcept {
    if (!handle)
        return;
    for (;;) {
        // MWMO_INPUTAVAILABLE: a message that arrived before this wait (and was already seen by a
        // queue check) must wake it too, or a worker blocked in a control update would wait forever.
        DWORD r = ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r != WAIT_OBJECT_0 + 1)
            return;
        MSG msg;
        // Peeking delivers the pending sent messages; nothing is removed from the posted queue.
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace win
