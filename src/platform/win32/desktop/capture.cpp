// Capture of the primary display through GDI: the screen's device context copied with
// BitBlt into a 32-bit DIB section, whose rows are the B, G, R, X the encoder takes. A
// plain copy: CAPTUREBLT would make the local pointer flicker at every grab.
#include <windows.h>

#include <cstdint>

#include "platform/screen.h"
#include "platform/win32/desktop/physical_pixels.h"

namespace platform {
namespace {

// What one thread's captures keep between frames: the DIB section is made once and
// reused while the display keeps its size.
struct CaptureBuffer {
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ original = nullptr;
    void* bits = nullptr;
    int width = 0;
    int height = 0;

    ~CaptureBuffer() { release(); }

    void release() {
        if (bitmap != nullptr) {
            ::SelectObject(memory, original);
            ::DeleteObject(bitmap);
        }
        if (memory != nullptr)
            ::DeleteDC(memory);
        memory = nullptr;
        bitmap = nullptr;
        original = nullptr;
        bits = nullptr;
        width = 0;
        height = 0;
    }
};

thread_local CaptureBuffer captureBuffer;

bool prepare(CaptureBuffer& buffer, HDC screen, int width, int height) {
    if (buffer.bitmap != nullptr && buffer.width == width && buffer.height == height)
        return true;
    buffer.release();
    buffer.memory = ::CreateCompatibleDC(screen);
    if (buffer.memory == nullptr)
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    buffer.bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &buffer.bits, nullptr, 0);
    if (buffer.bitmap == nullptr) {
        buffer.release();
        return false;
    }
    buffer.original = ::SelectObject(buffer.memory, buffer.bitmap);
    buffer.width = width;
    buffer.height = height;
    return true;
}

}  // namespace

void startSharingDisplay(const std::string&) {}

bool displayReachable() {
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr)
        return false;
    ::ReleaseDC(nullptr, screen);
    return true;
}

bool primaryDisplaySize(Size& size) {
    // The primary display's own size in physical pixels: its top-left corner is the
    // origin of the screen.
    win32::PhysicalPixels physical;
    win32::ScreenScale scale;
    if (!win32::screenScale(scale))
        return false;
    size = scale.physical;
    return true;
}

bool captureDisplay(PixelView& view) {
    win32::PhysicalPixels physical;
    Size size;
    if (!primaryDisplaySize(size))
        return false;
    HDC screen = ::GetDC(nullptr);
    if (screen == nullptr)
        return false;
    CaptureBuffer& buffer = captureBuffer;
    bool ok = prepare(buffer, screen, size.width, size.height) &&
              ::BitBlt(buffer.memory, 0, 0, size.width, size.height, screen, 0, 0, SRCCOPY) != 0;
    ::ReleaseDC(nullptr, screen);
    if (!ok)
        return false;
    ::GdiFlush();
    view = {static_cast<uint8_t*>(buffer.bits), size.width, size.height,
            static_cast<size_t>(size.width) * 4};
    return true;
}

}  // namespace platform

namespace platform {

// GDI keeps no record of what was drawn since a capture: the screen is always captured
// again, which costs time but is never wrong.
bool displayUnchangedSinceCapture() {
    return false;
}

}  // namespace platform
