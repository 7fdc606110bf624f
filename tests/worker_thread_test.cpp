// A worker run ends exactly once: by itself or by a stop, never both.
#include <gtest/gtest.h>

#include <atomic>

#include "win/WorkerThread.h"

namespace {

struct WorkerRun {
    win::WorkerThread worker;
    std::atomic<int> finished{0};
    std::atomic<int> spins{0};
    std::atomic<bool> done{false};  // the body has returned from everything it does
    int length = 0;  // how long the body works before it ends by itself
};

DWORD WINAPI Body(void* argument) {
    auto* run = static_cast<WorkerRun*>(argument);
    for (int i = 0; i < run->length && !run->worker.StopRequested(); ++i) ++run->spins;
    if (run->worker.FinishFromWorker()) ++run->finished;
    run->done = true;
    return 0;
}

}  // namespace

TEST(WorkerThread, RunsOnceAndClearsItsHandleAtItsEnd) {
    WorkerRun run;
    run.length = 10;
    ASSERT_TRUE(run.worker.Start(Body, &run));
    while (!run.done) ::Sleep(1);
    EXPECT_FALSE(run.worker.IsRunning());
    EXPECT_EQ(run.finished.load(), 1);
    EXPECT_EQ(run.worker.Id(), 0u);
    EXPECT_FALSE(run.worker.Stop());  // nothing left to stop
}

TEST(WorkerThread, StopEndsALongRunAndTheWorkerSkipsItsEnding) {
    WorkerRun run;
    run.length = 2'000'000'000;
    ASSERT_TRUE(run.worker.Start(Body, &run));
    EXPECT_FALSE(run.worker.Start(Body, &run));  // one worker at a time
    while (run.spins.load() == 0) ::Sleep(1);
    EXPECT_TRUE(run.worker.Stop());
    EXPECT_FALSE(run.worker.IsRunning());
    EXPECT_EQ(run.finished.load(), 0);
}

TEST(WorkerThread, AStopRacingTheNaturalEndEndsTheRunExactlyOnce) {
    for (int i = 0; i < 200; ++i) {
        WorkerRun run;
        run.length = i * 50;
        ASSERT_TRUE(run.worker.Start(Body, &run));
        bool stopped = run.worker.Stop();
        while (!run.done) ::Sleep(0);
        EXPECT_EQ(run.finished.load() + (stopped ? 1 : 0), 1) << "iteration " << i;
    }
}

namespace {

struct BlockedSender {
    win::WorkerThread worker;
    HWND target = nullptr;
};

DWORD WINAPI SendThenWaitForStop(void* argument) {
    auto* run = static_cast<BlockedSender*>(argument);
    ::SendMessageA(run->target, WM_NULL, 0, 0);  // a synchronous control update
    while (!run->worker.StopRequested()) ::Sleep(1);
    return 0;
}

}  // namespace

// The worker's message has already been noticed by a queue check on this thread before the stop
// waits: the wait must still deliver it, or both threads wait for each other for ever.
TEST(WorkerThread, StopDeliversAControlUpdateThatWasAlreadyNoticed) {
    BlockedSender run;
    run.target = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(run.target);
    ASSERT_TRUE(run.worker.Start(SendThenWaitForStop, &run));
    while (!(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE)) ::Sleep(1);
    EXPECT_TRUE(run.worker.Stop());
    EXPECT_FALSE(run.worker.IsRunning());
    ::DestroyWindow(run.target);
}
