// The process as a whole: its single-instance guard, its private temporary frame file,
// the handling of processor faults and its end.
#pragma once

#include <string>

#include "platform/threads.h"

namespace platform {

// Claims the one-instance lock of this user's desktop session, held until the process
// ends. False only when another process holds it; when the lock cannot be taken for any
// other reason the program runs as if it were alone.
bool claimSingleInstance();

// Reserves the path of the temporary frame file in the user's temporary directory, at
// a place no other user can plant a file or a link. The file itself is not created;
// whatever was reserved is removed when the process ends through endProcess. Empty on
// failure.
std::string reserveTempFramePath();

// Installs the handler for processor faults (bad memory access, arithmetic fault,
// illegal instruction) in any thread. The faulting thread is parked; another thread
// then runs `handler` in ordinary context, where it may show a box,
// sleep and close things. The handler should end the process; should it not do so
// within a bounded time, the process ends with exit code 0 anyway. False when the
// handler cannot be installed.
bool installFaultHandler(void (*handler)());

// True when the fault being handled happened on the given thread.
bool faultHappenedOn(ThreadHandle thread);

// Ends the process at once with the exit code, from any thread, without running
// destructors of other threads' objects. Removes what reserveTempFramePath reserved
// first.
[[noreturn]] void endProcess(int exitCode);

}  // namespace platform
