// The counters by which a run decides to change its frame request or to give up.
#pragma once

#include "viewer/client_run_state.h"

namespace korvo {

// The limits: a held copy acts at its 11th cycle, missed keep-alives end the run at the
// 101st, failed frames fall back at the 2nd and end the run at the 4th after that.
inline constexpr int kHeldCopyCycles = 10;
inline constexpr int kMissedKeepAliveLimit = 100;
inline constexpr int kFailedFramesBeforeFallback = 1;
inline constexpr int kFailedFramesBeforeGivingUp = 3;

// A cycle begins while heldCopy exists. True when the copy has served its time: the
// caller frees it; the frame request has then become "imag2".
bool ageHeldCopy(ClientRun& run);

// After the frame wait: whether the keep-alive echo came since it was last cleared.
void checkKeepAlive(ClientRun& run, bool echoSeen);

// A frame cycle that brought a usable frame, or none.
void countUsableFrame(ClientRun& run);
void countFailedFrame(ClientRun& run);

}  // namespace korvo
