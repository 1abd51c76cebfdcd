#include <semaphore.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>

#include "platform/common/thread_records.h"
#include "platform/sync.h"

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

// Waits are sliced so that a stopped thread stops waiting within one slice.
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

namespace backend {

bool takeUnitWithin(Semaphore semaphore, int ms, ThreadRecord*) {
    if (ms <= 0) {
        while (::sem_trywait(&semaphore->semaphore) != 0) {
            if (errno != EINTR)
                return false;
        }
        return true;
    }
    return waitSlice(semaphore, std::min(ms, kWaitSliceMs));
}

}  // namespace backend

}  // namespace platform
