#include "platform/x11/primary_output.h"

#include <X11/extensions/Xrandr.h>

#include <algorithm>

namespace platform::x11 {
namespace {

bool randrUsable(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase))
        return false;
    // The primary output came with version 1.3.
    return XRRQueryVersion(display, &major, &minor) && (major > 1 || (major == 1 && minor >= 3));
}

bool outputRect(Display* display, XRRScreenResources* resources, RROutput output,
                ScreenRect& rect) {
    XRROutputInfo* info = XRRGetOutputInfo(display, resources, output);
    if (info == nullptr)
        return false;
    bool shown = info->connection == RR_Connected && info->crtc != None;
    RRCrtc crtc = info->crtc;
    XRRFreeOutputInfo(info);
    if (!shown)
        return false;
    XRRCrtcInfo* crtcInfo = XRRGetCrtcInfo(display, resources, crtc);
    if (crtcInfo == nullptr)
        return false;
    rect = {crtcInfo->x, crtcInfo->y, static_cast<int>(crtcInfo->width),
            static_cast<int>(crtcInfo->height)};
    XRRFreeCrtcInfo(crtcInfo);
    return rect.width > 0 && rect.height > 0;
}

bool randrPrimaryRect(Display* display, Window root, ScreenRect& rect) {
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources == nullptr)
        return false;
    bool found = false;
    RROutput primary = XRRGetOutputPrimary(display, root);
    if (primary != None)
        found = outputRect(display, resources, primary, rect);
    for (int i = 0; !found && i < resources->noutput; ++i)
        found = outputRect(display, resources, resources->outputs[i], rect);
    XRRFreeScreenResources(resources);
    return found;
}

}  // namespace

bool rootSize(Display* display, int& width, int& height) {
    Window root = None;
    int x = 0;
    int y = 0;
    unsigned rootWidth = 0;
    unsigned rootHeight = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (!XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &rootWidth, &rootHeight,
                      &border, &depth))
        return false;
    width = static_cast<int>(rootWidth);
    height = static_cast<int>(rootHeight);
    return true;
}

bool primaryOutputRect(Display* display, ScreenRect& rect) {
    Window root = DefaultRootWindow(display);
    ScreenRect whole;
    if (!rootSize(display, whole.width, whole.height))
        return false;
    ScreenRect found = whole;
    if (randrUsable(display) && !randrPrimaryRect(display, root, found))
        found = whole;
    // A CRTC may reach past the root window while the screen is being resized; only
    // what lies on the root window can be read.
    int left = std::max(found.x, 0);
    int top = std::max(found.y, 0);
    int right = std::min(found.x + found.width, whole.width);
    int bottom = std::min(found.y + found.height, whole.height);
    if (right <= left || bottom <= top)
        return false;
    rect = {left, top, right - left, bottom - top};
    return true;
}

}  // namespace platform::x11
