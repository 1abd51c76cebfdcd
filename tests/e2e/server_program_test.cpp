// The real program as a server on a display of its own, seen through a plain socket:
// it logs the client in, sends frames that show that display, and types what the
// client's events say into a terminal there.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "integration/raw_client.h"
#include "protocol/crc32.h"
#include "protocol/input_event.h"
#include "protocol/wire.h"
#include "settings/password.h"
#include "support/program_login.h"
#include "support/temp_dir.h"
#include "unit/host_jpeg_support.h"
// (keep)
#include <X11/Xlib.h>

#include "x11/xvfb.h"

#ifndef KORVO_PROGRAM
#error "KORVO_PROGRAM names the program under test"
#endif

namespace {

using testing_support::readBytes;
using testing_support::startProgram;
using testing_support::stopProgram;

class ServerProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A black root window, so that the terminal stands out in the frames.
        ASSERT_TRUE(xvfb_.start("1024x768x24", {"-br"}));
        display_ = XOpenDisplay(xvfb_.name().c_str());
        ASSERT_NE(display_, nullptr);
        terminal_ =
            startProgram({"xterm", "-geometry", "80x24+0+0", "-e", "/bin/sh"}, xvfb_.name());
        ASSERT_TRUE(waitForTerminal());

        port_ = testing_support::freeLoopbackPort();
        const std::string bin = directory_.file("bin");
        std::filesystem::create_directories(bin);
        std::filesystem::create_directories(directory_.file("runtime"));
        std::filesystem::copy_file(KORVO_PROGRAM, bin + "/korvo");
        testing_support::writeBytes(
            bin + "/settings.ini",
            "[server]\r\nuser = anna\r\npass = " + korvo::encodePassword("secret") +
                "\r\nport = " + std::to_string(port_) +
                "\r\nimage = 5\r\nkeyboard = 1\r\nmouse = 1\r\n"
                "[misc]\r\nstart = server\r\nsuppress = 1\r\n"
                "lang = English\r\n");
        ::setenv("XDG_RUNTIME_DIR", directory_.file("runtime").c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        program_ = startProgram({bin + "/korvo"}, xvfb_.name());
        ASSERT_GT(program_, 0);
    }

    void TearDown() override {
        stopProgram(program_);
        stopProgram(terminal_);
        if (display_ != nullptr)
            XCloseDisplay(display_);
        xvfb_.stop();
    }

    bool waitForTerminal() { return testing_support::waitForViewableWindow(display_, 500); }

    // Waits a bounded time for the pointer to stand at (x, y), as X reports it.
    bool pointerReaches(int x, int y) {
        for (int i = 0; i < 200; ++i) {
            Window root = 0, child = 0;
            int rootX = -1, rootY = -1, windowX = 0, windowY = 0;
            unsigned mask = 0;
            XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY,
                          &windowX, &windowY, &mask);
            if (rootX == x && rootY == y)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    // One frame by the chunked route: chunks of 1023 bytes until a shorter one.
    static std::string receiveFrame(testing_support::RawClient& client) {
        client.send("imag2");
        std::string frame;
        for (int chunk = 0; chunk < 4000; ++chunk) {
            if (client.receive(1) != "\x01")
                break;
            std::string payload = client.receive(1023, 1000);
            frame += payload;
            if (payload.size() < 1023)
                break;
        }
        return frame;
    }

    static void sendEvent(testing_support::RawClient& client, const korvo::InputEvent& event) {
        uint8_t body[korvo::kInputEventSize];
        korvo::encodeInputEvent(event, body);
        auto message = korvo::encodeEventMessage(body);
        client.send(message.data(), message.size());
    }

    testing_support::Xvfb xvfb_;
    Display* display_ = nullptr;
    testing_support::TempDir directory_;
    pid_t terminal_ = -1;
    pid_t program_ = -1;
    int port_ = 0;
};

TEST_F(ServerProgramTest, FramesShowTheDisplayAndEventsTypeIntoIt) {
    auto client = testing_support::connectAndLogIn(port_);
    ASSERT_NE(client, nullptr);

    std::string frame = receiveFrame(*client);
    ASSERT_GT(frame.size(), 1000u);
    client->send("crc32");
    std::string checksum = client->receive(5);
    ASSERT_EQ(checksum.size(), 5u);
    EXPECT_EQ(korvo::loadLittleEndian32(reinterpret_cast<const uint8_t*>(checksum.data()) + 1),
              korvo::crc32(reinterpret_cast<const uint8_t*>(frame.data()), frame.size()));

    host_testing::Decoded picture =
        host_testing::decodeJpeg(std::vector<uint8_t>(frame.begin(), frame.end()));
    ASSERT_EQ(picture.width, 1024);
    ASSERT_EQ(picture.height, 768);
    const auto brightness = [&](int x, int y) {
        const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * 1024 + x) * 3];
        return p[0] + p[1] + p[2];
    };
    EXPECT_GT(brightness(60, 90), 600) << "the terminal's white background";
    EXPECT_LT(brightness(900, 700), 60) << "the black root window";

    // Point into the terminal where the program's own window (centred) does not cover it;
    // the keyboard follows the pointer without a window manager. Then type a command character by
    // character and end it with Return.
    const std::string output = directory_.file("typed.txt");
    korvo::InputEvent pointer;
    pointer.pointerX = 1000;  // 1/10000 of the width: x = 102, left of the program's window
    pointer.pointerY = 800;   // y = 61
    sendEvent(*client, pointer);
    EXPECT_TRUE(pointerReaches(102, 61)) << "1000 x 1024 / 10000 and 800 x 768 / 10000";
    // A space travels as the Space key: a character event holding only a space is
    // trimmed to nothing by the server.
    for (char c : "echo Typed 42 > " + output) {
        korvo::InputEvent key = pointer;
        key.keyKind = c == ' ' ? korvo::kKeyKindVirtualKey : korvo::kKeyKindCharacter;
        key.keyValue[0] = static_cast<uint8_t>(c);
        sendEvent(*client, key);
    }
    korvo::InputEvent enter = pointer;
    enter.keyKind = korvo::kKeyKindVirtualKey;
    enter.keyValue[0] = 0x0D;
    sendEvent(*client, enter);

    std::string written;
    for (int i = 0; i < 500 && written.find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        written = readBytes(output);
    }
    EXPECT_EQ(written, "Typed 42\n");

    // The next frame shows the typed line: it differs from the first.
    std::string after = receiveFrame(*client);
    EXPECT_GT(after.size(), 1000u);
    EXPECT_NE(after, frame);
}

}  // namespace
