#include <windows.h>

#include <cstring>
#include <string>

#include "platform/process.h"
#include "platform/win32/process_end.h"

namespace platform {

namespace {

// A plain character array: read while the process ends, possibly after a fault.
char framePath[MAX_PATH];

}  // namespace

std::string reserveTempFramePath() {
    if (framePath[0] != '\0')
        return framePath;
    // The user's own temporary folder; GetTempFileNameA creates the file to claim the
    // name, and the frame file exists only while a frame passes through it.
    char folder[MAX_PATH];
    const DWORD length = ::GetTempPathA(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return {};
    char path[MAX_PATH];
    if (::GetTempFileNameA(folder, "", 0, path) == 0)
        return {};
    ::DeleteFileA(path);
    std::memcpy(framePath, path, std::strlen(path) + 1);
    return framePath;
}

void removeTempFrameFile() {
    if (framePath[0] != '\0')
        ::DeleteFileA(framePath);
}

void endProcess(int exitCode) {
    removeTempFrameFile();
    // At once, like _exit: no destructors or DLL detach code run while other threads may
    // be anywhere.
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(exitCode));
    ::ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace platform
