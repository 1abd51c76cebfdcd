// A clock that only counts: pauses return at once, are recorded among the injector's
// calls and move the time on.
#include <atomic>
#include <string>

#include "platform/clock.h"
#include "platform/fake/fake_host.h"

namespace platform {
namespace {

std::atomic<uint64_t> fakeNowMs{0};

}  // namespace

void sleepMs(int ms) {
    fake::recordCall("sleepMs " + std::to_string(ms));
    if (ms > 0)
        fakeNowMs += static_cast<uint64_t>(ms);
}

uint64_t monotonicMs() {
    return fakeNowMs.load();
}

}  // namespace platform
