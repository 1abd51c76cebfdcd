// Base for the tests that need a display: an own Xvfb, $DISPLAY pointing at it, and a
// connection of the test's own to look at the screen independently of the backend.
#pragma once

#include <gtest/gtest.h>
// (keep)
#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/display_connection.h"
#include "x11/xvfb.h"

namespace testing_support {

class DisplayTest : public ::testing::Test {
protected:
    // Starts the server; a test calls it first (so each test picks its own screen).
    void startDisplay(const std::string& screen = "1920x1080x24",
                      const std::vector<std::string>& extra = {}) {
        ASSERT_TRUE(xvfb_.start(screen, extra)) << "Xvfb did not start";
        ::setenv("DISPLAY", xvfb_.name().c_str(), 1);
        display_ = XOpenDisplay(xvfb_.name().c_str());
        ASSERT_NE(display_, nullptr);
        root_ = DefaultRootWindow(display_);
    }

    void TearDown() override {
        platform::x11::closeDisplayConnection();
        if (display_ != nullptr)
            XCloseDisplay(display_);
        display_ = nullptr;
        xvfb_.stop();
    }

    // A window of the test's own, mapped and shown, with the events asked for.
    Window openWindow(int x, int y, int width, int height, long events = ExposureMask) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        attributes.event_mask = events | StructureNotifyMask;
        attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
        Window window = XCreateWindow(display_, root_, x, y, static_cast<unsigned>(width),
                                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput,
                                      CopyFromParent,
                                      CWOverrideRedirect | CWEventMask | CWBackPixel, &attributes);
        XMapRaised(display_, window);
        XEvent event;
        do {
            XWindowEvent(display_, window, StructureNotifyMask, &event);
        } while (event.type != MapNotify);
        XSync(display_, False);
        return window;
    }

    // An 8 by 8 cursor: left half foreground (red), right half background (blue), bottom
    // row transparent; the hotspot as given.
    Cursor makeCursor(unsigned hotspotX, unsigned hotspotY) {
        static const char sourceBits[8] = {0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F, 0x0F};
        static const char maskBits[8] = {'\xFF', '\xFF', '\xFF', '\xFF',
                                         '\xFF', '\xFF', '\xFF', 0x00};
        Pixmap source = XCreateBitmapFromData(display_, root_, sourceBits, 8, 8);
        Pixmap mask = XCreateBitmapFromData(display_, root_, maskBits, 8, 8);
        XColor red{};
        red.red = 0xFFFF;
        XColor blue{};
        blue.blue = 0xFFFF;
        Cursor cursor =
            XCreatePixmapCursor(display_, source, mask, &red, &blue, hotspotX, hotspotY);
        XFreePixmap(display_, source);
        XFreePixmap(display_, mask);
        return cursor;
    }

    // Waits a bounded time for an event of the window matching `mask`.
    bool nextEvent(Window window, long mask, XEvent& event, int timeoutMs = 2000) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (XCheckWindowEvent(display_, window, mask, &event))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    Xvfb xvfb_;
    Display* display_ = nullptr;
    Window root_ = 0;
};

}  // namespace testing_support
