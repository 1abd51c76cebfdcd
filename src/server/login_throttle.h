// Failed logins per IPv4 address. After five failures within a minute every login from
// the address is refused for 10 s without being checked; each failure after that doubles
// the time, up to 10 minutes. An address with no failure for an hour is forgotten. No
// call waits: a refused login is answered at once. Server thread only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

inline constexpr int kFailuresBeforeThrottle = 5;
inline constexpr uint64_t kFailureWindowMs = 60 * 1000;
inline constexpr uint64_t kFirstThrottleMs = 10 * 1000;
inline constexpr uint64_t kLongestThrottleMs = 10 * 60 * 1000;
inline constexpr uint64_t kQuietTimeToForgetMs = 60 * 60 * 1000;
// Beyond this many addresses the one that failed longest ago is forgotten first.
inline constexpr size_t kMostThrottledAddresses = 1024;

// True while logins from the address are refused unchecked.
bool loginsRefusedFrom(uint32_t address, uint64_t nowMs);

// A checked login from the address failed.
void noteFailedLogin(uint32_t address, uint64_t nowMs);

// A login from the address was accepted: its failures are forgotten.
void noteAcceptedLogin(uint32_t address);

void forgetFailedLogins();

}  // namespace korvo
