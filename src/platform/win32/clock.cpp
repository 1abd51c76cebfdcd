#include <windows.h>

#include "platform/clock.h"

namespace platform {

void sleepMs(int ms) {
    if (ms <= 0)
        return;
    // The default timer tick is 15.6 ms; 5 ms waits would last three times as long.
    ::timeBeginPeriod(1);
    ::Sleep(static_cast<DWORD>(ms));
    ::timeEndPeriod(1);
}

uint64_t monotonicMs() {
    return ::GetTickCount64();
}

}  // namespace platform
