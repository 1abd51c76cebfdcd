#include <windows.h>

#include <string>

#include "platform/system.h"

namespace platform {

std::string executableDirectory() {
    char buffer[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ".";
    std::string path(buffer, length);
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash);
}

SystemSupport systemSupport() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version))
        return SystemSupport::Full;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        // 4.0 is Windows 95; 4.10 Windows 98 and 4.90 Windows ME.
        return version.dwMinorVersion == 0 ? SystemSupport::Refused : SystemSupport::FramesInMemory;
    }
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion <= 4)
        return SystemSupport::Refused;
    if (version.dwPlatformId == VER_PLATFORM_WIN32s)
        return SystemSupport::Refused;
    return SystemSupport::Full;
}

}  // namespace platform
