// Typing through the injector into a real terminal: the command it runs writes a file.
// gtest before Xlib: Xlib's None and Bool macros would break gtest's headers.
#include <gtest/gtest.h>
// (keep)
#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/inject.h"
#include "support/temp_dir.h"
#include "x11/display_fixture.h"

namespace {

using testing_support::readBytes;
using testing_support::startProgram;
using testing_support::stopProgram;

class TypingTest : public testing_support::DisplayTest {
protected:
    void TearDown() override {
        stopProgram(terminal_);
        DisplayTest::TearDown();
    }

    // Waits a bounded time for a top-level window to be shown.
    bool waitForWindow() {
        for (int i = 0; i < 500; ++i) {
            Window rootReturn = 0;
            Window parent = 0;
            Window* children = nullptr;
            unsigned count = 0;
            bool shown = false;
            if (XQueryTree(display_, root_, &rootReturn, &parent, &children, &count)) {
                for (unsigned c = 0; c < count && !shown; ++c) {
                    XWindowAttributes attributes{};
                    shown = XGetWindowAttributes(display_, children[c], &attributes) &&
                            attributes.map_state == IsViewable;
                }
                XFree(children);
            }
            if (shown)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    static void pressKey(uint8_t virtualKey) {
        platform::keyboardEvent(virtualKey, 0, platform::kKeyDown);
        platform::keyboardEvent(virtualKey, 0, platform::kKeyUp);
    }

    // Types each character on the key and Shift state the keyboard map reports for it.
    static void typeText(const std::string& text) {
        for (char character : text) {
            int16_t key = platform::virtualKeyForCharacter(static_cast<uint8_t>(character));
            ASSERT_GE(key, 0) << "no key for '" << character << "'";
            bool shift = (key & 0x100) != 0;
            if (shift)
                platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyDown);
            pressKey(static_cast<uint8_t>(key & 0xFF));
            if (shift)
                platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyUp);
        }
    }

    pid_t terminal_ = -1;
};

TEST_F(TypingTest, CommandTypedIntoATerminalWritesItsFile) {
    ASSERT_NO_FATAL_FAILURE(startDisplay("1024x768x24"));
    testing_support::TempDir directory;
    std::string output = directory.file("typed.txt");
    terminal_ = startProgram({"xterm", "-geometry", "80x24+0+0", "-e", "/bin/sh"}, xvfb_.name());
    ASSERT_GT(terminal_, 0);
    ASSERT_TRUE(waitForWindow()) << "the terminal did not show";
    // No window manager: the keyboard follows the pointer.
    platform::setCursorPosition(200, 100);

    typeText("echo Korvo Typed 42x");
    pressKey(0x08);  // Backspace takes the x back
    pressKey(0x67);  // keypad 7, whatever Num Lock says
    typeText(" > " + output);
    pressKey(0x0D);

    std::string written;
    for (int i = 0; i < 500 && written.find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        written = readBytes(output);
    }
    EXPECT_EQ(written, "Korvo Typed 427\n");
}

}  // namespace
