// The real program as a server on a headless GNOME Wayland session, seen through a plain
// socket: frames of the shared monitor by both routes with the cursor painted in where
// the pointer was sent, a still desktop served frame after frame, typing and clicks into a
// Wayland terminal, the program's windows with and without an X server beside the
// compositor, the desktop portal's consent dialog allowed and refused, and a compositor
// that goes away and comes back. in_private_session.sh provides the session.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
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
        program_ = startServer("bin", port_, desktop_, windowsOffscreen_, xDisplay_);
        ASSERT_GT(program_, 0);
        client_ = testing_support::connectAndLogIn(port_);
        ASSERT_NE(client_, nullptr);
        // Started after the program's window, so that it has the keyboard; the compositor
        // centres it.
        if (terminalAtStart_)
            terminal_ = testing_support::startProgram({"foot", "/bin/sh"});
    }

    // A copy of the program in a folder of its own, serving on `port`, its standard error
    // kept in the folder's "errors" (it says there which desktop it serves). `desktop`
    // (KORVO_DESKTOP) empty lets it choose; `display` names an X display for its windows.
    pid_t startServer(const std::string& name, int port, const std::string& desktop, bool offscreen,
                      const std::string& display) {
        const std::string bin = directory_.file(name);
        std::filesystem::create_directories(bin);
        std::filesystem::copy_file(KORVO_PROGRAM, bin + "/korvo");
        testing_support::writeBytes(
            bin + "/settings.ini",
            "[server]\r\nuser = anna\r\npass = " + korvo::encodePassword("secret") +
                "\r\nport = " + std::to_string(port) +
                "\r\nimage = 5\r\nkeyboard = 1\r\nmouse = 1\r\n"
                "[misc]\r\nstart = server\r\nsuppress = 1\r\nlang = English\r\n");
        if (offscreen)
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (!desktop.empty())
            ::setenv("KORVO_DESKTOP", desktop.c_str(), 1);
        pid_t pid = testing_support::startProgram(
            {"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", bin + "/korvo", bin + "/errors"}, display);
        ::unsetenv("QT_QPA_PLATFORM");
        ::unsetenv("KORVO_DESKTOP");
        return pid;
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

    std::string errors() const { return directory_.file("bin/errors"); }

    bool windowsOffscreen_ = false;
    bool terminalAtStart_ = true;
    int keyPauseMs_ = 0;    // between two typed characters
    std::string desktop_;   // KORVO_DESKTOP for the program under test
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
        bool shown = testing_support::waitForViewableWindow(display, 250);
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

// The desktop portal in the same session (its GNOME backend shows the consent dialog on
// the shared screen), and a second copy of the program on GNOME's interface as the test's
// own remote control, through which it sees the dialog and clicks it.
class PortalTest : public WaylandServerTest {
protected:
    PortalTest() {
        desktop_ = "portal";
        windowsOffscreen_ = true;
        terminalAtStart_ = false;  // it would cover the dialog
        ::setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
        portalBackend_ = testing_support::startProgram({"/usr/libexec/xdg-desktop-portal-gnome"});
        portal_ = testing_support::startProgram({"/usr/libexec/xdg-desktop-portal"});
        for (int i = 0; i < 100 && !portalOnBus(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        remotePort_ = testing_support::freeLoopbackPort();
        // A display name of its own gives it an instance lock of its own; its windows are
        // offscreen, so no X server is asked for.
        remote_ = startServer("remote", remotePort_, "gnome", true, ":4242");
    }

    ~PortalTest() override {
        remoteClient_.reset();
        testing_support::stopProgram(remote_);
        testing_support::stopProgram(portal_);
        testing_support::stopProgram(portalBackend_);
    }

    static bool portalOnBus() {
        return std::system(
                   "gdbus call --session --dest org.freedesktop.DBus --object-path "
                   "/org/freedesktop/DBus --method org.freedesktop.DBus.NameHasOwner "
                   "org.freedesktop.portal.Desktop 2>/dev/null | grep -q true") == 0;
    }

    // Portals before RemoteDesktop version 2 (Debian 12's) ask at every start and give
    // no token to keep.
    static bool portalKeepsConsent() {
        return std::system(
                   "gdbus call --session --dest org.freedesktop.portal.Desktop "
                   "--object-path /org/freedesktop/portal/desktop --method "
                   "org.freedesktop.DBus.Properties.Get "
                   "org.freedesktop.portal.RemoteDesktop version 2>/dev/null | "
                   "grep -q -v 'uint32 1>'") == 0;
    }

    // The blue of the dialog's Share button (and of its switch, once on) in the remote
    // control's frame: how many pixels, and their centre.
    struct Blue {
        long count = 0;
        int x = -1;
        int y = -1;
    };
    Blue blueOnScreen() {
        std::swap(client_, remoteClient_);
        Picture picture = decode(chunkFrame());
        std::swap(client_, remoteClient_);
        long sumX = 0, sumY = 0, count = 0;
        for (int y = 0; y < picture.decoded.height; ++y) {
            for (int x = 0; x < picture.decoded.width; ++x) {
                const uint8_t* p = &picture.decoded.rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
                bool blue = p[0] < 90 && p[1] > 110 && p[1] < 160 && p[2] > 200;
                sumX += blue ? x : 0, sumY += blue ? y : 0, count += blue ? 1 : 0;
            }
        }
        if (count == 0)
            return {};
        return {count, static_cast<int>(sumX / count), static_cast<int>(sumY / count)};
    }

    // The dialog's Share button, waited for a bounded time; x is -1 when none came.
    Blue findShareButton() {
        for (int attempt = 0; attempt < 100; ++attempt) {
            Blue blue = blueOnScreen();
            if (blue.count > 200)
                return blue;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    // A left click at a pixel of the monitor, through the remote control.
    void clickThroughRemote(int x, int y) {
        std::swap(client_, remoteClient_);
        korvo::InputEvent click;
        click.pointerX = static_cast<float>(x) * 10000 / kWidth;
        click.pointerY = static_cast<float>(y) * 10000 / kHeight;
        sendEvent(click);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        click.mouseChanged = 1;
        click.leftClick = 1;
        sendEvent(click);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::swap(client_, remoteClient_);
    }

    void SetUp() override {
        WaylandServerTest::SetUp();
        remoteClient_ = testing_support::connectAndLogIn(remotePort_);
        ASSERT_NE(remoteClient_, nullptr);
    }

    pid_t portal_ = -1;
    pid_t portalBackend_ = -1;
    pid_t remote_ = -1;
    int remotePort_ = 0;
    std::unique_ptr<testing_support::RawClient> remoteClient_;
};

// The dialog's switch "Allow remote interaction" lies below its Share button, and its
// Cancel button to the left, at these distances in this GNOME release.
constexpr int kSwitchFromShareX = -24;
constexpr int kSwitchFromShareY = 200;
constexpr int kCancelFromShareX = -422;

TEST_F(PortalTest, AllowedInTheDialogTheDesktopIsSharedAndTyped) {
    Blue share = findShareButton();
    ASSERT_GT(share.x, 0) << "no consent dialog on the screen";
    // Clicked until the switch shows blue too: a click can come before the dialog takes it.
    bool allowed = false;
    for (int i = 0; i < 5 && !allowed; ++i) {
        clickThroughRemote(share.x + kSwitchFromShareX, share.y + kSwitchFromShareY);
        allowed = blueOnScreen().count > share.count + 200;
    }
    ASSERT_TRUE(allowed) << "the switch for remote interaction did not turn on";
    clickThroughRemote(share.x, share.y);

    Picture shared = firstLitFrame();
    EXPECT_EQ(shared.decoded.width, kWidth) << "no frames of the monitor after the dialog";
    terminal_ = testing_support::startProgram({"foot", "/bin/sh"});
    const std::string touched = directory_.file("ThroughThePortal");
    for (int i = 0; i < 250 && !std::filesystem::exists(touched); ++i) {
        if (i % 50 == 0)
            typeLine("touch " + touched);
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    EXPECT_TRUE(std::filesystem::exists(touched)) << "typing through the portal did not arrive";
    EXPECT_EQ(std::filesystem::exists(directory_.file("bin/portal-token")), portalKeepsConsent())
        << "the consent is kept exactly where the portal gives a token for it";
}

TEST_F(PortalTest, RefusedInTheDialogTheServerGoesOnWithBlackFrames) {
    Blue share = findShareButton();
    ASSERT_GT(share.x, 0) << "no consent dialog on the screen";
    clickThroughRemote(share.x + kCancelFromShareX, share.y);
    for (int i = 0; i < 5; ++i) {
        Picture picture = decode(chunkFrame());
        EXPECT_GT(picture.decoded.width, 0) << "frame " << i;
        EXPECT_EQ(picture.brightest(), 0) << "frame " << i;
    }
    EXPECT_EQ(::kill(program_, 0), 0) << "the server did not survive";
    EXPECT_NE(readBytes(errors()).find("refused"), std::string::npos) << readBytes(errors());
}

// Last of all: it ends the session's own compositor. Qt's Wayland platform (6.4) ends a program
// whose compositor went away, so the program's windows are kept off the compositor here: what is
// tested is the server.
class CompositorRestartTest : public WaylandServerTest {
protected:
    CompositorRestartTest() { windowsOffscreen_ = true; }
};

// The compositor comes back with a monitor of another size, as after a change of resolution
// that restarts the session: the frames follow the new size.
TEST_F(CompositorRestartTest, BlackFramesWhileGoneThenFramesAgainAtTheNewSize) {
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
         std::getenv("WAYLAND_DISPLAY"), "--virtual-monitor", "1024x768"});
    // The terminal needs the new compositor up: started again until it stays.
    Picture again;
    for (int i = 0; i < 30 && (again.brightest() <= 60 || again.decoded.width != 1024); ++i) {
        if (terminal_ > 0 && ::waitpid(terminal_, nullptr, WNOHANG) == terminal_)
            terminal_ = -1;
        if (terminal_ <= 0)
            terminal_ = testing_support::startProgram({"foot", "/bin/sh"});
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        again = decode(chunkFrame());
    }
    EXPECT_EQ(again.decoded.width, 1024) << "the frames kept the old monitor's size";
    EXPECT_EQ(again.decoded.height, 768);
    EXPECT_GT(again.brightest(), 60) << "no frames after the compositor came back";
    EXPECT_EQ(::kill(program_, 0), 0) << "the server did not survive";
}

}  // namespace
