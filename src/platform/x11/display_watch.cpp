#include "platform/x11/display_watch.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xrandr.h>

namespace platform::x11 {
namespace {

struct Watch {
    unsigned generation = 0;  // the connection it was set up for; 0 for none
    int randrEventBase = -1;
    int damageEventBase = -1;
    Damage damage = 0;
    bool layoutKnown = false;
    ScreenRect primary;
    // Since the last noteCaptureStarts; a new connection starts with "yes".
    bool changedSinceCapture = true;
};

Watch watch;

void startWatching(DisplayLock& lock) {
    Display* display = lock.display();
    Window root = DefaultRootWindow(display);
    watch = Watch{};
    watch.generation = lock.generation();
    // The root window's own size changes arrive as ConfigureNotify.
    XSelectInput(display, root, StructureNotifyMask);
    int errorBase = 0;
    int eventBase = 0;
    if (XRRQueryExtension(display, &eventBase, &errorBase)) {
        XRRSelectInput(
            display, root,
            RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
        watch.randrEventBase = eventBase;
    }
    int major = 1;
    int minor = 1;
    if (XDamageQueryExtension(display, &eventBase, &errorBase) &&
        XDamageQueryVersion(display, &major, &minor)) {
        lock.clearErrors();
        Damage damage = XDamageCreate(display, root, XDamageReportNonEmpty);
        if (!lock.failedSince()) {
            watch.damage = damage;
            watch.damageEventBase = eventBase;
        }
    }
}

bool isLayoutReport(const XEvent& event) {
    if (event.type == ConfigureNotify)
        return true;
    return watch.randrEventBase >= 0 &&
           (event.type == watch.randrEventBase + RRScreenChangeNotify ||
            event.type == watch.randrEventBase + RRNotify);
}

}  // namespace

void takeDisplayReports(DisplayLock& lock) {
    Display* display = lock.display();
    if (watch.generation != lock.generation())
        startWatching(lock);
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (isLayoutReport(event)) {
            XRRUpdateConfiguration(&event);
            watch.layoutKnown = false;
            watch.changedSinceCapture = true;
        } else if (watch.damageEventBase >= 0 &&
                   event.type == watch.damageEventBase + XDamageNotify) {
            watch.changedSinceCapture = true;
        }
    }
}

bool primaryOutputRectAsReported(DisplayLock& lock, ScreenRect& rect) {
    if (watch.generation != lock.generation() || !watch.layoutKnown) {
        if (!primaryOutputRect(lock.display(), watch.primary))
            return false;
        watch.layoutKnown = watch.generation == lock.generation();
    }
    rect = watch.primary;
    return true;
}

void noteCaptureStarts(DisplayLock& lock) {
    if (watch.generation != lock.generation() || watch.damage == 0)
        return;
    // Emptied before the screen is read: drawing after this point is reported, drawing
    // before it is in the picture.
    XDamageSubtract(lock.display(), watch.damage, None, None);
    watch.changedSinceCapture = false;
}

bool nothingDrawnSinceCapture(DisplayLock& lock) {
    return watch.generation == lock.generation() && watch.damage != 0 && !watch.changedSinceCapture;
}

}  // namespace platform::x11
