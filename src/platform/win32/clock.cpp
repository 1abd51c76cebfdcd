#include <windows.h>

#include "platform/clock.h"
#include "platform/win32/fine_timer.h"

namespace platform {

void sleepMs(int ms) {
    if (ms <= 0)
        return;
    win32::FineTimer fine;
    ::Sleep(static_cast<DWORD>(ms));
}

uint64_t monotonicMs() {
    // GetTickCount64 advances in steps of the timer tick: a 1000 ms sleep could measure 990.
    static const uint64_t frequency = [] {
        LARGE_INTEGER f{};
        ::QueryPerformanceFrequency(&f);
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    const auto count = static_cast<uint64_t>(now.QuadPart);
    return count / frequency * 1000u + count % frequency * 1000u / frequency;
}

}  // namespace platform
