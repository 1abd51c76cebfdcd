// Threads of the process. A thread runs a plain procedure; it is never joined.
//
// There is no forced kill: "terminating" a thread raises its stop signal and lets it
// leave on its own. Every wait of a role thread is bounded and also wakes on that
// signal (see sleepUnlessStopped and the semaphore waits in sync.h); whoever
// terminates a thread also shuts down its sockets. A terminated thread must not touch
// shared state again, and it counts as ended from the moment it was terminated.
#pragma once

namespace platform {

struct ThreadRecord;
// Lives until the process ends; nullptr names no thread.
using ThreadHandle = ThreadRecord*;

using ThreadEntry = void (*)();

// Starts a thread running `entry`. nullptr when the system refuses.
ThreadHandle startThread(ThreadEntry entry);

// A handle for the calling thread, for threads this module did not start (the main
// thread). The same handle on every call from one thread.
ThreadHandle currentThread();

// True while the thread runs its entry and has not been terminated. False for nullptr.
bool threadRunning(ThreadHandle thread);

// Raises the thread's stop signal and returns at once; from then on threadRunning
// answers false. No effect on nullptr.
void terminateThread(ThreadHandle thread);

// True once the calling thread has been terminated: it should leave at once.
bool stopRaised();

// Sleeps up to ms milliseconds, returning early when the calling thread is terminated.
// False when it was.
bool sleepUnlessStopped(int ms);

}  // namespace platform
