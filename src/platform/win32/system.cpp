#include <windows.h>

#include <string>

#include "platform/system.h"
#include "platform/win32/wide.h"

namespace platform {

std::string executableDirectory() {
    // Long paths are allowed where the system allows them: the buffer grows until the
    // name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return ".";
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        if (buffer.size() >= 32768)
            return ".";
        buffer.resize(buffer.size() * 2);
    }
    const size_t slash = buffer.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return ".";
    return win32::narrow(buffer.substr(0, slash));
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
