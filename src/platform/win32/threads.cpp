// Threads through CreateThread. There is no TerminateThread here: a thread killed from
// outside may hold the heap lock or a half-written record, so "terminating" raises the
// thread's stop signal and the thread leaves by itself, as every wait of a role thread
// is bounded and watches that signal.
#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/clock.h"
#include "platform/threads.h"
#include "platform/win32/thread_self.h"

namespace platform {

struct ThreadRecord {
    ThreadEntry entry = nullptr;
    std::atomic<bool> running{false};
    std::atomic<bool> terminated{false};
    ThreadRecord* next = nullptr;  // every record stays reachable until the process ends
};

namespace {

std::atomic<ThreadRecord*> allThreads{nullptr};
thread_local ThreadRecord* self = nullptr;

// Stop waits are sliced so that a terminated thread notices within one slice.
constexpr int kStopSliceMs = 2;

ThreadRecord* newRecord(ThreadEntry entry) {
    auto* record = new ThreadRecord;
    record->entry = entry;
    record->next = allThreads.load();
    while (!allThreads.compare_exchange_weak(record->next, record)) {
    }
    return record;
}

DWORD WINAPI runThread(LPVOID parameter) {
    auto* record = static_cast<ThreadRecord*>(parameter);
    self = record;
    record->entry();
    record->running = false;
    return 0;
}

}  // namespace

ThreadHandle startThread(ThreadEntry entry) {
    if (entry == nullptr)
        return nullptr;
    ThreadRecord* record = newRecord(entry);
    record->running = true;
    HANDLE thread = ::CreateThread(nullptr, 0, runThread, record, 0, nullptr);
    if (thread == nullptr) {
        record->running = false;
        return nullptr;
    }
    ::CloseHandle(thread);  // never joined: the record tells whether it runs
    return record;
}

ThreadHandle currentThread() {
    if (self == nullptr) {
        self = newRecord(nullptr);
        self->running = true;
    }
    return self;
}

ThreadHandle knownCurrentThread() {
    return self;
}

bool threadRunning(ThreadHandle thread) {
    return thread != nullptr && thread->running && !thread->terminated;
}

void terminateThread(ThreadHandle thread) {
    if (thread != nullptr)
        thread->terminated = true;
}

bool stopRaised() {
    return self != nullptr && self->terminated;
}

bool sleepUnlessStopped(int ms) {
    if (self == nullptr) {
        sleepMs(ms);
        return true;
    }
    const uint64_t end = monotonicMs() + static_cast<uint64_t>(std::max(ms, 0));
    while (!self->terminated) {
        const uint64_t now = monotonicMs();
        if (now >= end)
            return true;
        sleepMs(static_cast<int>(std::min<uint64_t>(end - now, kStopSliceMs)));
    }
    return false;
}

}  // namespace platform
