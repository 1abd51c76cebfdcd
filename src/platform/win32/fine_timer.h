// The 1 ms timer for the short waits of the program: at the default tick of 15.6 ms a
// 5 ms wait would last three times as long.
#pragma once

namespace platform::win32 {

// Holds the 1 ms timer while it lives. The first one also asks the system to keep
// honouring it while the program's windows are hidden (Windows 11 otherwise ignores the
// timer resolution of such a process).
struct FineTimer {
    FineTimer();
    ~FineTimer();
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;
};

}  // namespace platform::win32
