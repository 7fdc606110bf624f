// A worker run ends exactly once: by itself, by a fault or by a stop, never twice; and no one who
// stops or drops a job returns while its worker still makes calls.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "win/Job.h"

namespace {

struct Ending {
    std::atomic<int> calls{0};
    std::atomic<int> lastEnd{-1};
    std::atomic<bool> runningSeen{true};  // IsRunning() as the completion saw it
    std::atomic<DWORD> thread{0};         // the thread the completion ran on
};

win::Job::Completion Record(win::Job& job, Ending& ending) {
    return [&job, &ending](win::JobEnd end) {
        ending.runningSeen = job.IsRunning();
        ending.thread = ::GetCurrentThreadId();
        ending.lastEnd = static_cast<int>(end);
        ++ending.calls;
    };
}

// Works for length steps or until a stop; throws at its end when asked to.
win::Job::Body Spin(int length, std::atomic<int>& spins, bool fail = false) {
    return [length, &spins, fail](win::StopToken stop) {
        for (int i = 0; i < length && !stop.StopRequested(); ++i)
            ++spins;
        if (fail)
            throw std::runtime_error("a fault in the body");
    };
}

}  // namespace

TEST(Job, AnEndOrAFaultCompletesOnceOnTheWorkerWithTheRunAlreadyOver) {
    for (bool fail : {false, true}) {
        win::Job job;
        Ending ending;
        std::atomic<int> spins{0};
        ASSERT_TRUE(job.Start(Spin(10, spins, fail), Record(job, ending)));
        while (job.IsBusy())
            ::Sleep(1);
        EXPECT_EQ(ending.calls.load(), 1);
        EXPECT_EQ(ending.lastEnd.load(),
                  static_cast<int>(fail ? win::JobEnd::Failed : win::JobEnd::Finished));
        EXPECT_FALSE(ending.runningSeen.load());  // the owner it tells may start the next run
        EXPECT_NE(ending.thread.load(), ::GetCurrentThreadId());
        EXPECT_FALSE(job.IsRunning());
        EXPECT_EQ(job.Id(), 0u);
        EXPECT_FALSE(job.Stop());  // nothing left to stop
        EXPECT_EQ(ending.calls.load(), 1);
        ASSERT_TRUE(job.Start(Spin(10, spins), Record(job, ending)));  // the job takes a next run
        job.Stop();
    }
}

TEST(Job, StopEndsALongRunAndCompletesItOnTheStoppingThread) {
    win::Job job;
    Ending ending;
    std::atomic<int> spins{0};
    ASSERT_TRUE(job.Start(Spin(2'000'000'000, spins), Record(job, ending)));
    EXPECT_FALSE(job.Start(Spin(1, spins), Record(job, ending)));  // one run at a time
    while (spins.load() == 0)
        ::Sleep(1);
    EXPECT_TRUE(job.Stop());
    EXPECT_FALSE(job.IsRunning());
    EXPECT_FALSE(job.IsBusy());
    EXPECT_EQ(ending.calls.load(), 1);
    EXPECT_EQ(ending.lastEnd.load(), static_cast<int>(win::JobEnd::Stopped));
    EXPECT_EQ(ending.thread.load(), ::GetCurrentThreadId());
    EXPECT_FALSE(ending.runningSeen.load());
}

TEST(Job, AStopRacingTheNaturalEndEndsTheRunExactlyOnce) {
    for (int i = 0; i < 200; ++i) {
        win::Job job;
        Ending ending;
        std::atomic<int> spins{0};
        ASSERT_TRUE(job.Start(Spin(i * 50, spins), Record(job, ending)));
        const bool stopped = job.Stop();
        EXPECT_EQ(ending.calls.load(), 1) << "iteration " << i;
        EXPECT_EQ(ending.lastEnd.load() == static_cast<int>(win::JobEnd::Stopped), stopped)
            << "iteration " << i;
    }
}

TEST(Job, ADroppedJobStopsItsRunWithoutCompletingIt) {
    Ending ending;
    std::atomic<int> spins{0};
    {
        win::Job job;
        ASSERT_TRUE(job.Start(Spin(2'000'000'000, spins), Record(job, ending)));
        while (spins.load() == 0)
            ::Sleep(1);
    }
    const int after = spins.load();
    EXPECT_LT(after, 2'000'000'000);
    EXPECT_EQ(ending.calls.load(), 0);
}

namespace {

struct Target {
    HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ~Target() { ::DestroyWindow(window); }
};

// Waits until a message sent by another thread has reached this thread's queue.
void AwaitSentMessage() {
    while (!(HIWORD(::GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE))
        ::Sleep(1);
}

}  // namespace

// The worker's message has already been noticed by a queue check on this thread before the stop
// waits: the wait must still deliver it, or both threads wait for each other for ever.
TEST(Job, StopDeliversAControlUpdateThatWasAlreadyNoticed) {
    Target target;
    ASSERT_TRUE(target.window);
    win::Job job;
    Ending ending;
    ASSERT_TRUE(job.Start(
        [&](win::StopToken stop) {
            ::SendMessageA(target.window, WM_NULL, 0, 0);  // a synchronous control update
            while (!stop.StopRequested())
                ::Sleep(1);
        },
        Record(job, ending)));
    AwaitSentMessage();
    EXPECT_TRUE(job.Stop());
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(ending.calls.load(), 1);
}

// The worker has ended its run and is making its last calls into its owner (a control update that
// waits for this thread) when the owner is stopped or goes away, as when the program ends at that
// moment: neither may return before those calls are made, or the owner goes from under them.
TEST(Job, StopAndDropWaitUntilAnEndingWorkerHasMadeItsLastCall) {
    for (bool drop : {false, true}) {
        Target target;
        ASSERT_TRUE(target.window);
        auto job = std::make_unique<win::Job>();
        std::atomic<bool> lastCallMade{false};
        ASSERT_TRUE(job->Start([](win::StopToken) {},
                               [&](win::JobEnd) {
                                   ::SendMessageA(target.window, WM_NULL, 0, 0);
                                   lastCallMade = true;
                               }));
        AwaitSentMessage();
        EXPECT_FALSE(job->IsRunning());  // the run is over; its ending is not
        EXPECT_TRUE(job->IsBusy());
        if (drop)
            job.reset();
        else
            EXPECT_FALSE(job->Stop());  // the worker claimed its own end
        EXPECT_TRUE(lastCallMade.load()) << (drop ? "dropped" : "stopped");
    }
}
