// The receive thread: it reads every server message off the client's connection, puts
// its content where the client thread looks for it and releases the client thread
// through clientSemaphore, once per complete reply and once after an idle time-out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/threads.h"

namespace korvo {

// What one turn of the loop keeps to the next.
struct ReceiveState {
    int idlePolls = 0;          // silent polls while the client thread waits
    size_t frameTotal = 0;      // bytes of the frame in hand so far
    bool frameKept = false;     // it goes to frameBuffer: awaited since its first chunk
    uint64_t frameStartMs = 0;  // when its first chunk came
    uint8_t frameTail[2] = {};  // its last two bytes so far
};

enum class ReceiveStep { Idle, Handled };

// One turn of the loop, without its pause: looks at the connection and takes one
// message (or one whole-file transfer) off it. Idle when nothing usable was waiting.
ReceiveStep receiveOnce(int connection, ReceiveState& state);

// The thread procedure. Returns 0 at once for a connection handle of 0 or below;
// otherwise runs until the thread is terminated. Whoever terminates it shuts the
// connection down (platform::shutdownConnection), so that it does not sit in a read.
int receiveLoop(int connection);

// Starts a thread that runs receiveLoop on the connection; nullptr when the system
// refuses.
platform::ThreadHandle startReceiveThread(int connection);

// Receive loops that have not left yet, terminated ones on their way out included.
int receiveLoopsActive();

}  // namespace korvo
