// What the backend reports about the display between two captures: drawing anywhere and
// another cursor shape count as changes; a display left alone does not.
#include <gtest/gtest.h>
// (keep)
#include <X11/Xlib.h>

#include "platform/screen.h"
#include "x11/display_fixture.h"

namespace {

class DisplayChangesTest : public testing_support::DisplayTest {
protected:
    // A frame as the server takes it: the screen, then the cursor's shape.
    void takeFrame() {
        platform::PixelView view;
        ASSERT_TRUE(platform::captureDisplay(view));
        platform::CursorImage shape;
        ASSERT_TRUE(platform::currentCursorImage(shape));
    }
};

TEST_F(DisplayChangesTest, DrawingOrAnotherCursorIsAChangeAndNothingElseIs) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("640x480x24"));
    Window window = openWindow(100, 100, 200, 200);
    EXPECT_FALSE(platform::displayUnchangedSinceCapture());  // nothing captured yet
    takeFrame();
    EXPECT_TRUE(platform::displayUnchangedSinceCapture());
    EXPECT_TRUE(platform::displayUnchangedSinceCapture());

    // Drawing inside a window is drawing on the display.
    GC gc = XCreateGC(display_, window, 0, nullptr);
    XSetForeground(display_, gc, WhitePixel(display_, DefaultScreen(display_)));
    XFillRectangle(display_, window, gc, 10, 10, 5, 5);
    XFreeGC(display_, gc);
    XSync(display_, False);
    EXPECT_FALSE(platform::displayUnchangedSinceCapture());
    takeFrame();
    EXPECT_TRUE(platform::displayUnchangedSinceCapture());

    XDefineCursor(display_, window, makeCursor(1, 1));
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, 150, 150);
    XSync(display_, False);
    EXPECT_FALSE(platform::displayUnchangedSinceCapture());
    takeFrame();
    EXPECT_TRUE(platform::displayUnchangedSinceCapture());
}

}  // namespace
