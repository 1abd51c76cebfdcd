// The counting semaphore the client's two threads share. Created once, never freed.
#pragma once

namespace platform {

struct SemaphoreRecord;
using Semaphore = SemaphoreRecord*;

// A semaphore with the given count (up to 2147483647). nullptr when the system refuses.
Semaphore createSemaphore(unsigned initialCount);

// Adds one unit. False when the count is at its maximum or the semaphore is nullptr.
bool postSemaphore(Semaphore semaphore);

// Takes one unit, waiting as long as needed. Returns false without taking one when the
// calling thread is terminated (threads.h) while it waits, or for nullptr.
bool waitSemaphore(Semaphore semaphore);

// Takes one unit if one is there; never waits.
bool tryWaitSemaphore(Semaphore semaphore);

// Takes one unit, waiting at most ms milliseconds (and no longer than until the calling
// thread is terminated). False when none was taken.
bool timedWaitSemaphore(Semaphore semaphore, int ms);

}  // namespace platform
