#include <windows.h>

#include "platform/process.h"

namespace platform {

bool claimSingleInstance() {
    // Named in the session's namespace: one instance per logged-in desktop. The handle
    // stays open, and the name taken, until the process ends.
    HANDLE mutex = ::CreateMutexA(nullptr, FALSE, "Korvo");
    return !(mutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS);
}

}  // namespace platform
