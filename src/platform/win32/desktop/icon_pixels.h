// Icons and cursors as premultiplied ARGB pixels, the way the system draws them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace platform::win32 {

// Draws the icon or cursor at width by height with its mask and reads the result back:
// premultiplied 0xAARRGGBB values, rows top down. False when it cannot be drawn.
bool iconPixels(HICON icon, int width, int height, std::vector<uint32_t>& argb);

// The icon's or cursor's own size and hotspot, from its bitmaps.
bool iconFacts(HICON icon, int& width, int& height, int& hotspotX, int& hotspotY);

}  // namespace platform::win32
