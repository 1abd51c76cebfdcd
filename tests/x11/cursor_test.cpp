// The pointer's position and the cursor's picture as X shows them.
// gtest before Xlib: Xlib's None and Bool macros would break gtest's headers.
#include <gtest/gtest.h>
// (keep)
#include <X11/Xlib.h>
#include <X11/cursorfont.h>

#include "platform/screen.h"
#include "x11/display_fixture.h"

namespace {

class CursorTest : public testing_support::DisplayTest {
protected:
    void warpTo(int x, int y) {
        XWarpPointer(display_, None, root_, 0, 0, 0, 0, x, y);
        XSync(display_, False);
    }
};

TEST_F(CursorTest, PositionIsReadOnThePrimaryScreenOnly) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24", {"-screen", "1", "800x600x24"}));
    ASSERT_EQ(ScreenCount(display_), 2);
    XWarpPointer(display_, None, RootWindow(display_, 1), 0, 0, 0, 0, 100, 100);
    XSync(display_, False);
    platform::Point point;
    EXPECT_FALSE(platform::cursorPosition(point));

    for (auto [x, y] : {std::pair{0, 0}, std::pair{10, 20}, std::pair{799, 599}}) {
        warpTo(x, y);
        ASSERT_TRUE(platform::cursorPosition(point));
        EXPECT_EQ(point.x, x);
        EXPECT_EQ(point.y, y);
    }
}

TEST_F(CursorTest, ShapeAndHotspotAreTheWindowsCursor) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    Window window = openWindow(100, 100, 200, 200);
    Cursor cursor = makeCursor(3, 5);
    XDefineCursor(display_, window, cursor);
    warpTo(150, 120);

    platform::CursorImage image;
    ASSERT_TRUE(platform::currentCursorImage(image));
    ASSERT_EQ(image.width, 8);
    ASSERT_EQ(image.height, 8);
    ASSERT_EQ(image.argb.size(), 64u);
    EXPECT_EQ(image.hotspotX, 3);
    EXPECT_EQ(image.hotspotY, 5);
    EXPECT_EQ(image.argb[0], 0xFFFF0000u);          // foreground, opaque red
    EXPECT_EQ(image.argb[7], 0xFF0000FFu);          // background, opaque blue
    EXPECT_EQ(image.argb[6 * 8 + 3], 0xFFFF0000u);  // last row inside the mask
    EXPECT_EQ(image.argb[7 * 8 + 0], 0u);           // outside the mask: transparent
    EXPECT_EQ(image.argb[7 * 8 + 7], 0u);
}

TEST_F(CursorTest, ShapeChangesWithTheWindowUnderThePointer) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("800x600x24"));
    Window own = openWindow(0, 0, 100, 100);
    Window text = openWindow(200, 0, 100, 100);
    XDefineCursor(display_, own, makeCursor(3, 5));
    XDefineCursor(display_, text, XCreateFontCursor(display_, XC_xterm));

    warpTo(250, 50);
    platform::CursorImage overText;
    ASSERT_TRUE(platform::currentCursorImage(overText));
    warpTo(50, 50);
    platform::CursorImage overOwn;
    ASSERT_TRUE(platform::currentCursorImage(overOwn));

    EXPECT_EQ(overOwn.width, 8);
    EXPECT_EQ(overOwn.hotspotX, 3);
    EXPECT_TRUE(overText.width != overOwn.width || overText.height != overOwn.height ||
                overText.argb != overOwn.argb);
}

}  // namespace
