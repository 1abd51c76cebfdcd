// The server thread: listens on the configured port and serves every connection, one
// event at a time, until a stop is requested.
#pragma once

#include <atomic>

#include "platform/threads.h"

namespace korvo {

// The thread procedure. 0 after a requested stop, 1 when the network or the listener
// could not be set up (the user has been told).
int runServer();

// Starts a thread that runs runServer; nullptr when the system refuses.
platform::ThreadHandle startServerThread();

// Closes the listening server and every connection accepted through it; clears
// serverOpen. While the server thread runs, only the thread itself releases the
// sockets: from here they are shut down, which makes the thread's pending and later
// calls on them fail at once, and the thread closes them when it sees the stop request.
void closeServer();

// True from the start of runServer until it returns.
extern std::atomic<bool> serverThreadActive;

// The listening server's handle while it is open, else 0.
extern std::atomic<int> listeningServer;

}  // namespace korvo
