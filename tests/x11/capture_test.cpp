// Capture of the primary display compared with the screen read independently.
// gtest before Xlib: Xlib's None and Bool macros would break gtest's headers.
#include <gtest/gtest.h>
// (keep)
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/screen.h"
#include "x11/display_fixture.h"
#include "x11/screen_pixels.h"

namespace {

using testing_support::countDifferences;
using testing_support::paintNoise;
using testing_support::pixelAt;
using testing_support::readRoot;

class CaptureTest : public testing_support::DisplayTest {
protected:
    // Covers the screen with noise and checks a capture against the root window.
    void expectCaptureMatchesScreen(int width, int height, int tolerance) {
        Window window = openWindow(0, 0, width, height);
        paintNoise(display_, window, width, height, 7);

        platform::Size size;
        ASSERT_TRUE(platform::primaryDisplaySize(size));
        EXPECT_EQ(size.width, width);
        EXPECT_EQ(size.height, height);

        platform::PixelView view;
        ASSERT_TRUE(platform::captureDisplay(view));
        ASSERT_NE(view.pixels, nullptr);
        ASSERT_EQ(view.width, width);
        ASSERT_EQ(view.height, height);
        ASSERT_GE(view.stride, static_cast<size_t>(width) * 4);
        EXPECT_EQ(countDifferences(view, readRoot(display_, width, height), tolerance), 0u);
    }

    void fillRect(int x, int y, int width, int height, unsigned short red, unsigned short green,
                  unsigned short blue) {
        int screen = DefaultScreen(display_);
        XColor colour{};
        colour.red = red;
        colour.green = green;
        colour.blue = blue;
        ASSERT_TRUE(XAllocColor(display_, DefaultColormap(display_, screen), &colour));
        GC gc = XCreateGC(display_, root_, 0, nullptr);
        XSetForeground(display_, gc, colour.pixel);
        XSetSubwindowMode(display_, gc, IncludeInferiors);
        XFillRectangle(display_, root_, gc, x, y, static_cast<unsigned>(width),
                       static_cast<unsigned>(height));
        XFreeGC(display_, gc);
        XSync(display_, False);
    }
};

// Switches the one output of the server to a mode of the given size (made when the
// server has none), as a user changing the resolution would.
void changeResolution(Display* display, unsigned width, unsigned height) {
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResources(display, root);
    ASSERT_NE(resources, nullptr);
    ASSERT_GE(resources->noutput, 1);
    ASSERT_GE(resources->ncrtc, 1);
    RRMode mode = None;
    for (int i = 0; i < resources->nmode; ++i) {
        if (resources->modes[i].width == width && resources->modes[i].height == height)
            mode = resources->modes[i].id;
    }
    if (mode == None) {
        std::string name = std::to_string(width) + "x" + std::to_string(height);
        XRRModeInfo info{};
        info.width = width;
        info.height = height;
        info.hTotal = width;
        info.vTotal = height;
        info.dotClock = 60ul * width * height;
        info.name = name.data();
        info.nameLength = static_cast<unsigned>(name.size());
        mode = XRRCreateMode(display, root, &info);
        XRRAddOutputMode(display, resources->outputs[0], mode);
    }
    RROutput output = resources->outputs[0];
    int currentWidth = 0;
    int currentHeight = 0;
    Window rootReturn = None;
    int x = 0;
    int y = 0;
    unsigned w = 0;
    unsigned h = 0;
    unsigned border = 0;
    unsigned depth = 0;
    XGetGeometry(display, root, &rootReturn, &x, &y, &w, &h, &border, &depth);
    currentWidth = static_cast<int>(w);
    currentHeight = static_cast<int>(h);
    // The screen must hold the output at every step: grow first, or shrink last.
    bool grows = static_cast<int>(width) > currentWidth || static_cast<int>(height) > currentHeight;
    if (grows)
        XRRSetScreenSize(display, root, static_cast<int>(width), static_cast<int>(height), 300,
                         200);
    EXPECT_EQ(XRRSetCrtcConfig(display, resources, resources->crtcs[0], CurrentTime, 0, 0, mode,
                               RR_Rotate_0, &output, 1),
              0);
    if (!grows)
        XRRSetScreenSize(display, root, static_cast<int>(width), static_cast<int>(height), 300,
                         200);
    XRRFreeScreenResources(resources);
    XSync(display, False);
}

TEST_F(CaptureTest, FrameEqualsScreenAtFullHd) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1920x1080x24"));
    expectCaptureMatchesScreen(1920, 1080, 0);
}

TEST_F(CaptureTest, FrameEqualsScreenAtOddSize) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1366x768x24"));
    expectCaptureMatchesScreen(1366, 768, 0);
}

TEST_F(CaptureTest, FrameEqualsScreenWithoutSharedMemory) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1366x768x24", {"-extension", "MIT-SHM"}));
    expectCaptureMatchesScreen(1366, 768, 0);
    // Every frame is read afresh on this path too.
    fillRect(0, 0, 8, 8, 0xFFFF, 0xFFFF, 0xFFFF);
    platform::PixelView view;
    ASSERT_TRUE(platform::captureDisplay(view));
    EXPECT_EQ(pixelAt(view, 3, 3).red, 255);
}

