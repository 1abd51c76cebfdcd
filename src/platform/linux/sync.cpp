#include <semaphore.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/threads.h"

// ThreadSanitizer does not see sem_clockwait, so it would miss that a unit taken there
// orders what the poster wrote before it: the order is told to it directly.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#define KORVO_TSAN_ACQUIRE(address) __tsan_acquire(address)
#define KORVO_TSAN_RELEASE(address) __tsan_release(address)
#else
#define KORVO_TSAN_ACQUIRE(address) static_cast<void>(address)
#define KORVO_TSAN_RELEASE(address) static_cast<void>(address)
#endif

namespace platform {

struct SemaphoreRecord {
    sem_t semaphore;
    SemaphoreRecord* next = nullptr;  // every record stays reachable until the process ends
};

namespace {

std::atomic<SemaphoreRecord*> allSemaphores{nullptr};

// Waits are sliced so that a terminated thread stops waiting within one slice.
constexpr int kWaitSliceMs = 5;

bool waitSlice(Semaphore semaphore, int ms) {
    timespec deadline{};
    ::clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_nsec += static_cast<long>(ms) * 1000000L;
    deadline.tv_sec += deadline.tv_nsec / 1000000000L;
    deadline.tv_nsec %= 1000000000L;
    while (::sem_clockwait(&semaphore->semaphore, CLOCK_MONOTONIC, &deadline) != 0) {
        if (errno != EINTR)
            return false;
    }
    KORVO_TSAN_ACQUIRE(semaphore);
    return true;
}

}  // namespace

Semaphore createSemaphore(unsigned initialCount) {
    if (initialCount > static_cast<unsigned>(INT_MAX))
        return nullptr;
    auto* record = new SemaphoreRecord;
    if (::sem_init(&record->semaphore, 0, initialCount) != 0) {
        delete record;
        return nullptr;
    }
    record->next = allSemaphores.load();
    while (!allSemaphores.compare_exchange_weak(record->next, record)) {
    }
    return record;
}

bool postSemaphore(Semaphore semaphore) {
    if (semaphore == nullptr)
        return false;
    KORVO_TSAN_RELEASE(semaphore);
    return ::sem_post(&semaphore->semaphore) == 0;
}

bool tryWaitSemaphore(Semaphore semaphore) {
    if (semaphore == nullptr)
        return false;
    while (::sem_trywait(&semaphore->semaphore) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

bool waitSemaphore(Semaphore semaphore) {
    if (semaphore == nullptr)
        return false;
    while (!stopRaised()) {
        if (waitSlice(semaphore, kWaitSliceMs))
            return true;
    }
    return false;
}

bool timedWaitSemaphore(Semaphore semaphore, int ms) {
    if (semaphore == nullptr)
        return false;
    if (tryWaitSemaphore(semaphore))
        return true;
    const uint64_t end = monotonicMs() + static_cast<uint64_t>(std::max(ms, 0));
    while (!stopRaised()) {
        const uint64_t now = monotonicMs();
        if (now >= end)
            return false;
        const int slice = static_cast<int>(std::min<uint64_t>(end - now, kWaitSliceMs));
        if (waitSlice(semaphore, slice))
            return true;
    }
    return false;
}

}  // namespace platform
