// Turning the pixels of an X image into the BGRX rows the encoder takes.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace platform::x11 {

// True for a TrueColor visual, the only kind whose pixel values are colours by
// themselves; other visuals would need the colour map and are refused.
bool visualIsTrueColor(const Visual* visual);

// True when the image's memory already is BGRX: 32 bits a pixel, least significant
// byte first, red, green and blue in the low three bytes.
bool imageIsBgrx(const XImage& image);

// Converts any TrueColor image of 8, 16, 24 or 32 bits a pixel, in either byte order,
// to tightly packed BGRX rows. False (and `out` untouched) for images it cannot read.
bool convertToBgrx(const XImage& image, std::vector<uint8_t>& out);

}  // namespace platform::x11
