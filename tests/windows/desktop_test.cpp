// The Win32 screen and injection on a real desktop (Wine on Xvfb), each test in a corner
// of its own as ctest runs them side by side: the capture equals
// what the screen's device context reads, the cursor comes with its picture, and keys
// typed through the injection functions reach an edit control.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/inject.h"
#include "platform/screen.h"
#include "platform/win32/desktop/physical_pixels.h"

namespace {

constexpr COLORREF kPatchColour = RGB(0x12, 0x9A, 0xE4);

// Lets the window's thread handle what is waiting for at most ms.
void pump(int ms) {
    const uint64_t end = platform::monotonicMs() + static_cast<uint64_t>(ms);
    do {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        platform::sleepMs(5);
    } while (platform::monotonicMs() < end);
}

// A top-level window of a class of its own: painted in one colour, with the arrow.
HWND colouredWindow(int x, int y, int width, int height) {
    static const ATOM patchClass = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = ::CreateSolidBrush(kPatchColour);
        windowClass.lpszClassName = "KorvoTestPatch";
        return ::RegisterClassA(&windowClass);
    }();
    HWND window =
        ::CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(patchClass), "", WS_POPUP | WS_VISIBLE, x, y,
                          width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::UpdateWindow(window);
    return window;
}

TEST(CaptureTest, TheCaptureEqualsTheScreenReadThroughItsDeviceContext) {
    HWND window = colouredWindow(600, 420, 120, 80);
    pump(300);

    platform::Size size;
    ASSERT_TRUE(platform::primaryDisplaySize(size));
    EXPECT_EQ(size.width, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(size.height, ::GetSystemMetrics(SM_CYSCREEN));
    platform::PixelView view;
    ASSERT_TRUE(platform::captureDisplay(view));
    ASSERT_EQ(view.width, size.width);
    ASSERT_EQ(view.height, size.height);

    HDC screen = ::GetDC(nullptr);
    int differing = 0;
    for (int y = 0; y < size.height; y += 37) {
        for (int x = 0; x < size.width; x += 41) {
            const uint8_t* pixel = view.pixels + static_cast<size_t>(y) * view.stride + x * 4;
            const COLORREF reference = ::GetPixel(screen, x, y);
            if (RGB(pixel[2], pixel[1], pixel[0]) != reference)
                ++differing;
        }
    }
    const uint8_t* patch = view.pixels + static_cast<size_t>(460) * view.stride + 660 * 4;
    ::ReleaseDC(nullptr, screen);
    ::DestroyWindow(window);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(RGB(patch[2], patch[1], patch[0]), kPatchColour);
}

TEST(CursorTest, ThePointerComesWithTheArrowsPicture) {
    HWND window = colouredWindow(700, 60, 200, 150);
    platform::setCursorPosition(799, 135);
    // A move of the pointer lets the window set its class's cursor.
    ::mouse_event(MOUSEEVENTF_MOVE, 1, 0, 0, 0);
    pump(200);
    platform::Point point;
    ASSERT_TRUE(platform::cursorPosition(point));
    EXPECT_EQ(point.x, 800);
    EXPECT_EQ(point.y, 135);
    platform::CursorImage image;
    ASSERT_TRUE(platform::currentCursorImage(image));
    ::DestroyWindow(window);
    EXPECT_GT(image.width, 0);
    EXPECT_GT(image.height, 0);
    ASSERT_EQ(image.argb.size(), static_cast<size_t>(image.width) * image.height);
    int opaque = 0;
    for (uint32_t p : image.argb)
        opaque += (p >> 24) == 0xFF ? 1 : 0;
    EXPECT_GT(opaque, 10);  // the arrow's outline and body
    EXPECT_LT(opaque, image.width * image.height / 2);
}

TEST(PhysicalPixelsTest, APositionOnAScaledScreenNamesTheSamePhysicalPixel) {
    // 150 %: the system tells an unaware program 1280x720 for a 1920x1080 screen.
    const platform::win32::ScreenScale scale{{1280, 720}, {1920, 1080}};
    const platform::Point corner = platform::win32::toPhysical({1279, 719}, scale);
    EXPECT_EQ(corner.x, 1919);
    EXPECT_EQ(corner.y, 1079);
    const platform::Point middle = platform::win32::toLogical({960, 540}, scale);
    EXPECT_EQ(middle.x, 640);
    EXPECT_EQ(middle.y, 360);
}

// The pointer's side of the one space is seen where the cursor test sets and reads it.
TEST(PhysicalPixelsTest, TheDisplaySizeIsTheScreensPhysicalSize) {
    platform::Size size;
    ASSERT_TRUE(platform::primaryDisplaySize(size));
    HDC screen = ::GetDC(nullptr);
    EXPECT_EQ(size.width, ::GetDeviceCaps(screen, DESKTOPHORZRES));
    EXPECT_EQ(size.height, ::GetDeviceCaps(screen, DESKTOPVERTRES));
    ::ReleaseDC(nullptr, screen);
}

TEST(CursorTest, ACursorThatInvertsTheScreenComesWithItsInvertingPixels) {
    // The old masks' inverting pixels in the top four rows, the screen kept elsewhere.
    std::vector<uint8_t> keep(32 * 32 / 8, 0xFF);
    std::vector<uint8_t> invert(32 * 32 / 8, 0x00);
    std::fill(invert.begin(), invert.begin() + 4 * 32 / 8, 0xFF);
    HCURSOR inverting =
        ::CreateCursor(::GetModuleHandleA(nullptr), 0, 0, 32, 32, keep.data(), invert.data());
    ASSERT_NE(inverting, nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = inverting;
    windowClass.lpszClassName = "KorvoTestInverting";
    const ATOM invertingClass = ::RegisterClassA(&windowClass);
    HWND window =
        ::CreateWindowExA(WS_EX_TOPMOST, MAKEINTATOM(invertingClass), "", WS_POPUP | WS_VISIBLE, 60,
                          600, 150, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    platform::setCursorPosition(129, 650);
    ::mouse_event(MOUSEEVENTF_MOVE, 1, 0, 0, 0);
    pump(200);
    platform::CursorImage image;
    ASSERT_TRUE(platform::currentCursorImage(image));
    ::DestroyWindow(window);
    ASSERT_EQ(image.width, 32);
    ASSERT_EQ(image.inverts.size(), image.argb.size());
    int inverted = 0;
    for (size_t i = 0; i < image.argb.size(); ++i) {
        EXPECT_EQ(image.argb[i], 0u) << i;
        EXPECT_EQ(image.inverts[i], i < 4 * 32 ? 1 : 0) << i;
        inverted += image.inverts[i];
    }
    EXPECT_EQ(inverted, 4 * 32);
}

TEST(InjectTest, KeysTypedThroughTheInjectionReachAnEditControl) {
    HWND edit = ::CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 60,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    ::SetForegroundWindow(edit);
    ::SetFocus(edit);
    pump(300);
    const int16_t k = platform::virtualKeyForCharacter('k');
    const int16_t capitalK = platform::virtualKeyForCharacter('K');
    EXPECT_EQ(k, 'K');
    EXPECT_EQ(capitalK, 0x100 | 'K');  // Shift and the K key
    platform::keyboardEvent(static_cast<uint8_t>(k), 0, platform::kKeyDown);
    platform::keyboardEvent(static_cast<uint8_t>(k), 0, platform::kKeyUp);
    platform::sendVirtualKeyInput(platform::kVirtualKeyLeftShift, platform::kKeyDown);
    platform::sendVirtualKeyInput('V', platform::kKeyDown);
    platform::sendVirtualKeyInput('V', platform::kKeyUp);
    platform::sendVirtualKeyInput(platform::kVirtualKeyLeftShift, platform::kKeyUp);
    pump(300);
    char text[16] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    ::DestroyWindow(edit);
    EXPECT_STREQ(text, "kV");
}

}  // namespace
