// The real program as a server on a headless GNOME Wayland session, seen through a plain
// socket: frames of the shared monitor by both routes with the cursor painted in where
// the pointer was sent, a still desktop served frame after frame, typing and clicks into a Wayland
// terminal, the program's windows with and without an X server beside the compositor, and a
// compositor that goes away and comes back. in_private_session.sh provides the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "integration/raw_client.h"
#include "protocol/input_event.h"
#include "protocol/wire.h"
#include "settings/password.h"
#include "support/program_login.h"
#include "support/programs.h"
#include "support/temp_dir.h"
#include "unit/host_jpeg_support.h"
#include "x11/xvfb.h"

#ifndef KORVO_PROGRAM
#error "KORVO_PROGRAM names the program under test"
#endif

namespace {

using testing_support::readBytes;

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

struct Picture {
    host_testing::Decoded decoded;
    // The brightest pixel's R + G + B: 0 for a black frame.
    int brightest() const {
        int best = 0;
        for (size_t i = 0; i + 2 < decoded.rgb.size(); i += 3)
            best = std::max(best, decoded.rgb[i] + decoded.rgb[i + 1] + decoded.rgb[i + 2]);
        return best;
    }
};

Picture decode(const std::string& jpeg) {
    if (jpeg.size() < 4 || static_cast<uint8_t>(jpeg[0]) != 0xFF ||
        static_cast<uint8_t>(jpeg[1]) != 0xD8)
        return {};
    return {host_testing::decodeJpeg(std::vector<uint8_t>(jpeg.begin(), jpeg.end()))};
}

class WaylandServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(std::getenv("DISPLAY"), nullptr) << "the session has no X server";
        ASSERT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr);
        port_ = testing_support::freeLoopbackPort();
        const std::string bin = directory_.file("bin");
        std::filesystem::create_directories(bin);
        std::filesystem::copy_file(KORVO_PROGRAM, bin + "/korvo");
        testing_support::writeBytes(
            bin + "/settings.ini",
            "[server]\r\nuser = anna\r\npass = " + korvo::encodePassword("secret") +
                "\r\nport = " + std::to_string(port_) +
                "\r\nimage = 5\r\nkeyboard = 1\r\nmouse = 1\r\n"
                "[misc]\r\nstart = server\r\nsuppress = 1\r\nlang = English\r\n");
        if (windowsOffscreen_)
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Standard error kept: the program says there which desktop it serves.
        program_ = testing_support::startProgram(
            {"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", bin + "/korvo", errors()}, xDisplay_);
        ::unsetenv("QT_QPA_PLATFORM");
        ASSERT_GT(program_, 0);
        client_ = testing_support::connectAndLogIn(port_);
        ASSERT_NE(client_, nullptr);
        // Started after the program's window, so that it has the keyboard; the compositor
        // centres it.
        terminal_ = testing_support::startProgram({"foot", "/bin/sh"});
    }

    void TearDown() override {
        client_.reset();
        testing_support::stopProgram(program_);
        testing_support::stopProgram(terminal_);
        testing_support::stopProgram(compositor_);
    }

    // One frame by the memory route: a tag before every 1023 bytes; the frame ends with
    // the JPEG end marker, which appears nowhere else in the stream.
    std::string chunkFrame() {
        client_->send("imag2");
        std::string frame;
        while (frame.size() < 4000000 && client_->receive(1) == "\x01") {
            size_t chunkEnd = frame.size() + 1023;
            while (frame.size() < chunkEnd) {
                std::string part = client_->receiveOnce(chunkEnd - frame.size());
                if (part.empty())
                    return frame;
                frame += part;
                if (frame.size() >= 2 && frame.compare(frame.size() - 2, 2, "\xFF\xD9") == 0)
                    return frame;
            }
        }
        return frame;
    }

    // One frame by the file route: the 12-byte header, then the whole file.
    std::string fileFrame() {
        client_->send("image");
        std::string header = client_->receive(korvo::kFileHeaderLength);
        if (header.size() != korvo::kFileHeaderLength ||
            !korvo::startsWithFileMagic(reinterpret_cast<const uint8_t*>(header.data()),
                                        header.size()))
            return {};
        uint32_t size = korvo::decodeFileSize(reinterpret_cast<const uint8_t*>(header.data()));
        return client_->receive(size);
    }

    // Frames until one shows more than black (the terminal has drawn), bounded.
    Picture firstLitFrame() {
        for (int i = 0; i < 100; ++i) {
            Picture picture = decode(chunkFrame());
            if (picture.brightest() > 60)
                return picture;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    void sendEvent(const korvo::InputEvent& event) {
        uint8_t body[korvo::kInputEventSize];
        korvo::encodeInputEvent(event, body);
        auto message = korvo::encodeEventMessage(body);
        client_->send(message.data(), message.size());
    }

    // Types a line into the terminal, a space as the Space key (a character event
    // holding only a space is trimmed to nothing by the server), then Return.
    void typeLine(const std::string& line) {
        for (char c : line) {
            korvo::InputEvent key = pointer_;
            key.keyKind = c == ' ' ? korvo::kKeyKindVirtualKey : korvo::kKeyKindCharacter;
            key.keyValue[0] = static_cast<uint8_t>(c);
            sendEvent(key);
        }
        korvo::InputEvent enter = pointer_;
        enter.keyKind = korvo::kKeyKindVirtualKey;
        enter.keyValue[0] = 0x0D;
        sendEvent(enter);
    }

    static bool appearsWithin(const std::string& path, const std::string& text) {
        for (int i = 0; i < 250; ++i) {
            if (readBytes(path).find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    std::string errors() const { return directory_.file("errors"); }

    bool windowsOffscreen_ = false;
    std::string xDisplay_;  // an X server beside the compositor, as XWayland would be
    testing_support::TempDir directory_;
    std::unique_ptr<testing_support::RawClient> client_;
    korvo::InputEvent pointer_;
    pid_t terminal_ = -1;
    pid_t program_ = -1;
    pid_t compositor_ = -1;  // a compositor the test started again itself
    int port_ = 0;
};

TEST_F(WaylandServerTest, FramesOfTheMonitorByBothRoutes) {
    Picture lit = firstLitFrame();
    EXPECT_EQ(lit.decoded.width, kWidth);
    EXPECT_EQ(lit.decoded.height, kHeight);
    EXPECT_GT(lit.brightest(), 60) << "the terminal never showed in a frame";

    Picture byFile = decode(fileFrame());
    EXPECT_EQ(byFile.decoded.width, kWidth);
    EXPECT_EQ(byFile.decoded.height, kHeight);
    EXPECT_GT(byFile.brightest(), 60);
}

TEST_F(WaylandServerTest, TheCursorIsPaintedWhereThePointerWasSent) {
    // Over the dark background, right of and below the centred windows.
    pointer_.pointerX = 8594;  // x = 1100
    pointer_.pointerY = 8750;  // y = 700
    const auto brightestNear = [](const Picture& picture, int left, int top) {
        int best = 0;
        for (int y = top; y < top + 20; ++y) {
            for (int x = left; x < left + 20; ++x) {
                const uint8_t* p = &picture.decoded.rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
                best = std::max(best, p[0] + p[1] + p[2]);
            }
        }
        return best;
    };
    ASSERT_LT(brightestNear(firstLitFrame(), 1100, 700), 500) << "not a dark place";
    sendEvent(pointer_);
    bool painted = false;
    for (int i = 0; i < 50 && !painted; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Picture picture = decode(chunkFrame());
        // The arrow's light inside, and nothing of it a little farther left.
        painted = picture.decoded.width == kWidth && brightestNear(picture, 1100, 700) > 600 &&
                  brightestNear(picture, 1040, 700) < 500;
    }
    EXPECT_TRUE(painted) << "no cursor at (1100, 700) in the frames";
}

TEST_F(WaylandServerTest, StillDesktopIsServedFrameAfterFrame) {
    firstLitFrame();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // let the terminal settle
    const std::string first = chunkFrame();
    ASSERT_GT(first.size(), 1000u);
    for (int i = 0; i < 30; ++i) {
        client_->send("ready");
        EXPECT_EQ(client_->receive(1), "\x03");
        EXPECT_EQ(chunkFrame(), first) << "frame " << i << " of a still desktop";
    }
}

TEST_F(WaylandServerTest, TypingAndClicksReachTheTerminal) {
    firstLitFrame();
    pointer_.pointerX = 5000;  // the middle of the monitor, over the terminal
    pointer_.pointerY = 5000;
    sendEvent(pointer_);

    // The temporary folder's name has capitals: Shift is played too.
    // Typed again while the terminal may still be starting.
    const std::string touched = directory_.file("Touched-1");
    for (int i = 0; i < 250 && !std::filesystem::exists(touched); ++i) {
        if (i % 50 == 0)
            typeLine("touch " + touched);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    EXPECT_TRUE(std::filesystem::exists(touched)) << "typing did not create " << touched;

    // Mouse reporting on: the terminal writes each click as an escape sequence, which
    // cat makes visible ("^[[M").
    const std::string clicks = directory_.file("clicks");
    typeLine("printf '\\033[?1000h'; cat -v > " + clicks);
    // Clicked again (each line ended by Return, when cat sees it) until the shell has
    // switched reporting on and cat runs.
    korvo::InputEvent click = pointer_;
    click.mouseChanged = 1;
    click.leftClick = 1;
    for (int i = 0; i < 20 && readBytes(clicks).find("^[[M") == std::string::npos; ++i) {
        sendEvent(click);
        typeLine("");
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    EXPECT_TRUE(appearsWithin(clicks, "^[[M")) << "no click reached the terminal";
}

// An X server beside the compositor, as XWayland is in a GNOME session: the program's
// windows open there (where it can place them), while the desktop it shares is still
// the Wayland one.
class XWaylandTest : public WaylandServerTest {
protected:
    XWaylandTest() {
        if (xvfb_.start("1024x768x24"))
            xDisplay_ = xvfb_.name();
    }

    bool windowShownOnX() {
        Display* display = XOpenDisplay(xDisplay_.c_str());
        if (display == nullptr)
            return false;
        bool shown = false;
        for (int i = 0; i < 250 && !shown; ++i) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned c = 0; c < count; ++c) {
                XWindowAttributes attributes{};
                XGetWindowAttributes(display, children[c], &attributes);
                shown = shown || attributes.map_state == IsViewable;
            }
            if (children != nullptr)
                XFree(children);
            if (!shown)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        XCloseDisplay(display);
        return shown;
    }

    testing_support::Xvfb xvfb_;
};

TEST_F(XWaylandTest, WindowsOpenOnXWhileTheWaylandDesktopIsShared) {
    ASSERT_FALSE(xDisplay_.empty()) << "Xvfb did not start";
    EXPECT_TRUE(windowShownOnX()) << "the main window did not open through X";
    Picture lit = firstLitFrame();
    EXPECT_EQ(lit.decoded.width, kWidth) << "the frames are the Wayland monitor's";
    const std::string said = readBytes(errors());
    EXPECT_EQ(said, "korvo: desktop: GNOME remote desktop (Wayland)\n");
}

// Last of all: it ends the session's own compositor. Qt's Wayland platform (6.4) ends a program
// whose compositor went away, so the program's windows are kept off the compositor here: what is
// tested is the server.
class CompositorRestartTest : public WaylandServerTest {
protected:
    CompositorRestartTest() { windowsOffscreen_ = true; }
};

TEST_F(CompositorRestartTest, BlackFramesWhileGoneThenFramesAgain) {
    ASSERT_GT(firstLitFrame().brightest(), 60);
    pid_t original = static_cast<pid_t>(std::atoi(std::getenv("KORVO_TEST_MUTTER_PID")));
    ASSERT_GT(original, 0);
    ::kill(original, SIGKILL);
    testing_support::stopProgram(terminal_);

    bool black = false;
    for (int i = 0; i < 50 && !black; ++i) {
        Picture picture = decode(chunkFrame());
        black = picture.decoded.width == kWidth && picture.brightest() == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(black) << "frames went on showing a compositor that is gone";

    compositor_ = testing_support::startProgram(
        {"mutter", "--headless", "--wayland", "--no-x11", "--wayland-display",
         std::getenv("WAYLAND_DISPLAY"), "--virtual-monitor", "1280x800"});
    // The terminal needs the new compositor up: started again until it stays.
    Picture again;
    for (int i = 0; i < 20 && again.brightest() <= 60; ++i) {
        if (terminal_ > 0 && ::waitpid(terminal_, nullptr, WNOHANG) == terminal_)
            terminal_ = -1;
        if (terminal_ <= 0)
            terminal_ = testing_support::startProgram({"foot", "/bin/sh"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        again = decode(chunkFrame());
    }
    EXPECT_EQ(again.decoded.width, kWidth);
    EXPECT_GT(again.brightest(), 60) << "no frames after the compositor came back";
    EXPECT_EQ(::kill(program_, 0), 0) << "the server did not survive";
}

}  // namespace
