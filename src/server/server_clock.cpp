#include "server/server_clock.h"

#include <atomic>

#include "platform/clock.h"

namespace korvo {
namespace {

std::atomic<uint64_t> shiftMs{0};

}  // namespace

uint64_t serverNowMs() {
    return platform::monotonicMs() + shiftMs.load();
}

void shiftServerClock(uint64_t ms) {
    shiftMs += ms;
}

}  // namespace korvo
