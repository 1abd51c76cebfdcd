#include "platform/win32/desktop/physical_pixels.h"

#include <windows.h>

#include <cstdint>

namespace platform::win32 {
namespace {

using SetThreadAwareness = void*(WINAPI*)(void*);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 (Windows 10 1703), then the first version
// (1607) where the second is not known yet.
void* const kPerMonitorAwareV2 = reinterpret_cast<void*>(static_cast<intptr_t>(-4));
void* const kPerMonitorAware = reinterpret_cast<void*>(static_cast<intptr_t>(-3));

SetThreadAwareness setThreadAwareness() {
    static const SetThreadAwareness found = [] {
        HMODULE user = ::GetModuleHandleW(L"user32.dll");
        return user == nullptr ? SetThreadAwareness{nullptr}
                               : reinterpret_cast<SetThreadAwareness>(reinterpret_cast<void*>(
                                     ::GetProcAddress(user, "SetThreadDpiAwarenessContext")));
    }();
    return found;
}

int scaled(int value, int from, int to) {
    if (from <= 0 || from == to)
        return value;
    const int64_t product = static_cast<int64_t>(value) * to;
    return static_cast<int>((product + (product >= 0 ? from / 2 : -from / 2)) / from);
}

}  // namespace

PhysicalPixels::PhysicalPixels() {
    if (SetThreadAwareness set = setThreadAwareness()) {
        previous_ = set(kPerMonitorAwareV2);
        if (previous_ == nullptr)
            previous_ = set(kPerMonitorAware);
    }
}

PhysicalPixels::~PhysicalPixels() {
    if (previous_ != nullptr)
        setThreadAwareness()(previous_);
}

bool screenScale(ScreenScale& scale) {
    scale.logical = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (scale.logical.width <= 0 || scale.logical.height <= 0)
        return false;
    scale.physical = scale.logical;
    HDC screen = ::GetDC(nullptr);
    if (screen != nullptr) {
        const int width = ::GetDeviceCaps(screen, DESKTOPHORZRES);
        const int height = ::GetDeviceCaps(screen, DESKTOPVERTRES);
        ::ReleaseDC(nullptr, screen);
        if (width > 0 && height > 0)
            scale.physical = {width, height};
    }
    return true;
}

Point toPhysical(Point logical, const ScreenScale& scale) {
    return {scaled(logical.x, scale.logical.width, scale.physical.width),
            scaled(logical.y, scale.logical.height, scale.physical.height)};
}

Point toLogical(Point physical, const ScreenScale& scale) {
    return {scaled(physical.x, scale.physical.width, scale.logical.width),
            scaled(physical.y, scale.physical.height, scale.logical.height)};
}

}  // namespace platform::win32
