// One turn of the client's request cycle: keep-alive, input event, frame step, drain,
// ready.
#pragma once

#include "viewer/client_run_state.h"

namespace korvo {

enum class CycleEnd {
    Next,        // begin the next cycle
    RunOver,     // the end test found a stop request or a reason to give up
    Terminated,  // the thread was terminated: leave without touching anything
};

CycleEnd runCycle(ClientRun& run);

}  // namespace korvo
