// Icons and cursors as premultiplied ARGB pixels, the way the system draws them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace platform::win32 {

// Draws the icon or cursor at width by height with its mask and reads the result back:
// premultiplied 0xAARRGGBB values, rows top down. False when it cannot be drawn.
// `inverts`, when given, gets one byte a pixel, 1 where the mask inverts the screen
// (those pixels are transparent in argb); it is left empty when none does.
bool iconPixels(HICON icon, int width, int height, std::vector<uint32_t>& argb,
                std::vector<uint8_t>* inverts = nullptr);

// The icon's or cursor's own size and hotspot, from its bitmaps.
bool iconFacts(HICON icon, int& width, int& height, int& hotspotX, int& hotspotY);

}  // namespace platform::win32
