#include <time.h>

#include <cerrno>

#include "platform/clock.h"

namespace platform {

void sleepMs(int ms) {
    if (ms <= 0)
        return;
    timespec remaining{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
    }
}

uint64_t monotonicMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u +
           static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

}  // namespace platform
