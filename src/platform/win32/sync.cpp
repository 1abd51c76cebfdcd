// The counting semaphore through CreateSemaphoreA. Waits are sliced so that a terminated
// thread stops waiting within one slice.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "platform/clock.h"
#include "platform/sync.h"
#include "platform/threads.h"

namespace platform {

struct SemaphoreRecord {
    HANDLE semaphore = nullptr;
};

namespace {

constexpr int kWaitSliceMs = 5;

bool waitSlice(Semaphore semaphore, int ms) {
    return ::WaitForSingleObject(semaphore->semaphore, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
}

}  // namespace

Semaphore createSemaphore(unsigned initialCount) {
    if (initialCount > static_cast<unsigned>(INT_MAX))
        return nullptr;
    HANDLE handle = ::CreateSemaphoreA(nullptr, static_cast<LONG>(initialCount), LONG_MAX, nullptr);
    if (handle == nullptr)
        return nullptr;
    return new SemaphoreRecord{handle};  // lives until the process ends
}

bool postSemaphore(Semaphore semaphore) {
    return semaphore != nullptr && ::ReleaseSemaphore(semaphore->semaphore, 1, nullptr) != 0;
}

bool tryWaitSemaphore(Semaphore semaphore) {
    return semaphore != nullptr && waitSlice(semaphore, 0);
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
