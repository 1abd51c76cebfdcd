// The client thread: it connects to the server, logs in, starts the receive thread and
// runs the request cycle until the user stops it or its failure counters give up.
#pragma once

#include "platform/threads.h"

namespace korvo {

// The thread procedure. 1 when the network cannot be initialised or the connection
// cannot be opened (the user has been told), 0 when a run that had connected ends,
// and 0 when the thread is terminated.
int runClient();

// Starts a thread that runs runClient; nullptr when the system refuses. A run that was
// terminated and is still on its way out is given up to two seconds to leave first, so
// that two runs do not share the work area and frameBuffer.
platform::ThreadHandle startClientThread();

// closeConnection for clientConnection, for whoever stops the client from outside: the
// receive thread is terminated and the connection shut down first, which wakes both
// client threads; it is released once they have left (waited for at most two seconds).
void releaseClientConnection();

// Client runs that have not left yet, terminated ones on their way out included.
int clientRunsActive();

}  // namespace korvo
