// Threads through std::thread; every wait of a thread is sliced, so that a stopped
// thread notices within one slice.
#include <signal.h>

#include <algorithm>
#include <system_error>
#include <thread>

#include "platform/clock.h"
#include "platform/common/thread_records.h"
#include "platform/linux/fault_stack.h"

namespace platform::backend {
namespace {

constexpr int kStopSliceMs = 2;

void runThread(ThreadRecord* record) {
    common::runThreadRecord(record, installFaultStack);
}

}  // namespace

bool launchThread(ThreadRecord* record) {
    try {
        std::thread(runThread, record).detach();
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

uintptr_t makeStopWake() {
    return 0;
}

void raiseStopWake(uintptr_t) {}

void pauseUnlessStopped(ThreadRecord*, int ms) {
    sleepMs(std::min(ms, kStopSliceMs));
}

}  // namespace platform::backend
