// Processor faults through a vectored exception handler. It sees every exception first,
// also the ones that system code raises and handles itself (a probed pointer, a C++
// throw), so it takes only processor faults in the program's own image; a fault elsewhere
// that nobody handles reaches the unhandled-exception filter. The faulting thread is
// parked, and a watcher thread runs the program's handler in ordinary context.
#include <windows.h>

#include <atomic>

#include "platform/common/thread_records.h"
#include "platform/process.h"
#include "platform/threads.h"
#include "platform/win32/process_end.h"

namespace platform {

namespace {

// If the handler has not ended the process after this long (a box nobody closes, a
// handler that hangs), the process ends anyway.
constexpr DWORD kFaultGraceMs = 60000;

void (*faultHandler)() = nullptr;
HANDLE faultSignal = nullptr;
std::atomic<bool> faultNoted{false};
std::atomic<ThreadRecord*> faultedThread{nullptr};

bool isProcessorFault(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        case EXCEPTION_DATATYPE_MISALIGNMENT:
        case EXCEPTION_FLT_DENORMAL_OPERAND:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INEXACT_RESULT:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
        case EXCEPTION_FLT_STACK_CHECK:
        case EXCEPTION_FLT_UNDERFLOW:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_IN_PAGE_ERROR:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_STACK_OVERFLOW:
            return true;
        default:
            return false;
    }
}

bool inOwnImage(const void* address) {
    HMODULE module = nullptr;
    return ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                static_cast<LPCSTR>(address), &module) &&
           module == ::GetModuleHandleA(nullptr);
}

// Runs on the faulting thread; returning would run the faulting instruction again.
[[noreturn]] void parkFaultingThread() {
    if (!faultNoted.exchange(true)) {
        // No allocation here: the fault may have struck inside the heap.
        faultedThread = common::knownCurrentThread();
        ::SetEvent(faultSignal);
    }
    ::Sleep(kFaultGraceMs);
    removeTempFrameFile();
    ::TerminateProcess(::GetCurrentProcess(), 0);
    for (;;)
        ::Sleep(INFINITE);
}

LONG CALLBACK onException(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (!isProcessorFault(record.ExceptionCode) || !inOwnImage(record.ExceptionAddress))
        return EXCEPTION_CONTINUE_SEARCH;
    parkFaultingThread();
}

LONG WINAPI onUnhandled(EXCEPTION_POINTERS*) {
    parkFaultingThread();
}

DWORD WINAPI watchForFaults(LPVOID) {
    ::WaitForSingleObject(faultSignal, INFINITE);
    faultHandler();
    removeTempFrameFile();
    ::TerminateProcess(::GetCurrentProcess(), 0);
    return 0;
}

}  // namespace

bool installFaultHandler(void (*handler)()) {
    if (handler == nullptr || faultHandler != nullptr)
        return false;
    faultSignal = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (faultSignal == nullptr)
        return false;
    faultHandler = handler;
    HANDLE watcher = ::CreateThread(nullptr, 0, watchForFaults, nullptr, 0, nullptr);
    if (watcher == nullptr)
        return false;
    ::CloseHandle(watcher);
    ::SetUnhandledExceptionFilter(onUnhandled);
    return ::AddVectoredExceptionHandler(1, onException) != nullptr;
}

bool faultHappenedOn(ThreadHandle thread) {
    return faultNoted && thread != nullptr && faultedThread.load() == thread;
}

}  // namespace platform
