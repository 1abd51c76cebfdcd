// Whether the X display can be reached, asked before Qt tries it (Qt would end the
// process when it cannot).
#include <X11/Xlib.h>

namespace platform::qtui {

bool x11DisplayOpens() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    XCloseDisplay(display);
    return true;
}

}  // namespace platform::qtui
