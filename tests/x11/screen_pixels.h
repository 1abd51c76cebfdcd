// The test's own view of the screen: noise to paint, and the root window read back with
// XGetImage and XGetPixel, independently of the capture code.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

#include "platform/screen.h"

namespace testing_support {

// Fills the window with random pixel values, valid colours at any TrueColor depth.
inline void paintNoise(Display* display, Window window, int width, int height, unsigned seed) {
    int screen = DefaultScreen(display);
    auto bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
    auto* data = static_cast<char*>(std::malloc(bytes));
    std::mt19937 random(seed);
    for (size_t i = 0; i < bytes; ++i)
        data[i] = static_cast<char>(random() & 0xFF);
    XImage* image =
        XCreateImage(display, DefaultVisual(display, screen),
                     static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0, data,
                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    GC gc = XCreateGC(display, window, 0, nullptr);
    XPutImage(display, window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    XFreeGC(display, gc);
    XDestroyImage(image);
    XSync(display, False);
}

struct Bgr {
    int blue = 0;
    int green = 0;
    int red = 0;
};

// One channel widened to 8 bits by repeating its high bits.
inline int widen(unsigned long pixel, unsigned long mask) {
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    unsigned long value = (pixel & mask) >> shift;
    unsigned long wide = 0;
    for (int filled = 0; filled < 8; filled += bits)
        wide = (wide << bits) | value;
    int total = ((8 + bits - 1) / bits) * bits;
    return static_cast<int>(wide >> (total - 8));
}

// The root window's pixels as 8-bit colours, row by row.
inline std::vector<Bgr> readRoot(Display* display, int width, int height) {
    XImage* image =
        XGetImage(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                  static_cast<unsigned>(height), AllPlanes, ZPixmap);
    Visual* visual = DefaultVisual(display, DefaultScreen(display));
    std::vector<Bgr> pixels;
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned long pixel = XGetPixel(image, x, y);
            pixels.push_back({widen(pixel, visual->blue_mask), widen(pixel, visual->green_mask),
                              widen(pixel, visual->red_mask)});
        }
    }
    XDestroyImage(image);
    return pixels;
}

inline Bgr pixelAt(const platform::PixelView& view, int x, int y) {
    const uint8_t* at =
        view.pixels + static_cast<size_t>(y) * view.stride + static_cast<size_t>(x) * 4;
    return {at[0], at[1], at[2]};
}

// How many pixels differ by more than `tolerance` in any channel.
inline size_t countDifferences(const platform::PixelView& view, const std::vector<Bgr>& expected,
                               int tolerance) {
    size_t differences = 0;
    for (int y = 0; y < view.height; ++y) {
        for (int x = 0; x < view.width; ++x) {
            Bgr got = pixelAt(view, x, y);
            const Bgr& want = expected[static_cast<size_t>(y) * view.width + x];
            if (std::abs(got.blue - want.blue) > tolerance ||
                std::abs(got.green - want.green) > tolerance ||
                std::abs(got.red - want.red) > tolerance)
                ++differences;
        }
    }
    return differences;
}

}  // namespace testing_support
