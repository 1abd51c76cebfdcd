#include "platform/win32/fine_timer.h"

#include <windows.h>

namespace platform::win32 {
namespace {

// From processthreadsapi.h of Windows 10 1709 and later; older systems lack the call.
constexpr int kProcessPowerThrottling = 4;  // PROCESS_INFORMATION_CLASS
constexpr ULONG kThrottlingVersion = 1;
constexpr ULONG kIgnoreTimerResolution = 0x4;

struct ThrottlingState {
    ULONG version;
    ULONG controlMask;
    ULONG stateMask;
};

using SetProcessInformationCall = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);

// Opts the process out of timer throttling: its timer requests stay honoured whether or
// not its windows show. Looked up at run time, so that the program still starts where
// the call does not exist.
void keepTimerResolutionWhenHidden() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr)
        return;
    const auto call = reinterpret_cast<SetProcessInformationCall>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "SetProcessInformation")));
    if (call == nullptr)
        return;
    // The control bit with a clear state bit: this process is never throttled so.
    ThrottlingState state{kThrottlingVersion, kIgnoreTimerResolution, 0};
    call(::GetCurrentProcess(), kProcessPowerThrottling, &state, sizeof state);
}

}  // namespace

FineTimer::FineTimer() {
    static const bool optedOut = [] {
        keepTimerResolutionWhenHidden();
        return true;
    }();
    static_cast<void>(optedOut);
    ::timeBeginPeriod(1);
}

FineTimer::~FineTimer() {
    ::timeEndPeriod(1);
}

}  // namespace platform::win32
