// The pointer's position and the cursor's picture, through XQueryPointer and XFixes.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstddef>
#include <cstdint>

#include "platform/x11/cursor_shape.h"
#include "platform/x11/desktop.h"
#include "platform/x11/display_connection.h"
#include "platform/x11/display_watch.h"

namespace platform {
namespace {

// Larger than any cursor a server hands out; a bigger answer is not trusted.
constexpr int kMaxCursorSide = 1024;

// XFixes serves a client only after it has announced the version it speaks: once per
// connection.
unsigned fixesReadyOn = 0;

bool fixesReady(x11::DisplayLock& lock) {
    if (fixesReadyOn == lock.generation())
        return true;
    Display* display = lock.display();
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase))
        return false;
    int major = 4;
    int minor = 0;
    if (!XFixesQueryVersion(display, &major, &minor) || major < 1)
        return false;
    fixesReadyOn = lock.generation();
    return true;
}

// The serial of the shape currentCursorImage gave last, and the connection it came on.
unsigned long givenSerial = 0;
unsigned givenOn = 0;

}  // namespace

namespace x11 {

bool cursorPosition(Point& point) {
    x11::DisplayLock lock;
    Display* display = lock.display();
    if (display == nullptr)
        return false;
    x11::takeDisplayReports(lock);
    x11::ScreenRect primary;
    if (!x11::primaryOutputRectAsReported(lock, primary) || lock.lost())
        return false;
    Window rootReturn = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned buttons = 0;
    // False when the pointer is on another screen of the display: not on ours.
    bool onScreen = XQueryPointer(display, DefaultRootWindow(display), &rootReturn, &child, &rootX,
                                  &rootY, &windowX, &windowY, &buttons);
    if (!onScreen || lock.lost())
        return false;
    // Relative to the primary output: on another output it lies outside the frame.
    point = {rootX - primary.x, rootY - primary.y};
    return true;
}

bool currentCursorImage(CursorImage& image) {
    x11::DisplayLock lock;
    Display* display = lock.display();
    if (display == nullptr || !fixesReady(lock))
        return false;
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (cursor == nullptr || lock.lost())
        return false;
    bool usable = cursor->width > 0 && cursor->height > 0 && cursor->width <= kMaxCursorSide &&
                  cursor->height <= kMaxCursorSide && cursor->pixels != nullptr;
    if (usable) {
        image.width = cursor->width;
        image.height = cursor->height;
        image.hotspotX = cursor->xhot;
        image.hotspotY = cursor->yhot;
        size_t count = static_cast<size_t>(cursor->width) * cursor->height;
        image.argb.resize(count);
        // XFixes hands 32-bit ARGB values in `unsigned long`s, 64 bits wide here.
        for (size_t i = 0; i < count; ++i)
            image.argb[i] = static_cast<uint32_t>(cursor->pixels[i]);
    }
    givenSerial = cursor->cursor_serial;
    givenOn = usable ? lock.generation() : 0;
    XFree(cursor);
    return usable;
}

bool cursorShapeUnchanged(DisplayLock& lock) {
    if (givenOn != lock.generation() || !fixesReady(lock))
        return false;
    XFixesCursorImage* cursor = XFixesGetCursorImage(lock.display());
    if (cursor == nullptr)
        return false;
    bool same = cursor->cursor_serial == givenSerial;
    XFree(cursor);
    return same;
}

}  // namespace x11

}  // namespace platform
