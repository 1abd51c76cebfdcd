// The real program twice, on two displays of their own: a server sharing a desktop with
// a terminal on it, and a client logged in to it. The client's view shows the server's
// desktop, and what is typed and clicked over the view happens in the terminal.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "integration/raw_client.h"
#include "settings/password.h"
#include "support/temp_dir.h"
#include "x11/xvfb.h"

#ifndef KORVO_PROGRAM
#error "KORVO_PROGRAM names the program under test"
#endif

namespace {

using testing_support::startProgram;
using testing_support::stopProgram;

// A display's whole screen as 0xRRGGBB values, row by row.
struct Screen {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Screen grab(Display* display) {
    Screen screen;
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image == nullptr)
        return screen;
    screen.width = attributes.width;
    screen.height = attributes.height;
    screen.pixels.resize(static_cast<size_t>(screen.width) * screen.height);
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x)
            screen.pixels[static_cast<size_t>(y) * screen.width + x] =
                static_cast<uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF;
    XDestroyImage(image);
    return screen;
}

int difference(uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        sum +=
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return sum;
}

bool bright(uint32_t pixel) {
    return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF) > 600;
}

// The mean difference of a pixel (three channels summed) between the server's screen
// and the view that JPEG at quality 70 and the painted cursor leave (about 2); a view a
// few pixels off differs by far more.
constexpr double kCloseMatch = 8;

struct Match {
    int x = 0;
    int y = 0;
    double meanDifference = std::numeric_limits<double>::max();  // per pixel, three channels
};

// Where in `shown` the picture `source` lies 1:1, judged on a grid of sample points
// every `step` pixels, trying every `stride`th placement.
Match bestPlacement(const Screen& source, const Screen& shown, int step, int stride, int fromX,
                    int toX, int fromY, int toY) {
    Match best;
    for (int dy = fromY; dy <= toY; dy += stride)
        for (int dx = fromX; dx <= toX; dx += stride) {
            long total = 0, samples = 0;
            for (int y = step / 2; y < source.height; y += step)
                for (int x = step / 2; x < source.width; x += step, ++samples)
                    total += difference(source.at(x, y), shown.at(x + dx, y + dy));
            const double mean = static_cast<double>(total) / static_cast<double>(samples);
            if (mean < best.meanDifference)
                best = {dx, dy, mean};
        }
    return best;
}

class ClientProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Black root windows, so that the terminal and the view stand out.
        ASSERT_TRUE(serverDesktop_.start("1024x768x24", {"-br"}));
        ASSERT_TRUE(clientDesktop_.start("1280x1024x24", {"-br"}));
        serverDisplay_ = XOpenDisplay(serverDesktop_.name().c_str());
        clientDisplay_ = XOpenDisplay(clientDesktop_.name().c_str());
        ASSERT_NE(serverDisplay_, nullptr);
        ASSERT_NE(clientDisplay_, nullptr);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        std::filesystem::create_directories(directory_.file("runtime"));
        ::setenv("XDG_RUNTIME_DIR", directory_.file("runtime").c_str(), 1);

        const int port = testing_support::freeLoopbackPort();
        const std::string login =
            "user = anna\r\npass = " + korvo::encodePassword("secret") + "\r\n";
        server_ = startKorvo("server", serverDesktop_.name(),
                             "[server]\r\n" + login + "port = " + std::to_string(port) +
                                 "\r\nimage = 7\r\nkeyboard = 1\r\nmouse = 1\r\n[misc]\r\n"
                                 "start = server\r\nsuppress = 1\r\n");
        // After the server's window, so that it lies above it.
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::filesystem::create_directories(directory_.file("work"));
        terminal_ = startProgram({"xterm", "-geometry", "80x24+0+0", "-e", "/bin/sh", "-c",
                                  "cd '" + directory_.file("work") + "' && exec /bin/sh"},
                                 serverDesktop_.name());
        client_ = startKorvo("client", clientDesktop_.name(),
                             "[client]\r\nip = 127.0.0.1\r\nport = " + std::to_string(port) +
                                 "\r\n" + login + "[misc]\r\nstart = client\r\nsuppress = 1\r\n");
    }

    void TearDown() override {
        stopProgram(client_);
        stopProgram(terminal_);
        stopProgram(server_);
        if (clientDisplay_ != nullptr)
            XCloseDisplay(clientDisplay_);
        if (serverDisplay_ != nullptr)
            XCloseDisplay(serverDisplay_);
    }

    // Each copy reads settings.ini beside itself: a directory of its own.
    pid_t startKorvo(const std::string& role, const std::string& display,
                     const std::string& settings) {
        const std::string bin = directory_.file(role);
        std::filesystem::create_directories(bin);
        std::filesystem::copy_file(KORVO_PROGRAM, bin + "/korvo");
        testing_support::writeBytes(bin + "/settings.ini", settings + "lang = English\r\n");
        return startProgram({bin + "/korvo"}, display);
    }

    // Where the server's desktop lies in the client's screen. It fits the client's, so the
    // view is sized to show it 1:1; the view is found where the server's picture matches
    // best, and must match closely: only JPEG's loss and the painted cursor differ.
    Match findView(Screen& source) {
        Match match;
        for (int attempt = 0; attempt < 40 && match.meanDifference > kCloseMatch; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            source = grab(serverDisplay_);
            const Screen shown = grab(clientDisplay_);
            if (source.width != 1024 || shown.width < source.width)
                continue;
            const int roomX = shown.width - source.width;
            const int roomY = shown.height - source.height;
            const Match coarse = bestPlacement(source, shown, 16, 2, 0, roomX, 0, roomY);
            match = bestPlacement(source, shown, 4, 1, std::max(0, coarse.x - 2),
                                  std::min(roomX, coarse.x + 2), std::max(0, coarse.y - 2),
                                  std::min(roomY, coarse.y + 2));
        }
        return match;
    }

    testing_support::TempDir directory_;
    testing_support::Xvfb serverDesktop_;
    testing_support::Xvfb clientDesktop_;
    Display* serverDisplay_ = nullptr;
    Display* clientDisplay_ = nullptr;
    pid_t server_ = -1;
    pid_t terminal_ = -1;
    pid_t client_ = -1;
};

TEST_F(ClientProgramTest, TheClientsViewShowsTheServersDesktop) {
    ASSERT_GT(client_, 0);
    Screen source;
    const Match match = findView(source);
    EXPECT_LT(match.meanDifference, kCloseMatch) << "at " << match.x << ", " << match.y;

    // Not black on black: the terminal's white face is among what matched.
    const Screen shown = grab(clientDisplay_);
    int brightMatched = 0;
    for (int y = 20; y < 300; y += 10)
        for (int x = 20; x < 460; x += 10)
            brightMatched += bright(source.at(x, y)) && bright(shown.at(x + match.x, y + match.y));
    EXPECT_GT(brightMatched, 1000);
}

// The client's pointer over the terminal in the view, a click and a command typed there
// (capital letter, digit, space, Enter): the command runs in the server's terminal.
TEST_F(ClientProgramTest, TypingAndClickingOverTheViewRunsACommandInTheServersTerminal) {
    ASSERT_GT(client_, 0);
    Screen source;
    const Match match = findView(source);
    ASSERT_LT(match.meanDifference, kCloseMatch);

    const std::string display = "DISPLAY=" + clientDesktop_.name();
    const std::string overTerminal =
        std::to_string(match.x + 240) + " " + std::to_string(match.y + 150);
    const std::string drive =
        display + " xdotool search --name '^Korvo v1.1$' windowfocus --sync mousemove " +
        overTerminal + " sleep 1 click 1 sleep 1 type --delay 120 'touch Korvo7' && " + display +
        " xdotool key Return";
    ASSERT_EQ(std::system(drive.c_str()), 0);

    const std::filesystem::path written = directory_.file("work") + "/Korvo7";
    for (int i = 0; i < 100 && !std::filesystem::exists(written); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(std::filesystem::exists(written));
}

}  // namespace
