// The time the server's guards go by: when a connection was accepted, when an address
// failed its logins.
#pragma once

#include <cstdint>

namespace korvo {

// Milliseconds on the monotonic clock, moved on by every shiftServerClock so far.
uint64_t serverNowMs();

// Lets `ms` pass at once for the server's guards, so that tests need not wait minutes for
// a login deadline or a throttle to run out. Pauses and sends are not affected.
void shiftServerClock(uint64_t ms);

}  // namespace korvo
