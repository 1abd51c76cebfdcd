// The display probe on an X server that resets when its last client leaves (as a bare
// Xvfb does, and xvfb-run starts one): asking must not make it reset.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/screen.h"
#include "x11/xvfb.h"

namespace {

TEST(DisplayProbe, AskingLeavesABareServerAsItWas) {
    int number = 100 + ::getpid() % 800;
    while (::access(("/tmp/.X" + std::to_string(number) + "-lock").c_str(), F_OK) == 0)
        ++number;
    const std::string display = ":" + std::to_string(number);
    pid_t server = testing_support::startProgram(
        {"Xvfb", display, "-screen", "0", "320x240x24", "-nolisten", "tcp"});
    ::setenv("DISPLAY", display.c_str(), 1);
    for (int i = 0; i < 200 && ::access(("/tmp/.X11-unix/X" + display.substr(1)).c_str(), F_OK);
         ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_TRUE(platform::displayReachable());

    // A mark on the root window survives its writer only while the server does not reset.
    Display* writer = XOpenDisplay(display.c_str());
    ASSERT_NE(writer, nullptr);
    const Atom mark = XInternAtom(writer, "KORVO_PROBE_MARK", False);
    const unsigned char value = 1;
    XChangeProperty(writer, DefaultRootWindow(writer), mark, XA_INTEGER, 8, PropModeReplace, &value,
                    1);
    XCloseDisplay(writer);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    Display* reader = XOpenDisplay(display.c_str());
    ASSERT_NE(reader, nullptr);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom found = XInternAtom(reader, "KORVO_PROBE_MARK", True);
    if (found != None)
        XGetWindowProperty(reader, DefaultRootWindow(reader), found, 0, 1, False, XA_INTEGER, &type,
                           &format, &count, &after, &data);
    EXPECT_EQ(count, 1u) << "the server reset: the probe had left it without a client";
    if (data != nullptr)
        XFree(data);
    XCloseDisplay(reader);
    testing_support::stopProgram(server);
}

}  // namespace
