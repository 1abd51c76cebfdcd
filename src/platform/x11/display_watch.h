// What the X server reports about the display, so that nothing is asked again that has
// not changed: the layout of the outputs (RandR and the root window's size) and drawing
// on the screen (XDamage). The reports are asked for once per connection; every look
// first takes in all the server sent up to that moment, so no earlier change is missed.
#pragma once

#include "platform/x11/display_connection.h"
#include "platform/x11/primary_output.h"

namespace platform::x11 {

// Takes in every report the server sent up to now (one round trip); the first call on a
// connection asks for the reports.
void takeDisplayReports(DisplayLock& lock);

// The primary output's rectangle (primaryOutputRect), measured again only when a report
// taken in said that the layout changed since it was measured last.
bool primaryOutputRectAsReported(DisplayLock& lock, ScreenRect& rect);

// A capture is about to read the screen: drawing is looked for from now on.
void noteCaptureStarts(DisplayLock& lock);

// True when the reports taken in tell of neither drawing nor a change of the layout since
// the last noteCaptureStarts on this connection. False when they cannot tell (no XDamage,
// no capture yet on this connection).
bool nothingDrawnSinceCapture(DisplayLock& lock);

}  // namespace platform::x11
