// The threads of the roles and the one synchronisation object between them. Created at
// start-up, never freed.
#pragma once

#include <atomic>

#include "platform/sync.h"
#include "platform/threads.h"

namespace korvo {

// Thread handles: nullptr until the thread is started. Written by the thread that
// starts the role (the GUI thread, or the client thread for receiveThread), read by
// the others.
extern std::atomic<platform::ThreadHandle> guiThread;
extern std::atomic<platform::ThreadHandle> serverThread;
extern std::atomic<platform::ThreadHandle> clientThread;
extern std::atomic<platform::ThreadHandle> receiveThread;

// Between the client thread and its receive thread; count 0 at start-up.
extern platform::Semaphore clientSemaphore;

}  // namespace korvo
