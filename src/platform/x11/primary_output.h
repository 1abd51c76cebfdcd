// Where the primary display lies on the X screen.
#pragma once

#include <X11/Xlib.h>

namespace platform::x11 {

struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The primary output's rectangle in root-window coordinates, asked afresh. Without a
// primary output, the first connected output that shows something; without RandR, the
// whole root window. False when the result would be empty.
bool primaryOutputRect(Display* display, ScreenRect& rect);

}  // namespace platform::x11
