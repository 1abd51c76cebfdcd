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

// The root window's size as the server has it now (Xlib's screen record keeps the size
// the connection was opened with). False when it cannot be read.
bool rootSize(Display* display, int& width, int& height);

// The primary output's rectangle in root-window coordinates, asked afresh. Without a
// primary output, the first connected output that shows something; without RandR, the
// whole root window. False when the result would be empty.
bool primaryOutputRect(Display* display, ScreenRect& rect);

}  // namespace platform::x11
