// Whether the cursor's shape is still the one currentCursorImage gave last.
#pragma once

#include "platform/x11/display_connection.h"

namespace platform::x11 {

// Compares the serial XFixes gives the shape shown now with that of the shape handed out
// last on this connection. False when there was none or XFixes cannot tell.
bool cursorShapeUnchanged(DisplayLock& lock);

}  // namespace platform::x11
