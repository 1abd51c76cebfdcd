// What one run of the client thread keeps from cycle to cycle; all of it starts afresh
// with every run.
#pragma once

#include <cstdint>
#include <string>

#include "platform/image.h"
#include "platform/threads.h"
#include "protocol/wire.h"

namespace korvo {

struct ClientRun {
    int connection = 0;
    platform::ThreadHandle receiver = nullptr;
    // The frame request: "image" until it falls back to "imag2", never back.
    std::string requestKeyword{kKeywordImage};
    bool giveUp = false;       // ends the run at the next end test
    int copyAge = 0;           // cycles begun while heldCopy existed, since the last reset
    int missedKeepAlives = 0;  // frame cycles without the keep-alive echo
    int failedFrames = 0;      // frame cycles in a row without a usable frame
    bool fallbackDone = false;
    bool windowFitted = false;
    uint32_t lastShownCrc = 0;  // of the memory-route frame shown last
    // The frame decoded in this cycle; its memory serves the next cycle's decode.
    platform::Image candidate;
    // The server's address as the run began, for the status texts.
    std::string serverIp;
};

}  // namespace korvo
