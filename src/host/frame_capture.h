// One frame of the primary display with the mouse cursor painted in, encoded by the
// route that framesViaPipe selects.
#pragma once

#include <cstddef>

#include "platform/screen.h"

namespace korvo {

// Captures, paints the cursor and encodes. For the memory route the length of the stream
// now at the start of frameBuffer; for the file route 1 when tempFramePath holds the
// frame. 0 when there is no display, no memory for the picture, or nothing was encoded.
// Both routes encode into frameBuffer first (the file route writes the stream out), and
// while the system reports the display unchanged, the pointer stays where it was and the
// quality is the same, that stream is served again without a capture: libjpeg gives the
// same bytes for the same pixels, so no client can tell.
size_t captureFrame();

// The stream in frameBuffer is no longer the last frame (frameBuffer served another use).
void forgetLastFrame();

// Fills point with the pointer's position and shape with the cursor shown there. False
// when either cannot be had; the frame then shows no cursor.
bool cursorShapeAt(platform::Point& point, platform::CursorImage& shape);

// The pixel of the shape that marks the pointer. A hotspot with a coordinate of 0 or
// below counts as (0, 0) as a whole, so such a cursor hangs from its top-left corner.
platform::Point cursorHotspot(const platform::CursorImage& shape);

// Blends the shape (premultiplied ARGB) into the frame with its top-left corner at
// topLeft, then inverts the frame below the shape's inverting pixels. Whatever falls
// outside the frame is cut off; a shape whose pixels do not match its size is not
// painted.
void paintCursor(const platform::PixelView& frame, const platform::CursorImage& shape,
                 platform::Point topLeft);

}  // namespace korvo
