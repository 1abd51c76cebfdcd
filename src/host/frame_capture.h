// One frame of the primary display with the mouse cursor painted in, encoded by the
// route that framesViaPipe selects.
#pragma once

#include <cstddef>

#include "platform/screen.h"

namespace korvo {

// Captures, paints the cursor and encodes. For the memory route the length of the stream
// now at the start of frameBuffer; for the file route 1 when tempFramePath holds the
// frame. 0 when there is no display, no memory for the picture, or nothing was encoded.
size_t captureFrame();

// Fills point with the pointer's position and shape with the cursor shown there. False
// when either cannot be had; the frame then shows no cursor.
bool cursorShapeAt(platform::Point& point, platform::CursorImage& shape);

// The pixel of the shape that marks the pointer. A hotspot with a coordinate of 0 or
// below counts as (0, 0) as a whole, so such a cursor hangs from its top-left corner.
platform::Point cursorHotspot(const platform::CursorImage& shape);

// Blends the shape (premultiplied ARGB) into the frame with its top-left corner at
// topLeft. Whatever falls outside the frame is cut off; a shape whose pixels do not match
// its size is not painted.
void paintCursor(const platform::PixelView& frame, const platform::CursorImage& shape,
                 platform::Point topLeft);

}  // namespace korvo
