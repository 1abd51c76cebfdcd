// The bounds of what the receive thread takes from the server.
#pragma once

#include <cstddef>
#include <cstdint>

#include "state/process_state.h"

namespace korvo {

// frameBuffer holds the length of a frame in its first 4 bytes and the frame after them.
inline constexpr size_t kFrameLengthBytes = 4;
inline constexpr size_t kFrameDataCapacity = kFrameBufferSize - kFrameLengthBytes;

// The largest file the whole-file route accepts: a frame as large as frameBuffer holds.
inline constexpr size_t kLargestFileFrame = kFrameDataCapacity;

// How long a reply that has begun may pause before the receiver gives up on the rest.
inline constexpr int kReplyStallLimitMs = 3000;

// A frame (a chunk stream or a whole file) must come at least as fast as a slow link
// brings it: a few seconds, and more for every kilobyte at this rate. A server that
// trickles its bytes more slowly fails the frame as one that never came.
inline constexpr int kFrameTimeFloorMs = 4000;
inline constexpr uint64_t kSlowestFrameBytesPerSecond = 32 * 1024;

// When a frame begun at startMs must be in, with `bytes` of it announced or received.
constexpr uint64_t frameDeadlineMs(uint64_t startMs, uint64_t bytes) {
    return startMs + kFrameTimeFloorMs + bytes * 1000 / kSlowestFrameBytesPerSecond;
}

// How long a read of a frame due by deadlineMs may wait at nowMs: the stall limit, or
// what is left before the deadline; 0 once that has passed.
constexpr int frameWaitMs(uint64_t deadlineMs, uint64_t nowMs) {
    if (nowMs >= deadlineMs)
        return 0;
    const uint64_t left = deadlineMs - nowMs;
    return left < static_cast<uint64_t>(kReplyStallLimitMs) ? static_cast<int>(left)
                                                            : kReplyStallLimitMs;
}

// Silent polls while the client thread waits before it is released anyway (at the
// 101st, some two seconds after the wait began).
inline constexpr int kIdlePollLimit = 100;
inline constexpr int kIdleReleaseMs = (kIdlePollLimit + 1) * baseTickMs;

}  // namespace korvo
