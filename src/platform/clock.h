// Pauses and time. Every pause of the program goes through sleepMs.
#pragma once

#include <cstdint>

namespace platform {

// Sleeps at least ms milliseconds (1 ms resolution); returns at once for ms <= 0.
void sleepMs(int ms);

// Milliseconds on a clock that never jumps, for measuring waits.
uint64_t monotonicMs();

}  // namespace platform
