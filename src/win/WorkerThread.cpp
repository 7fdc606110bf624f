#include "win/WorkerThread.h"

namespace win {

bool WorkerThread::Start(Body body, void* argument) {
    int expected = kIdle;
    if (handle_.load() != nullptr || !state_.compare_exchange_strong(expected, kRunning)) return false;
    stopRequested_.store(false);
    DWORD id = 0;
    // Created suspended so the handle is stored before the worker can reach its end and clear it.
    HANDLE h = ::CreateThread(nullptr, 0, body, argument, CREATE_SUSPENDED, &id);
    if (!h) {
        state_.store(kIdle);
        return false;
    }
    id_.store(id);
    handle_.store(h);
    ::ResumeThread(h);
    return true;
}

void WorkerThread::ClearHandle() noexcept {
    id_.store(0);
    if (HANDLE h = handle_.exchange(nullptr)) ::CloseHandle(h);
}

bool WorkerThread::FinishFromWorker() noexcept {
    int expected = kRunning;
    if (!state_.compare_exchange_strong(expected, kFinishing)) return false;
    ClearHandle();
    state_.store(kIdle);
    return true;
}

bool WorkerThread::Stop() noexcept {
    int expected = kRunning;
    if (!state_.compare_exchange_strong(expected, kStopping)) return false;
    stopRequested_.store(true);
    WaitPumpingSentMessages(handle_.load());
    ClearHandle();
    state_.store(kIdle);
    return true;
}

void WaitPumpingSentMessages(HANDLE handle) noexcept {
    if (!handle) return;
    for (;;) {
        // MWMO_INPUTAVAILABLE: a message that arrived before this wait (and was already seen by a
        // queue check) must wake it too, or a worker blocked in a control update would wait forever.
        DWORD r = ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        // Peeking delivers the pending sent messages; nothing is removed from the posted queue.
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace win
