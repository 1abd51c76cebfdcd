// The desktop as the screen's physical pixels, whatever the display's scaling. A
// process that declares no DPI awareness is told a scaled screen (1536x864 for
// 1920x1080 at 125 %), while a copy of the screen holds physical pixels: capture,
// pointer and injection must all work in the one physical space.
#pragma once

#include "platform/screen.h"

namespace platform::win32 {

// While it lives, the calling thread is per-monitor DPI aware (Windows 10 1607 and
// later, looked up at run time), so the system answers in physical pixels; its windows
// keep being scaled by the system, as they were made before. Elsewhere it changes
// nothing, and the scale below bridges the two spaces.
class PhysicalPixels {
public:
    PhysicalPixels();
    ~PhysicalPixels();
    PhysicalPixels(const PhysicalPixels&) = delete;
    PhysicalPixels& operator=(const PhysicalPixels&) = delete;

private:
    void* previous_ = nullptr;
};

// The primary display as the calling thread is told it (logical) and as it is
// (physical); the two are equal for an aware thread or an unscaled display.
struct ScreenScale {
    Size logical;
    Size physical;
};
bool screenScale(ScreenScale& scale);

// A position from one space into the other, rounded to the nearest pixel.
Point toPhysical(Point logical, const ScreenScale& scale);
Point toLogical(Point physical, const ScreenScale& scale);

}  // namespace platform::win32
