// What threads.h and sync.h keep and decide without the system, once for every backend:
// the thread records with their stop signal, and the waits that end when the waiting
// thread is stopped. Each backend supplies the system's part, declared at the end.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/sync.h"
#include "platform/threads.h"

namespace platform {

struct ThreadRecord {
    ThreadEntry entry = nullptr;
    std::atomic<bool> running{false};
    std::atomic<bool> terminated{false};
    uintptr_t stopWake = 0;        // the backend's object that ends the thread's waits
    ThreadRecord* next = nullptr;  // every record stays reachable until the process ends
};

namespace common {

// Runs the record's entry on the thread the backend started for it; `prepare`, when
// given, runs first, once the thread already answers to its record.
void runThreadRecord(ThreadRecord* record, void (*prepare)() = nullptr);

// The calling thread's record without making one: safe where nothing may allocate.
ThreadHandle knownCurrentThread();

}  // namespace common

// --- the system's part, one definition in each backend --------------------------------
namespace backend {

// Starts a system thread that calls common::runThreadRecord(record); false when refused.
bool launchThread(ThreadRecord* record);

// An object that ends the thread's waits at once when raised; 0 where waits are sliced.
uintptr_t makeStopWake();
void raiseStopWake(uintptr_t wake);

// Waits up to ms (more than 0) or until `self` is stopped; a sliced wait returns sooner.
// `self` is nullptr for a thread without a record.
void pauseUnlessStopped(ThreadRecord* self, int ms);

// Takes one unit if one comes within ms (0: only if one is there), or the wait ends when
// `self` is stopped; a sliced wait returns false sooner. True when one was taken.
bool takeUnitWithin(Semaphore semaphore, int ms, ThreadRecord* self);

}  // namespace backend
}  // namespace platform
