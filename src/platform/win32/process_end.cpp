#include <windows.h>

#include <cwchar>
#include <string>

#include "platform/process.h"
#include "platform/win32/process_end.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// A plain wide character array: read while the process ends, possibly after a fault.
wchar_t framePath[MAX_PATH];

}  // namespace

std::string reserveTempFramePath() {
    if (framePath[0] != L'\0')
        return win32::narrow(framePath);
    // The user's own temporary folder; GetTempFileNameW creates the file to claim the
    // name, and the frame file exists only while a frame passes through it.
    wchar_t folder[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return {};
    wchar_t path[MAX_PATH];
    if (::GetTempFileNameW(folder, L"", 0, path) == 0)
        return {};
    ::DeleteFileW(path);
    std::wmemcpy(framePath, path, std::wcslen(path) + 1);
    return win32::narrow(framePath);
}

void removeTempFrameFile() {
    if (framePath[0] != L'\0')
        ::DeleteFileW(framePath);
}

void endProcess(int exitCode) {
    removeTempFrameFile();
    // At once, like _exit: no destructors or DLL detach code run while other threads may
    // be anywhere.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    ::ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace platform
