// Threads that leave on a stop signal, and the semaphore's waits.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/threads.h"

namespace {

std::atomic<int> loops{0};
std::atomic<bool> leftOnStop{false};

// A role-like thread: bounded waits, leaves when it is terminated.
void loopUntilStopped() {
    while (platform::sleepUnlessStopped(1000))
        ++loops;
    leftOnStop = true;
}

void returnAtOnce() {}

bool waitUntil(const std::atomic<bool>& flag, int limitMs) {
    for (int i = 0; i < limitMs && !flag; ++i)
        platform::sleepMs(1);
    return flag;
}

TEST(ThreadsTest, TerminateRaisesTheStopSignalAndTheThreadLeavesOnItsOwn) {
    platform::ThreadHandle thread = platform::startThread(loopUntilStopped);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(platform::threadRunning(thread));
    const uint64_t start = platform::monotonicMs();
    platform::terminateThread(thread);
    EXPECT_FALSE(platform::threadRunning(thread));  // counts as ended at once
    EXPECT_TRUE(waitUntil(leftOnStop, 2000));
    EXPECT_LT(platform::monotonicMs() - start, 500u);  // woke long before its 1 s sleep ended
    EXPECT_EQ(loops, 0);
}

TEST(ThreadsTest, AThreadThatReturnsIsNoLongerRunning) {
    platform::ThreadHandle thread = platform::startThread(returnAtOnce);
    ASSERT_NE(thread, nullptr);
    for (int i = 0; i < 2000 && platform::threadRunning(thread); ++i)
        platform::sleepMs(1);
    EXPECT_FALSE(platform::threadRunning(thread));
}

TEST(ThreadsTest, NoThreadIsNeverRunningAndCanBeTerminatedHarmlessly) {
    EXPECT_FALSE(platform::threadRunning(nullptr));
    platform::terminateThread(nullptr);
    EXPECT_EQ(platform::startThread(nullptr), nullptr);
}

TEST(ThreadsTest, TheCallingThreadHasOneStableHandle) {
    platform::ThreadHandle self = platform::currentThread();
    EXPECT_EQ(self, platform::currentThread());
    EXPECT_TRUE(platform::threadRunning(self));
    EXPECT_FALSE(platform::stopRaised());
}

std::atomic<platform::Semaphore> shared{nullptr};
std::atomic<int> waitResult{-1};
std::atomic<bool> waiterDone{false};

void waitForever() {
    waitResult = platform::waitSemaphore(shared) ? 1 : 0;
    waiterDone = true;
}

TEST(SemaphoreTest, CountsPostsAndTakesThemOneByOne) {
    platform::Semaphore semaphore = platform::createSemaphore(0);
    ASSERT_NE(semaphore, nullptr);
    EXPECT_FALSE(platform::tryWaitSemaphore(semaphore));
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(platform::postSemaphore(semaphore));
    int taken = 0;
    for (int i = 0; i < 11; ++i)
        taken += platform::tryWaitSemaphore(semaphore) ? 1 : 0;
    EXPECT_EQ(taken, 6);
    EXPECT_TRUE(platform::postSemaphore(semaphore));
    EXPECT_TRUE(platform::waitSemaphore(semaphore));
}

TEST(SemaphoreTest, TimedWaitGivesUpAfterItsTimeAndTakesAPostedUnit) {
    platform::Semaphore semaphore = platform::createSemaphore(0);
    const uint64_t start = platform::monotonicMs();
    EXPECT_FALSE(platform::timedWaitSemaphore(semaphore, 60));
    const uint64_t waited = platform::monotonicMs() - start;
    EXPECT_GE(waited, 60u);
    EXPECT_LT(waited, 1000u);
    platform::postSemaphore(semaphore);
    EXPECT_TRUE(platform::timedWaitSemaphore(semaphore, 0));
}

TEST(SemaphoreTest, TheCountStopsAtItsMaximum) {
    platform::Semaphore semaphore = platform::createSemaphore(2147483647u);
    ASSERT_NE(semaphore, nullptr);
    EXPECT_FALSE(platform::postSemaphore(semaphore));
    EXPECT_EQ(platform::createSemaphore(2147483648u), nullptr);
}

TEST(SemaphoreTest, AWaitEndsWhenItsThreadIsTerminated) {
    shared = platform::createSemaphore(0);
    platform::ThreadHandle waiter = platform::startThread(waitForever);
    ASSERT_NE(waiter, nullptr);
    platform::sleepMs(20);
    EXPECT_FALSE(waiterDone);
    platform::terminateThread(waiter);
    EXPECT_TRUE(waitUntil(waiterDone, 2000));
    EXPECT_EQ(waitResult, 0);
    EXPECT_FALSE(platform::tryWaitSemaphore(shared));  // nothing was taken or left behind
}

}  // namespace
