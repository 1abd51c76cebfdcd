// The server thread: listens on the configured port and serves every connection, one
// event at a time, until a stop is requested.
#pragma once

#include <atomic>

#include "platform/threads.h"

namespace korvo {

// The thread procedure. Starts with an empty table; 0 after a requested stop or a
// termination, 1 when the network or the listener could not be set up (the user has
// been told). Whichever way it ends, it releases only the listener it opened.
int runServer();

// Starts a thread that runs runServer; nullptr when the system refuses. Two runs never
// overlap: a terminated run that is still on its way out is waited for, at most two
// seconds; when it will not leave, the user is told that the server cannot be created
// and nothing is started.
platform::ThreadHandle startServerThread();

// Closes the listening server and every connection accepted through it; clears
// serverOpen. While the server thread runs, only the thread itself releases the
// sockets: from here they are shut down, which makes the thread's pending and later
// calls on them fail at once, and the thread closes them when it sees the stop request.
void closeServer();

// True from startServerThread (or the start of runServer) until runServer returns.
extern std::atomic<bool> serverThreadActive;

// The listening server's handle while it is open, else 0.
extern std::atomic<int> listeningServer;

}  // namespace korvo
