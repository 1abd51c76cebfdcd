// Whether the X display can be reached, on a connection of its own: asked before the
// window toolkit tries it (which would end the process when it cannot).
#include <X11/Xlib.h>

#include <mutex>

#include "platform/x11/desktop.h"

namespace platform {
namespace {

std::mutex probeMutex;
// Kept open for the life of the process: on an X server with no other client (a bare
// Xvfb, as xvfb-run starts one) closing it would make the server reset, and a toolkit
// connecting in that moment loses its connection and ends the process.
Display* probeConnection = nullptr;

}  // namespace

namespace x11 {

bool displayReachable() {
    std::lock_guard lock(probeMutex);
    if (probeConnection == nullptr)
        probeConnection = XOpenDisplay(nullptr);
    return probeConnection != nullptr;
}

}  // namespace x11
}  // namespace platform
