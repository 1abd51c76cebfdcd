// Whole frames of a real display: capture, the cursor painted by its hotspot, and the
// JPEG that goes on the wire, decoded again.
// The program's headers before Xlib's: its None macro would break StartMode::None.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "host/frame_capture.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "unit/host_jpeg_support.h"
// (keep)
#include <X11/Xlib.h>

#include "x11/display_fixture.h"

namespace {

class PaintedCursorTest : public testing_support::DisplayTest {
protected:
    void SetUp() override {
        korvo::settings.imageQuality = 10;  // libjpeg quality 100: colours come back close
        korvo::framesViaPipe = 1;
    }
    void TearDown() override {
        korvo::framesViaPipe = 0;
        DisplayTest::TearDown();
    }

    void pointAt(Cursor cursor, int x, int y) {
        XDefineCursor(display_, window_, cursor);
        XWarpPointer(display_, None, root_, 0, 0, 0, 0, x, y);
        XSync(display_, False);
    }

    // Captures one frame through the memory route and decodes it.
    host_testing::Decoded frame() {
        size_t length = korvo::captureFrame();
        EXPECT_GT(length, 0u);
        std::vector<uint8_t> jpeg(korvo::frameBuffer, korvo::frameBuffer + length);
        return host_testing::decodeJpeg(jpeg);
    }

    enum class Colour { Red, Blue, Black };
    static bool is(const host_testing::Decoded& picture, int x, int y, Colour colour) {
        const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
        // Chroma subsampling smears colours at the cursor's edges: judge by the channels.
        const bool high[3] = {p[0] > 150, p[1] > 150, p[2] > 150};
        const bool low[3] = {p[0] < 64, p[1] < 64, p[2] < 64};
        switch (colour) {
            case Colour::Red:
                return high[0] && low[1] && low[2];
            case Colour::Blue:
                return low[0] && low[1] && high[2];
            case Colour::Black:
                return low[0] && low[1] && low[2];
        }
        return false;
    }

    Window window_ = 0;
};

TEST_F(PaintedCursorTest, CursorHangsFromItsHotspot) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    window_ = openWindow(0, 0, 800, 600);
    pointAt(makeCursor(3, 5), 150, 120);

    host_testing::Decoded picture = frame();
    ASSERT_EQ(picture.width, 800);
    ASSERT_EQ(picture.height, 600);
    // Top-left corner at (150 - 3, 120 - 5).
    EXPECT_TRUE(is(picture, 148, 116, Colour::Red));
    EXPECT_TRUE(is(picture, 153, 116, Colour::Blue));
    EXPECT_TRUE(is(picture, 145, 116, Colour::Black)) << "left of the cursor";
    EXPECT_TRUE(is(picture, 149, 123, Colour::Black)) << "transparent bottom row";
    EXPECT_TRUE(is(picture, 300, 300, Colour::Black));
}

TEST_F(PaintedCursorTest, HotspotWithOneZeroCoordinateCountsAsTopLeft) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    window_ = openWindow(0, 0, 800, 600);
    pointAt(makeCursor(0, 5), 150, 120);

    host_testing::Decoded picture = frame();
    EXPECT_TRUE(is(picture, 151, 121, Colour::Red)) << "painted from (150, 120)";
    EXPECT_TRUE(is(picture, 156, 121, Colour::Blue));
    EXPECT_TRUE(is(picture, 151, 117, Colour::Black)) << "not lifted by 5 rows";
}

TEST_F(PaintedCursorTest, CursorAtTheEdgeIsClipped) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1366x768x24"));
    window_ = openWindow(0, 0, 1366, 768);
    pointAt(makeCursor(0, 0), 1363, 765);

    host_testing::Decoded picture = frame();
    ASSERT_EQ(picture.width, 1366);
    ASSERT_EQ(picture.height, 768);
    EXPECT_TRUE(is(picture, 1364, 766, Colour::Red));
    EXPECT_TRUE(is(picture, 1360, 766, Colour::Black));
}

}  // namespace
