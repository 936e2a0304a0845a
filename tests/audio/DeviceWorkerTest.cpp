// The device worker's bounded waits: a call that blocks costs its caller the limit and no more,
// what was queued behind it is skipped or kept as asked, and the worker serves again once the
// blocked call returns.
#include "audio/playback/DeviceWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace lumivox;
using namespace std::chrono_literals;

namespace {

// A gate a task waits at until the test opens it, or at most ten seconds: a caller that
// wrongly waited for the task then sees it finished instead of hanging the test.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(Mutex);
        Opened.wait_for(lock, 10s, [this] { return Open; });
    }
    void Release() {
        {
            std::lock_guard lock(Mutex);
            Open = true;
        }
        Opened.notify_all();
    }

private:
    std::mutex Mutex;
    std::condition_variable Opened;
    bool Open = false;
};

template <typename Predicate> bool Eventually(Predicate done) {
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

} // namespace

TEST(DeviceWorker, ABlockedCallCostsItsCallerTheLimitAndTheWorkerRecoversAfterIt) {
    DeviceWorker& worker = DeviceWorker::Instance();
    EXPECT_TRUE(worker.Run([] {}, 1000ms));

    // A call that blocks: its caller gets false after the limit, not when the call returns
    // (what that costs it is measured in bench/bench_device).
    auto gate = std::make_shared<Gate>();
    std::atomic<bool> blockedDone{false};
    EXPECT_FALSE(worker.Run(
        [gate, &blockedDone] {
            gate->Wait();
            blockedDone = true;
        },
        100ms));
    EXPECT_FALSE(blockedDone) << "the caller waited for the blocked call to return";

    // While it blocks, a skippable call fails at once and never runs; a kept one is queued.
    std::atomic<int> skippedRan{0};
    std::atomic<int> keptRan{0};
    EXPECT_FALSE(worker.Run([&] { ++skippedRan; }, 1000ms));
    EXPECT_FALSE(worker.Run([&] { ++keptRan; }, 1000ms, DeviceWorker::TLate::Keep));
    worker.Post([&] { ++keptRan; });

    gate->Release();
    EXPECT_TRUE(Eventually([&] { return keptRan == 2; }));
    EXPECT_TRUE(blockedDone);
    EXPECT_EQ(skippedRan, 0);

    // Calls go through again.
    int ran = 0;
    EXPECT_TRUE(worker.Run([&] { ++ran; }, 1000ms));
    EXPECT_EQ(ran, 1);
}

TEST(DeviceWorker, ACallThatHasNotBegunByItsLimitIsSkippedUnlessKept) {
    DeviceWorker& worker = DeviceWorker::Instance();
    // A slow call ahead in the queue (not one whose caller gave up: it is posted).
    auto gate = std::make_shared<Gate>();
    worker.Post([gate] { gate->Wait(); });
    std::atomic<int> skippedRan{0};
    std::atomic<int> keptRan{0};
    EXPECT_FALSE(worker.Run([&] { ++skippedRan; }, 50ms));
    EXPECT_FALSE(worker.Run([&] { ++keptRan; }, 50ms, DeviceWorker::TLate::Keep));
    gate->Release();
    EXPECT_TRUE(Eventually([&] { return keptRan == 1; }));
    EXPECT_TRUE(worker.Run([] {}, 1000ms));
    EXPECT_EQ(skippedRan, 0);
}
