// The thread records and stop signals of threads.h; the backend starts the threads and
// waits for the system.
#include <algorithm>
#include <atomic>
#include <climits>

#include "platform/clock.h"
#include "platform/common/thread_records.h"

namespace platform {
namespace {

std::atomic<ThreadRecord*> allThreads{nullptr};
thread_local ThreadRecord* self = nullptr;

ThreadRecord* newRecord(ThreadEntry entry) {
    auto* record = new ThreadRecord;
    record->entry = entry;
    record->stopWake = backend::makeStopWake();
    record->next = allThreads.load();
    while (!allThreads.compare_exchange_weak(record->next, record)) {
    }
    return record;
}

// Repeats a wait that may end early until the time is up or the thread is stopped.
template <typename WaitPart>
bool waitUnlessStopped(int64_t ms, WaitPart waitPart) {
    const uint64_t end = monotonicMs() + static_cast<uint64_t>(std::max<int64_t>(ms, 0));
    while (!stopRaised()) {
        const uint64_t now = monotonicMs();
        if (now >= end)
            return false;
        if (waitPart(static_cast<int>(std::min<uint64_t>(end - now, INT_MAX))))
            return true;
    }
    return false;
}

}  // namespace

namespace common {

void runThreadRecord(ThreadRecord* record, void (*prepare)()) {
    self = record;
    if (prepare != nullptr)
        prepare();
    record->entry();
    record->running = false;
}

ThreadHandle knownCurrentThread() {
    return self;
}

}  // namespace common

ThreadHandle startThread(ThreadEntry entry) {
    if (entry == nullptr)
        return nullptr;
    ThreadRecord* record = newRecord(entry);
    record->running = true;
    if (!backend::launchThread(record)) {
        record->running = false;
        return nullptr;
    }
    return record;
}

ThreadHandle currentThread() {
    if (self == nullptr) {
        self = newRecord(nullptr);
        self->running = true;
    }
    return self;
}

bool threadRunning(ThreadHandle thread) {
    return thread != nullptr && thread->running && !thread->terminated;
}

void terminateThread(ThreadHandle thread) {
    if (thread == nullptr)
        return;
    thread->terminated = true;
    backend::raiseStopWake(thread->stopWake);
}

bool stopRaised() {
    return self != nullptr && self->terminated;
}

bool sleepUnlessStopped(int ms) {
    if (self == nullptr) {
        sleepMs(ms);
        return true;
    }
    waitUnlessStopped(ms, [](int left) {
        backend::pauseUnlessStopped(self, left);
        return false;
    });
    return !self->terminated;
}

bool waitSemaphore(Semaphore semaphore) {
    if (semaphore == nullptr)
        return false;
    while (!stopRaised()) {
        if (backend::takeUnitWithin(semaphore, INT_MAX, self))
            return true;
    }
    return false;
}

bool tryWaitSemaphore(Semaphore semaphore) {
    return semaphore != nullptr && backend::takeUnitWithin(semaphore, 0, nullptr);
}

bool timedWaitSemaphore(Semaphore semaphore, int ms) {
    if (semaphore == nullptr)
        return false;
    if (tryWaitSemaphore(semaphore))
        return true;
    return waitUnlessStopped(
        ms, [semaphore](int left) { return backend::takeUnitWithin(semaphore, left, self); });
}

}  // namespace platform
