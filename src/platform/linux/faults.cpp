#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <system_error>
#include <thread>

#include "platform/linux/fault_stack.h"
#include "platform/linux/process_end.h"
#include "platform/process.h"
#include "platform/threads.h"

namespace platform {

namespace {

// If the handler has not ended the process after this long (a box nobody closes, a
// handler that hangs), the process ends anyway.
constexpr unsigned kFaultGraceSeconds = 60;
constexpr size_t kFaultStackSize = 64 * 1024;

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};

void (*faultHandler)() = nullptr;
int wakeWatcher[2] = {-1, -1};
std::atomic<bool> faultNoted{false};
std::atomic<ThreadRecord*> faultedThread{nullptr};
thread_local ThreadRecord* faultStackOwner = nullptr;
thread_local bool hasFaultStack = false;

[[noreturn]] void park() {
    for (;;)
        ::pause();
}

void onGraceExpired(int) {
    removePrivateDirectory();
    ::_exit(0);
}

// Runs on the faulting thread: only async-signal-safe work.
void onFault(int) {
    if (!faultNoted.exchange(true)) {
        faultedThread = faultStackOwner;
        ::alarm(kFaultGraceSeconds);
        const char byte = 1;
        [[maybe_unused]] ssize_t written = ::write(wakeWatcher[1], &byte, 1);
    }
    park();  // returning would run the faulting instruction again
}

void watchForFaults() {
    char byte = 0;
    while (::read(wakeWatcher[0], &byte, 1) != 1) {
    }
    faultHandler();
    onGraceExpired(0);
}

}  // namespace

void installFaultStack() {
    if (hasFaultStack)
        return;
    faultStackOwner = currentThread();
    // A stack installed by someone else (a sanitizer runtime) stays: its owner frees it.
    stack_t existing{};
    if (::sigaltstack(nullptr, &existing) == 0 && (existing.ss_flags & SS_DISABLE) == 0) {
        hasFaultStack = true;
        return;
    }
    stack_t stack{};
    stack.ss_sp = std::malloc(kFaultStackSize);  // lives as long as its thread may fault
    stack.ss_size = kFaultStackSize;
    if (stack.ss_sp != nullptr && ::sigaltstack(&stack, nullptr) == 0)
        hasFaultStack = true;
}

bool installFaultHandler(void (*handler)()) {
    if (handler == nullptr || faultHandler != nullptr)
        return false;
    if (::pipe(wakeWatcher) != 0)
        return false;
    faultHandler = handler;
    try {
        std::thread(watchForFaults).detach();
    } catch (const std::system_error&) {
        return false;
    }
    installFaultStack();

    struct sigaction grace {};
    grace.sa_handler = onGraceExpired;
    sigemptyset(&grace.sa_mask);
    ::sigaction(SIGALRM, &grace, nullptr);

    struct sigaction action {};
    action.sa_handler = onFault;
    action.sa_flags = SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signal : kFaultSignals)
        sigaddset(&action.sa_mask, signal);
    bool installed = true;
    for (int signal : kFaultSignals)
        installed = ::sigaction(signal, &action, nullptr) == 0 && installed;
    return installed;
}

bool faultHappenedOn(ThreadHandle thread) {
    return faultNoted && thread != nullptr && faultedThread.load() == thread;
}

}  // namespace platform
