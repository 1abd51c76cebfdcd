// The bounds of what the receive thread takes from the server.
#pragma once

#include <cstddef>

#include "state/process_state.h"

namespace korvo {

// frameBuffer holds the length of a frame in its first 4 bytes and the frame after them.
inline constexpr size_t kFrameLengthBytes = 4;
inline constexpr size_t kFrameDataCapacity = kFrameBufferSize - kFrameLengthBytes;

// The largest file the whole-file route accepts: a frame as large as frameBuffer holds.
inline constexpr size_t kLargestFileFrame = kFrameDataCapacity;

// How long a reply that has begun may pause before the receiver gives up on the rest.
inline constexpr int kReplyStallLimitMs = 3000;

// Silent polls while the client thread waits before it is released anyway (at the
// 101st, some two seconds after the wait began).
inline constexpr int kIdlePollLimit = 100;
inline constexpr int kIdleReleaseMs = (kIdlePollLimit + 1) * baseTickMs;

}  // namespace korvo