TEST_F(CaptureTest, SixteenBitScreenIsConvertedToBgrx) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1024x768x16"));
    // Replicating bits and rounding may differ by one step of 8 bits.
    expectCaptureMatchesScreen(1024, 768, 1);
    fillRect(10, 20, 4, 4, 0xFFFF, 0, 0);
    fillRect(30, 20, 4, 4, 0, 0, 0xFFFF);
    platform::PixelView view;
    ASSERT_TRUE(platform::captureDisplay(view));
    EXPECT_EQ(pixelAt(view, 11, 21).red, 255);
    EXPECT_EQ(pixelAt(view, 11, 21).blue, 0);
    EXPECT_EQ(pixelAt(view, 31, 21).blue, 255);
    EXPECT_EQ(pixelAt(view, 31, 21).red, 0);
}

TEST_F(CaptureTest, PaletteScreenIsRefusedWithoutPixels) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("640x480x8"));
    platform::PixelView view;
    EXPECT_FALSE(platform::captureDisplay(view));
    EXPECT_EQ(view.pixels, nullptr);
}

TEST_F(CaptureTest, ColoursArriveInBgrxOrderAndFramesAreFresh) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    fillRect(10, 20, 5, 5, 0xFFFF, 0x8080, 0x4040);
    platform::PixelView first;
    ASSERT_TRUE(platform::captureDisplay(first));
    const uint8_t* at = first.pixels + 20 * first.stride + 10 * 4;
    EXPECT_EQ(at[0], 0x40);
    EXPECT_EQ(at[1], 0x80);
    EXPECT_EQ(at[2], 0xFF);

    // The same shared image is reused, and it holds the new screen content.
    fillRect(10, 20, 5, 5, 0, 0xFFFF, 0);
    platform::PixelView second;
    ASSERT_TRUE(platform::captureDisplay(second));
    EXPECT_EQ(second.pixels, first.pixels);
    EXPECT_EQ(pixelAt(second, 12, 22).green, 255);
    EXPECT_EQ(pixelAt(second, 12, 22).red, 0);
}

TEST_F(CaptureTest, ResolutionChangeShowsInTheNextFrame) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1920x1080x24"));
    ASSERT_NO_FATAL_FAILURE(changeResolution(display_, 1024, 768));
    platform::PixelView view;
    ASSERT_TRUE(platform::captureDisplay(view));
    EXPECT_EQ(view.width, 1024);
    EXPECT_EQ(view.height, 768);

    // Growing past the size the backend's connection started with.
    ASSERT_NO_FATAL_FAILURE(changeResolution(display_, 1920, 1080));
    expectCaptureMatchesScreen(1920, 1080, 0);
    ASSERT_NO_FATAL_FAILURE(changeResolution(display_, 1366, 768));
    expectCaptureMatchesScreen(1366, 768, 0);
}

// The kernel lists every segment, attached ones marked for removal included.
TEST_F(CaptureTest, SharedSegmentIsPrivateToTheUser) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    platform::PixelView view;
    ASSERT_TRUE(platform::captureDisplay(view));
    std::ifstream list("/proc/sysvipc/shm");
    ASSERT_TRUE(list.good());
    std::string line;
    std::getline(list, line);  // column names
    int ours = 0;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        long key = 0;
        long id = 0;
        std::string perms;
        long size = 0;
        long creator = 0;
        fields >> key >> id >> perms >> size >> creator;
        if (creator != ::getpid())
            continue;
        ++ours;
        // The mode without the kernel's own flags (such as "marked for removal").
        EXPECT_EQ(std::stoi(perms, nullptr, 8) & 0777, 0600) << perms;
        EXPECT_GE(size, 800L * 600 * 4);
    }
    EXPECT_EQ(ours, 1);
}

TEST_F(CaptureTest, LostDisplayFailsCleanlyAndTheNextOneIsUsed) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    platform::PixelView view;
    ASSERT_TRUE(platform::captureDisplay(view));

    xvfb_.stop();  // the backend's connection breaks under it
    platform::PixelView none;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(platform::captureDisplay(none));
        platform::Size size;
        EXPECT_FALSE(platform::primaryDisplaySize(size));
        platform::Point point;
        EXPECT_FALSE(platform::cursorPosition(point));
    }
    EXPECT_EQ(none.pixels, nullptr);

    // The test's own connection broke too; closing it would make Xlib end the process.
    static auto& broken = *new std::vector<Display*>();  // kept reachable to the end
    broken.push_back(display_);
    display_ = nullptr;
    ASSERT_NO_FATAL_FAILURE(startDisplay("640x480x24"));
    ASSERT_TRUE(platform::captureDisplay(view));
    EXPECT_EQ(view.width, 640);
    EXPECT_EQ(view.height, 480);
}

}  // namespace
