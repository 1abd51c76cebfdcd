// The counting semaphore through CreateSemaphoreW. A wait waits on the semaphore and on
// the waiting thread's stop event together, so that a stop ends it at once.
#include <windows.h>

#include <climits>

#include "platform/common/thread_records.h"
#include "platform/sync.h"
#include "platform/win32/fine_timer.h"

namespace platform {

struct SemaphoreRecord {
    HANDLE semaphore = nullptr;
};

Semaphore createSemaphore(unsigned initialCount) {
    if (initialCount > static_cast<unsigned>(INT_MAX))
        return nullptr;
    HANDLE handle = ::CreateSemaphoreW(nullptr, static_cast<LONG>(initialCount), LONG_MAX, nullptr);
    if (handle == nullptr)
        return nullptr;
    return new SemaphoreRecord{handle};  // lives until the process ends
}

bool postSemaphore(Semaphore semaphore) {
    return semaphore != nullptr && ::ReleaseSemaphore(semaphore->semaphore, 1, nullptr) != 0;
}

namespace backend {

bool takeUnitWithin(Semaphore semaphore, int ms, ThreadRecord* self) {
    HANDLE waited[2] = {semaphore->semaphore, nullptr};
    DWORD count = 1;
    if (ms > 0 && self != nullptr && self->stopWake != 0)
        waited[count++] = reinterpret_cast<HANDLE>(self->stopWake);
    const DWORD timeout = ms > 0 ? static_cast<DWORD>(ms) : 0;
    win32::FineTimer fine;
    // The semaphore comes first: when both are signalled, the unit is taken.
    return ::WaitForMultipleObjects(count, waited, FALSE, timeout) == WAIT_OBJECT_0;
}

}  // namespace backend
}  // namespace platform
