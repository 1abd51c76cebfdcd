// The frame step of the request cycle: the frame request, the keep-alive check, taking
// the frame in by whichever route brought it, checking it and presenting it.
#pragma once

#include "viewer/client_run_state.h"
#include "viewer/receive_limits.h"

namespace korvo {

// How long the client waits for the answer to its "crc32": as long as any other wait.
inline constexpr int kChecksumWaitMs = kIdleReleaseMs;

// How many bytes at the start of frameBuffer a frame step clears when it is done.
inline constexpr size_t kFrameBufferClearedBytes = 20;

// False when the calling thread was terminated meanwhile.
bool runFrameStep(ClientRun& run);

}  // namespace korvo
