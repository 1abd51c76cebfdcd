// The server's whole CPU per frame, beside the floor. The server runs in a process of its
// own (the real X11 capture on its own 1920x1080 Xvfb, a headless window); a raw client
// in this process runs the full request cycle (alive, event, the frame request with the
// whole frame read, crc32, ready) and reads the server process's CPU time from /proc.
// The floor is what a frame cannot cost less than: XShmGetImage and one bare
// libjpeg-turbo encode of the same desktop at quality 50, timed on this thread, once back
// to back and once paced like the server's frames.
//
// Each row is measured in five rounds, interleaved with the other rows of its desktop, so
// that other load on the machine falls on all of them alike; the medians are printed.
//
//   bench_frame_cost [cycles]     (default 200 per row, in five rounds)
// The program's headers before Xlib's: its None macro would break their enums.
#include "bare_jpeg.h"
#include "frame_cost.h"
#include "platform/screen.h"
#include "protocol/input_event.h"
#include "protocol/wire.h"
// (keep)
#include <X11/Xlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/x11/display_connection.h"
#include "x11/xvfb.h"

namespace {

using bench_support::kRounds;
using bench_support::kServerCycleMs;
using bench_support::measureFloor;
using bench_support::measureServer;
using bench_support::printDesktopRows;
using bench_support::Row;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The part of the desktop that changes each cycle on the changing desktop.
constexpr int kChangeWidth = 480;
constexpr int kChangeHeight = 270;

Display* ownDisplay = nullptr;
Window changingWindow = 0;
int changeStep = 0;

// Puts a window on the desktop whose stripes the bench moves on before every frame.
void showChangingWindow() {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    changingWindow = XCreateWindow(ownDisplay, DefaultRootWindow(ownDisplay), 1300, 600,
                                   kChangeWidth, kChangeHeight, 0, CopyFromParent, InputOutput,
                                   CopyFromParent, CWOverrideRedirect, &attributes);
    XMapRaised(ownDisplay, changingWindow);
    XSync(ownDisplay, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

void hideChangingWindow() {
    XDestroyWindow(ownDisplay, changingWindow);
    XSync(ownDisplay, False);
    changingWindow = 0;
}

// Stripes of changing colours, shifted by one step: some 6 % of the screen is new.
void changeDesktop() {
    if (changingWindow == 0)
        return;
    GC gc = XCreateGC(ownDisplay, changingWindow, 0, nullptr);
    ++changeStep;
    for (int stripe = 0; stripe < 16; ++stripe) {
        unsigned long colour = (static_cast<unsigned long>(stripe * 16 + changeStep * 7) & 0xFF)
                                   << 16 |
                               (static_cast<unsigned long>(changeStep * 13) & 0xFF) << 8 |
                               (static_cast<unsigned long>(stripe * 40) & 0xFF);
        XSetForeground(ownDisplay, gc, colour);
        int x = (stripe * 30 + changeStep * 5) % kChangeWidth;
        XFillRectangle(ownDisplay, changingWindow, gc, x, 0, 30, kChangeHeight);
    }
    XFreeGC(ownDisplay, gc);
    XSync(ownDisplay, False);
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 200;
    testing_support::Xvfb xvfb;
    if (!xvfb.start("1920x1080x24")) {
        std::fprintf(stderr, "bench_frame_cost: Xvfb did not start\n");
        return 1;
    }
    ::setenv("DISPLAY", xvfb.name().c_str(), 1);
    // A terminal with text that stays: the static desktop.
    pid_t terminal =
        testing_support::startProgram({"xterm", "-geometry", "100x40+50+50", "-e", "sh", "-c",
                                       "ls -l /usr/bin; exec sleep 100000"},
                                      xvfb.name());
    std::this_thread::sleep_for(std::chrono::seconds(1));

    // Before this process opens its own display connections.
    bench_support::ServerProcess serverProcess;
    if (!bench_support::startServerProcess(serverProcess)) {
        std::fprintf(stderr, "bench_frame_cost: the server did not start\n");
        return 1;
    }
    const pid_t server = serverProcess.pid;
    const int port = serverProcess.port;
    ownDisplay = XOpenDisplay(xvfb.name().c_str());

    bench_support::printTableHead();
    const int perRound = std::max(1, cycles / kRounds);
    for (bool changing : {false, true}) {
        if (changing)
            showChangingWindow();
        std::vector<Row> floor, pacedFloor, memory, file;
        for (int round = 0; round < kRounds; ++round) {
            floor.push_back(measureFloor(changing ? changeDesktop : nullptr, perRound, 0));
            pacedFloor.push_back(
                measureFloor(changing ? changeDesktop : nullptr, perRound, kServerCycleMs));
            void (*change)() = changing ? changeDesktop : nullptr;
            memory.push_back(measureServer(server, port, true, change, perRound));
            file.push_back(measureServer(server, port, false, change, perRound));
        }
        printDesktopRows(changing ? "changing" : "static", floor, pacedFloor, memory, file);
        if (changing)
            hideChangingWindow();
    }
    std::printf("\nIdle server with one logged-in client: %.2f ms CPU a second.\n",
                bench_support::idleCpuMsPerSecond(server, port));

    bench_support::stopServerProcess(serverProcess);
    testing_support::stopProgram(terminal);
    platform::x11::closeDisplayConnection();
    XCloseDisplay(ownDisplay);
    xvfb.stop();
    return 0;
}
