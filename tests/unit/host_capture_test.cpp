// Capturing a frame from the scripted screen: the picture, the cursor painted at its
// hotspot, clipping, the failures of each source, and both routes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/frame_capture.h"
#include "host/frame_encoding.h"
#include "host_jpeg_support.h"
#include "platform/fake/fake_host.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "support/temp_dir.h"

namespace korvo {
namespace {

using host_testing::desktopLikePicture;
using host_testing::referenceJpeg;

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kBlue = 0xFF0000FFu;

// A 6 by 5 arrow-like shape: opaque red and blue pixels with transparent ones between,
// so that a shape painted one pixel off or mirrored gives a different picture.
platform::CursorImage testCursor(int hotspotX, int hotspotY) {
    platform::CursorImage shape;
    shape.width = 6;
    shape.height = 5;
    shape.hotspotX = hotspotX;
    shape.hotspotY = hotspotY;
    for (int y = 0; y < shape.height; ++y)
        for (int x = 0; x < shape.width; ++x)
            shape.argb.push_back(x <= y ? (x == 0 ? kBlue : kRed) : 0u);
    return shape;
}

// The picture as the user sees it: the opaque shape pixels replace the screen's.
std::vector<uint8_t> withCursor(std::vector<uint8_t> picture, const platform::CursorImage& shape,
                                int left, int top) {
    for (int y = 0; y < shape.height; ++y) {
        for (int x = 0; x < shape.width; ++x) {
            uint32_t argb = shape.argb[static_cast<size_t>(y * shape.width + x)];
            int fx = left + x, fy = top + y;
            if ((argb >> 24) == 0 || fx < 0 || fy < 0 || fx >= kWidth || fy >= kHeight)
                continue;
            uint8_t* p = picture.data() + (static_cast<size_t>(fy) * kWidth + fx) * 4;
            p[0] = static_cast<uint8_t>(argb);
            p[1] = static_cast<uint8_t>(argb >> 8);
            p[2] = static_cast<uint8_t>(argb >> 16);
        }
    }
    return picture;
}

class FrameCapture : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        settings.imageQuality = 10;
        tempFramePath = dir.file("frame.jpg");
        framesViaPipe = 1;
        picture = desktopLikePicture(kWidth, kHeight);
        script = platform::fake::desktopScript(kWidth, kHeight, picture);
        forgetLastFrame();
    }
    void TearDown() override {
        settings = Settings{};
        tempFramePath.clear();
        framesViaPipe = 0;
    }

    // Captures by the memory route and returns the stream.
    std::vector<uint8_t> capture() {
        platform::fake::scriptScreen(script);
        size_t n = captureFrame();
        return std::vector<uint8_t>(frameBuffer, frameBuffer + n);
    }
    std::vector<uint8_t> expectedStream(const std::vector<uint8_t>& bgrx) {
        return referenceJpeg(bgrx, kWidth, kHeight, 100);
    }
    void placeCursor(int x, int y, int hotspotX, int hotspotY) {
        script.cursor = {x, y};
        script.cursorImage = testCursor(hotspotX, hotspotY);
    }

    testing_support::TempDir dir;
    std::vector<uint8_t> picture;
    platform::fake::ScreenScript script;
};

TEST(CursorHotspot, AZeroOrNegativeCoordinateZeroesBoth) {
    EXPECT_EQ(cursorHotspot(testCursor(4, 3)).x, 4);
    EXPECT_EQ(cursorHotspot(testCursor(4, 3)).y, 3);
    for (auto [x, y] : {std::pair{0, 5}, {5, 0}, {0, 0}, {-2, 7}, {7, -1}}) {
        platform::Point hotspot = cursorHotspot(testCursor(x, y));
        EXPECT_EQ(hotspot.x, 0) << x << "," << y;
        EXPECT_EQ(hotspot.y, 0) << x << "," << y;
    }
}

TEST_F(FrameCapture, CursorHangsFromItsHotspot) {
    placeCursor(20, 10, 3, 2);
    EXPECT_EQ(capture(), expectedStream(withCursor(picture, script.cursorImage, 17, 8)));
    EXPECT_EQ(platform::fake::captureCount(), 1);
    // One coordinate 0: the corner is at the pointer.
    placeCursor(20, 10, 0, 5);
    EXPECT_EQ(capture(), expectedStream(withCursor(picture, script.cursorImage, 20, 10)));
}

