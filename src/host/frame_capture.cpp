#include "host/frame_capture.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "host/frame_encoding.h"
#include "settings/settings.h"
#include "state/process_state.h"

namespace korvo {
namespace {

// The largest side a JPEG may have.
constexpr int kMaxFrameSide = 65500;

bool usable(const platform::PixelView& view) {
    return view.pixels != nullptr && view.width > 0 && view.height > 0 &&
           view.stride >= static_cast<size_t>(view.width) * 4;
}

uint8_t blendChannel(uint32_t source, uint32_t destination, uint32_t inverseAlpha) {
    uint32_t value = source + (destination * inverseAlpha + 127) / 255;
    return static_cast<uint8_t>(std::min<uint32_t>(value, 255));
}

// The frame encoded last, whose stream still lies at the start of frameBuffer.
struct LastFrame {
    bool valid = false;
    size_t length = 0;
    int64_t quality = 0;
    platform::Size size;
    bool cursorShown = false;
    platform::Point pointer;
};

LastFrame lastFrame;

bool sameSize(platform::Size a, platform::Size b) {
    return a.width == b.width && a.height == b.height;
}

// Nothing has changed that the last frame shows: the display reports no drawing and the
// same cursor shape, and the pointer is where it was painted.
bool lastFrameStillTrue(platform::Size size) {
    if (!lastFrame.valid || lastFrame.quality != settings.imageQuality ||
        !sameSize(lastFrame.size, size) || !platform::displayUnchangedSinceCapture())
        return false;
    platform::Point pointer;
    if (!platform::cursorPosition(pointer))
        return !lastFrame.cursorShown;
    return lastFrame.cursorShown && pointer.x == lastFrame.pointer.x &&
           pointer.y == lastFrame.pointer.y;
}

size_t deliverByRoute(size_t length) {
    if (framesViaPipe.load() == 1)
        return length;
    return static_cast<size_t>(writeFrameFile(length));
}

// Copies what the two pictures have in common; the rest of the target stays as it is.
void copyOverlap(const platform::PixelView& from, const platform::PixelView& to) {
    size_t rowBytes = static_cast<size_t>(std::min(from.width, to.width)) * 4;
    int rows = std::min(from.height, to.height);
    for (int y = 0; y < rows; ++y)
        std::memcpy(to.pixels + static_cast<size_t>(y) * to.stride,
                    from.pixels + static_cast<size_t>(y) * from.stride, rowBytes);
}

}  // namespace

bool cursorShapeAt(platform::Point& point, platform::CursorImage& shape) {
    if (!platform::cursorPosition(point))
        return false;
    return platform::currentCursorImage(shape);
}

platform::Point cursorHotspot(const platform::CursorImage& shape) {
    if (shape.hotspotX <= 0 || shape.hotspotY <= 0)
        return {0, 0};
    return {shape.hotspotX, shape.hotspotY};
}

void paintCursor(const platform::PixelView& frame, const platform::CursorImage& shape,
                 platform::Point topLeft) {
    if (!usable(frame) || shape.width <= 0 || shape.height <= 0)
        return;
    if (shape.argb.size() / static_cast<size_t>(shape.width) < static_cast<size_t>(shape.height))
        return;
    const bool inverting = shape.inverts.size() == shape.argb.size();
    // 64-bit bounds, so that a shape far off the frame cannot overflow the arithmetic.
    int64_t left = std::max<int64_t>(0, -static_cast<int64_t>(topLeft.x));
    int64_t top = std::max<int64_t>(0, -static_cast<int64_t>(topLeft.y));
    int64_t right = std::min<int64_t>(shape.width, int64_t{frame.width} - topLeft.x);
    int64_t bottom = std::min<int64_t>(shape.height, int64_t{frame.height} - topLeft.y);
    for (int64_t sy = top; sy < bottom; ++sy) {
        const uint32_t* source = shape.argb.data() + sy * shape.width;
        uint8_t* row = frame.pixels + static_cast<size_t>(sy + topLeft.y) * frame.stride;
        for (int64_t sx = left; sx < right; ++sx) {
            uint32_t argb = source[sx];
            uint32_t inverseAlpha = 255 - (argb >> 24);
            uint8_t* pixel = row + static_cast<size_t>(sx + topLeft.x) * 4;
            pixel[0] = blendChannel(argb & 0xFF, pixel[0], inverseAlpha);
            pixel[1] = blendChannel((argb >> 8) & 0xFF, pixel[1], inverseAlpha);
            pixel[2] = blendChannel((argb >> 16) & 0xFF, pixel[2], inverseAlpha);
            if (inverting && shape.inverts[static_cast<size_t>(sy * shape.width + sx)] != 0) {
                pixel[0] = static_cast<uint8_t>(255 - pixel[0]);
                pixel[1] = static_cast<uint8_t>(255 - pixel[1]);
                pixel[2] = static_cast<uint8_t>(255 - pixel[2]);
            }
        }
    }
}

void forgetLastFrame() {
    lastFrame = LastFrame{};
}

size_t captureFrame() {
    platform::Size size;
    if (!platform::primaryDisplaySize(size) || size.width <= 0 || size.height <= 0 ||
        size.width > kMaxFrameSide || size.height > kMaxFrameSide)
        return 0;
    if (lastFrameStillTrue(size))
        return deliverByRoute(lastFrame.length);
    lastFrame.valid = false;

    // The captured pixels are used in place when they have the display's size. Otherwise
    // (no capture, or the display changed size in between) the frame is a black picture
    // of the measured size holding whatever part of the capture fits.
    platform::PixelView frame;
    platform::PixelView captured;
    bool haveCapture = platform::captureDisplay(captured) && usable(captured);
    std::unique_ptr<uint8_t[]> ownPixels;
    if (haveCapture && captured.width == size.width && captured.height == size.height) {
        frame = captured;
    } else {
        size_t stride = static_cast<size_t>(size.width) * 4;
        ownPixels.reset(new (std::nothrow) uint8_t[stride * static_cast<size_t>(size.height)]());
        if (!ownPixels)
            return 0;
        frame = {ownPixels.get(), size.width, size.height, stride};
        if (haveCapture)
            copyOverlap(captured, frame);
    }

    platform::Point point;
    platform::CursorImage shape;
    const bool cursorShown = cursorShapeAt(point, shape);
    if (cursorShown) {
        platform::Point hotspot = cursorHotspot(shape);
        int64_t left = int64_t{point.x} - hotspot.x;
        int64_t top = int64_t{point.y} - hotspot.y;
        // A position so far out that the corner is not even an int is off the frame.
        if (left >= INT32_MIN && top >= INT32_MIN)
            paintCursor(frame, shape, {static_cast<int>(left), static_cast<int>(top)});
    }

    const size_t length = encodeViaPipe(frame);
    // A frame too large for frameBuffer can still go as a file.
    if (length == 0)
        return framesViaPipe.load() == 1 ? 0 : static_cast<size_t>(encodeToFile(frame));
    // Only a whole capture can be served again; a black stand-in is not what the
    // display reports on.
    if (frame.pixels == captured.pixels)
        lastFrame = {true, length, settings.imageQuality, size, cursorShown, point};
    return deliverByRoute(length);
}

}  // namespace korvo
