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
#include "cycle_client.h"
#include "platform/screen.h"
#include "protocol/wire.h"
#include "raw_client.h"
#include "server_process.h"
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

using bench_support::processCpuMs;

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

double threadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Every thread of the process, in milliseconds of CPU (/proc/PID/task/*/schedstat).
struct Cycle {
    size_t frameBytes = 0;
};

// alive, event, the frame request with the whole frame read, crc32, ready.
bool requestCycle(testing_support::RawClient& client, bool memoryRoute, Cycle& cycle) {
    client.send("alive");
    if (client.receive(5) != "alive")
        return false;
    bench_support::sendIdleEvent(client);
    cycle.frameBytes = 0;
    if (memoryRoute) {
        client.send("imag2");
        for (;;) {
            if (client.receive(1).size() != 1)
                return false;
            // A frame's chunks come back to back: a pause of 5 ms ends the last one.
            size_t got = client.receive(korvo::kChunkPayload, 5).size();
            cycle.frameBytes += got;
            if (got != korvo::kChunkPayload)
                break;
        }
        client.send("crc32");
        if (client.receive(5).size() != 5)
            return false;
    } else {
        client.send("image");
        std::string header = client.receive(korvo::kFileHeaderLength);
        if (header.size() != korvo::kFileHeaderLength)
            return false;
        size_t size = korvo::decodeFileSize(reinterpret_cast<const uint8_t*>(header.data()));
        cycle.frameBytes = client.receive(size).size();
        if (cycle.frameBytes != size)
            return false;
    }
    client.send("ready");
    return client.receive(1).size() == 1;
}

struct Row {
    double cpuMsPerFrame = 0;
    double wallMsPerCycle = 0;
    size_t frameBytes = 0;
};

Row measureServer(pid_t server, int port, bool memoryRoute, bool changing, int cycles) {
    testing_support::RawClient client(port);
    auto login = korvo::encodeLogin("anna", "secret");
    client.send(login.data(), login.size());
    if (client.receive(2) != testing_support::bytes({0x02, 0x09})) {
        std::fprintf(stderr, "bench_frame_cost: login failed\n");
        std::exit(1);
    }
    Cycle cycle;
    for (int warm = 0; warm < 2; ++warm) {
        if (changing)
            changeDesktop();
        requestCycle(client, memoryRoute, cycle);
    }
    double cpuBefore = processCpuMs(server);
    auto wallBefore = std::chrono::steady_clock::now();
    for (int i = 0; i < cycles; ++i) {
        if (changing)
            changeDesktop();
        if (!requestCycle(client, memoryRoute, cycle)) {
            std::fprintf(stderr, "bench_frame_cost: cycle %d failed\n", i);
            std::exit(1);
        }
    }
    Row row;
    row.cpuMsPerFrame = (processCpuMs(server) - cpuBefore) / cycles;
    row.wallMsPerCycle =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallBefore)
            .count() /
        cycles;
    row.frameBytes = cycle.frameBytes;
    return row;
}

// XShmGetImage and a bare encode at quality 50, on this thread's CPU clock.
// Back to back, or one frame every pauseMs as the server makes them (between two frames
// the caches are taken over by others, which a tight loop never sees).
Row measureFloor(bool changing, int cycles, int pauseMs) {
    platform::PixelView view;
    double cpu = 0;
    size_t bytes = 0;
    for (int i = 0; i < cycles; ++i) {
        if (changing)
            changeDesktop();
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        double before = threadCpuMs();
        if (!platform::captureDisplay(view)) {
            std::fprintf(stderr, "bench_frame_cost: no capture\n");
            std::exit(1);
        }
        bytes =
            bench_support::bareJpegEncode(view.pixels, view.width, view.height, view.stride, 50);
        cpu += threadCpuMs() - before;
    }
    Row row;
    row.cpuMsPerFrame = cpu / cycles;
    row.frameBytes = bytes;
    return row;
}

constexpr int kRounds = 5;
// About what one request cycle takes, by the server's pauses.
constexpr int kServerCycleMs = 150;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median CPU per frame of the rounds, and the median of each round's ratio to the floor.
void printRow(const char* desktop, const char* route, const std::vector<Row>& rows,
              const std::vector<Row>& floor) {
    std::vector<double> cpu;
    std::vector<double> ratio;
    std::vector<double> wall;
    for (size_t round = 0; round < rows.size(); ++round) {
        cpu.push_back(rows[round].cpuMsPerFrame);
        ratio.push_back(rows[round].cpuMsPerFrame / floor[round].cpuMsPerFrame);
        wall.push_back(rows[round].wallMsPerCycle);
    }
    std::printf("| %-8s | %-22s | %6.2f ms | %5.2f | %7.1f ms | %9zu |\n", desktop, route,
                median(cpu), median(ratio), median(wall), rows.back().frameBytes);
}

// The server's CPU while a logged-in client sends nothing: its polling.
double idleCpuMsPerSecond(pid_t server, int port) {
    testing_support::RawClient client(port);
    auto login = korvo::encodeLogin("anna", "secret");
    client.send(login.data(), login.size());
    client.receive(2);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double before = processCpuMs(server);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return (processCpuMs(server) - before) / 3;
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

    std::printf(
        "| Desktop  | Route                  | CPU/frame | × floor | Wall/cycle | JPEG bytes |\n");
    std::printf("|---|---|---|---|---|---|\n");
    const int perRound = std::max(1, cycles / kRounds);
    for (bool changing : {false, true}) {
        if (changing)
            showChangingWindow();
        std::vector<Row> floor, pacedFloor, memory, file;
        for (int round = 0; round < kRounds; ++round) {
            floor.push_back(measureFloor(changing, perRound, 0));
            pacedFloor.push_back(measureFloor(changing, perRound, kServerCycleMs));
            memory.push_back(measureServer(server, port, true, changing, perRound));
            file.push_back(measureServer(server, port, false, changing, perRound));
        }
        const char* desktop = changing ? "changing" : "static";
        printRow(desktop, "floor, back to back", floor, floor);
        printRow(desktop, "floor, paced", pacedFloor, floor);
        printRow(desktop, "server, memory route", memory, floor);
        printRow(desktop, "server, file route", file, floor);
        printRow(desktop, "memory route / paced", memory, pacedFloor);
        printRow(desktop, "file route / paced", file, pacedFloor);
        if (changing)
            hideChangingWindow();
    }
    std::printf("\nIdle server with one logged-in client: %.2f ms CPU a second.\n",
                idleCpuMsPerSecond(server, port));

    bench_support::stopServerProcess(serverProcess);
    testing_support::stopProgram(terminal);
    platform::x11::closeDisplayConnection();
    XCloseDisplay(ownDisplay);
    xvfb.stop();
    return 0;
}