TEST_F(FrameCapture, CursorAtTheEdgesIsClipped) {
    placeCursor(kWidth - 2, kHeight - 3, 0, 0);
    EXPECT_EQ(capture(),
              expectedStream(withCursor(picture, script.cursorImage, kWidth - 2, kHeight - 3)));
    placeCursor(1, 1, 3, 2);
    EXPECT_EQ(capture(), expectedStream(withCursor(picture, script.cursorImage, -2, -1)));
}

// A pointer on a display to the right of the primary one, or far out of any int range
// once its hotspot is taken off.
TEST_F(FrameCapture, CursorOutsideTheDisplayDoesNotShow) {
    std::vector<uint8_t> plain = expectedStream(picture);
    placeCursor(kWidth, 10, 0, 0);
    EXPECT_EQ(capture(), plain);
    placeCursor(kWidth + 500, kHeight + 500, 3, 2);
    EXPECT_EQ(capture(), plain);
    placeCursor(INT32_MIN + 1, INT32_MIN, 3, 2);
    EXPECT_EQ(capture(), plain);
    placeCursor(INT32_MAX, INT32_MAX, 0, 0);
    EXPECT_EQ(capture(), plain);
}

TEST_F(FrameCapture, NoCursorWhenPositionOrShapeIsMissing) {
    std::vector<uint8_t> plain = expectedStream(picture);
    placeCursor(20, 10, 0, 0);
    script.cursorPositionWorks = false;
    EXPECT_EQ(capture(), plain);
    script.cursorPositionWorks = true;
    script.cursorImageWorks = false;
    EXPECT_EQ(capture(), plain);
    // A shape whose pixel count does not match its size is not painted.
    script.cursorImageWorks = true;
    script.cursorImage.argb.resize(10);
    EXPECT_EQ(capture(), plain);
}

TEST_F(FrameCapture, FailedCaptureStillShowsTheCursorOnBlack) {
    placeCursor(20, 10, 0, 0);
    script.captureWorks = false;
    std::vector<uint8_t> black(static_cast<size_t>(kWidth) * kHeight * 4, 0);
    EXPECT_EQ(capture(), expectedStream(withCursor(black, script.cursorImage, 20, 10)));
}

// The display grew after the capture: the frame has the measured size, the captured part
// at the top left and black elsewhere.
TEST_F(FrameCapture, PictureSmallerThanTheDisplayIsPaddedWithBlack) {
    script.cursorImageWorks = false;
    script.pictureWidth = kWidth - 10;
    script.pictureHeight = kHeight - 8;
    std::vector<uint8_t> expected(static_cast<size_t>(kWidth) * kHeight * 4, 0);
    script.picture.assign(static_cast<size_t>(script.pictureWidth) * script.pictureHeight * 4, 0);
    for (int y = 0; y < script.pictureHeight; ++y)
        for (int x = 0; x < script.pictureWidth * 4; ++x) {
            uint8_t value = picture[static_cast<size_t>(y) * kWidth * 4 + x];
            script.picture[static_cast<size_t>(y) * script.pictureWidth * 4 + x] = value;
            expected[static_cast<size_t>(y) * kWidth * 4 + x] = value;
        }
    EXPECT_EQ(capture(), expectedStream(expected));
}

TEST_F(FrameCapture, NoDisplayGivesNothing) {
    std::memset(frameBuffer, 0x11, 64);
    script.displayPresent = false;
    EXPECT_TRUE(capture().empty());
    script.displayPresent = true;
    script.displaySize = {0, 1080};
    EXPECT_TRUE(capture().empty());
    script.displaySize = {70000, 10};
    EXPECT_TRUE(capture().empty());
    EXPECT_EQ(frameBuffer[0], 0x11);
}

TEST_F(FrameCapture, FileRouteWritesTheSameFrame) {
    placeCursor(20, 10, 3, 2);
    framesViaPipe = 0;
    platform::fake::scriptScreen(script);
    ASSERT_EQ(captureFrame(), 1u);
    std::string file = testing_support::readBytes(tempFramePath);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()),
              expectedStream(withCursor(picture, script.cursorImage, 17, 8)));
    tempFramePath = dir.file("no-such-directory/frame.jpg");
    EXPECT_EQ(captureFrame(), 0u);
}

