// Whether the X display can be reached, on a connection of its own: asked before the
// window toolkit tries it (which would end the process when it cannot).
#include <X11/Xlib.h>

#include "platform/screen.h"

namespace platform {

bool displayReachable() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return false;
    XCloseDisplay(display);
    return true;
}

}  // namespace platform
