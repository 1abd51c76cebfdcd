// Threads through CreateThread. There is no TerminateThread here: a thread killed from
// outside may hold the heap lock or a half-written record, so "terminating" raises the
// thread's stop signal and the thread leaves by itself. Each thread has an event that the
// stop sets, and every wait of the thread waits on it too: a stop ends the wait at once.
#include <windows.h>

#include "platform/clock.h"
#include "platform/common/thread_records.h"
#include "platform/win32/fine_timer.h"

namespace platform::backend {
namespace {

DWORD WINAPI runThread(LPVOID parameter) {
    common::runThreadRecord(static_cast<ThreadRecord*>(parameter));
    return 0;
}

}  // namespace

bool launchThread(ThreadRecord* record) {
    HANDLE thread = ::CreateThread(nullptr, 0, runThread, record, 0, nullptr);
    if (thread == nullptr)
        return false;
    ::CloseHandle(thread);  // never joined: the record tells whether it runs
    return true;
}

uintptr_t makeStopWake() {
    // Manual reset: once stopped, every later wait ends at once too.
    return reinterpret_cast<uintptr_t>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

void raiseStopWake(uintptr_t wake) {
    if (wake != 0)
        ::SetEvent(reinterpret_cast<HANDLE>(wake));
}

void pauseUnlessStopped(ThreadRecord* self, int ms) {
    if (self == nullptr || self->stopWake == 0) {
        sleepMs(ms);
        return;
    }
    win32::FineTimer fine;
    ::WaitForSingleObject(reinterpret_cast<HANDLE>(self->stopWake), static_cast<DWORD>(ms));
}

}  // namespace platform::backend