// libjpeg gives the same bytes for the same pixels: while the display reports no change
// and the pointer stays, the last stream goes out again, by either route, without a
// capture. Anything else that shows in a frame captures afresh.
TEST_F(FrameCapture, UnchangedDisplayGetsTheSameStreamUntilSomethingChanges) {
    placeCursor(20, 10, 3, 2);
    script.reportsUnchanged = true;
    const std::vector<uint8_t> first = capture();
    ASSERT_FALSE(first.empty());
    auto servedAgain = [&] {
        return captureFrame() == first.size() && platform::fake::captureCount() == 1 &&
               std::equal(first.begin(), first.end(), frameBuffer);
    };
    EXPECT_TRUE(servedAgain());
    framesViaPipe = 0;
    ASSERT_EQ(captureFrame(), 1u);
    std::string file = testing_support::readBytes(tempFramePath);
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()), first);
    EXPECT_EQ(platform::fake::captureCount(), 1);
    framesViaPipe = 1;

    platform::fake::moveFakeCursor(21, 10);
    captureFrame();
    EXPECT_EQ(platform::fake::captureCount(), 2);
    settings.imageQuality = 9;
    captureFrame();
    EXPECT_EQ(platform::fake::captureCount(), 3);
    auto changed = platform::fake::screenScript();
    changed.reportsUnchanged = false;
    platform::fake::scriptScreen(changed);
    captureFrame();
    EXPECT_EQ(platform::fake::captureCount(), 1);
}

// Seen from the client: the decoded frame is the screen within JPEG's tolerance, and the
// cursor's pixels are where the pointer is.
TEST_F(FrameCapture, DecodedFrameShowsTheScreenAndTheCursor) {
    // A solid block large enough that chroma subsampling cannot wash out its middle.
    script.cursor = {30, 20};
    script.cursorImage.width = 12;
    script.cursorImage.height = 12;
    script.cursorImage.argb.assign(144, kRed);
    host_testing::Decoded decoded = host_testing::decodeJpeg(capture());
    ASSERT_EQ(decoded.width, kWidth);
    ASSERT_EQ(decoded.height, kHeight);
    std::vector<uint8_t> expected = withCursor(picture, script.cursorImage, 30, 20);
    long totalError = 0;
    for (int i = 0; i < kWidth * kHeight; ++i)
        for (int c = 0; c < 3; ++c)
            totalError += std::abs(decoded.rgb[static_cast<size_t>(i) * 3 + c] -
                                   expected[static_cast<size_t>(i) * 4 + 2 - c]);
    EXPECT_LT(static_cast<double>(totalError) / (kWidth * kHeight * 3), 6.0);
    const uint8_t* middle = &decoded.rgb[(static_cast<size_t>(20 + 6) * kWidth + 30 + 6) * 3];
    EXPECT_GT(middle[0], 240);
    EXPECT_LT(middle[1], 15);
    EXPECT_LT(middle[2], 15);
}

TEST(PaintCursor, BlendsPremultipliedAlphaAndClampsBadPixels) {
    std::vector<uint8_t> frame = {200, 100, 50, 0, 200, 100, 50, 0, 10, 20, 30, 0};
    platform::PixelView view{frame.data(), 3, 1, 12};
    platform::CursorImage shape;
    shape.width = 2;
    shape.height = 1;
    // Half-transparent grey (premultiplied 64 of 128), and a pixel brighter than its alpha.
    shape.argb = {0x80404040u, 0x10FFFFFFu};
    paintCursor(view, shape, {0, 0});
    EXPECT_EQ(frame[0], 64 + 100);  // 200 * 127 / 255, rounded
    EXPECT_EQ(frame[1], 64 + 50);
    EXPECT_EQ(frame[2], 64 + 25);
    EXPECT_EQ(frame[4], 255);
    EXPECT_EQ(frame[3], 0);   // the X byte is left alone
    EXPECT_EQ(frame[8], 10);  // outside the shape
}

TEST(PaintCursor, InvertsTheFrameBelowAnInvertingPixel) {
    std::vector<uint8_t> frame = {200, 100, 50, 0, 200, 100, 50, 0};
    platform::PixelView view{frame.data(), 2, 1, 8};
    platform::CursorImage shape;
    shape.width = 2;
    shape.height = 1;
    shape.argb = {0, 0};
    shape.inverts = {1, 0};
    paintCursor(view, shape, {0, 0});
    EXPECT_EQ(frame, (std::vector<uint8_t>{55, 155, 205, 0, 200, 100, 50, 0}));
}

}  // namespace
}  // namespace korvo
