// The primary display and the mouse cursor on it, as the server captures them.
// Every coordinate here is relative to the primary display's top-left corner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct Size {
    int width = 0;
    int height = 0;
};

struct Point {
    int x = 0;
    int y = 0;
};

// A view of captured pixels: rows top down, 4 bytes a pixel in the order B, G, R, X
// (libjpeg-turbo's JCS_EXT_BGRX), `stride` bytes from one row to the next.
struct PixelView {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;
};

// The cursor's picture: premultiplied ARGB, one 32-bit value a pixel (alpha in the top
// byte), row by row; the hotspot as the system reports it. Some cursors (the text
// I-beam) invert the screen below some of their pixels: `inverts` then holds one byte a
// pixel, 1 where the screen shows inverted; empty when no pixel inverts.
struct CursorImage {
    int width = 0;
    int height = 0;
    int hotspotX = 0;
    int hotspotY = 0;
    std::vector<uint32_t> argb;
    std::vector<uint8_t> inverts;
};

// True when the desktop's display could be reached at the first call, so that windows
// can be shown: the X display when there is one (XWayland too), else the Wayland
// display. The connection opened for an X display stays open (an X server with no
// other client would reset when it closed).
bool displayReachable();

// Called when the server starts: a desktop that shares its screen only through a session
// of its own (a Wayland compositor's) sets that up here, so that the screen is not
// shared while nobody serves it. Elsewhere it does nothing. What such a session lets the
// program keep between starts (the consent given to share) goes into programFilesFolder,
// the folder of settings.ini; empty keeps nothing.
void startSharingDisplay(const std::string& programFilesFolder);

// Size of the primary display, measured afresh at every call. False when there is none.
bool primaryDisplaySize(Size& size);

// Captures the whole primary display. The pixels belong to the platform and stay valid
// (and writable, so the cursor can be painted in) until the next capture from the same
// thread. False when nothing could be captured; then no pixels are handed out.
bool captureDisplay(PixelView& view);

// True when the system reports that, since the last captureDisplay, no pixel of the
// primary display was drawn, its layout did not change and the cursor's shape is still
// the one currentCursorImage gave last; the pointer's position is not part of it. False
// whenever the system cannot tell, which never does harm: the caller captures again.
bool displayUnchangedSinceCapture();

// The pointer's position. False when it cannot be read.
bool cursorPosition(Point& point);

// The cursor shape shown now. False when there is none to be had.
bool currentCursorImage(CursorImage& image);

}  // namespace platform
