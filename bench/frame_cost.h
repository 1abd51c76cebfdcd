// What the frame-cost programs share: the client's full request cycle against a server
// process, its CPU per frame read from /proc, and the table rows beside the floor.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bare_jpeg.h"
#include "cycle_client.h"
#include "platform/screen.h"
#include "protocol/wire.h"
#include "raw_client.h"
#include "server_process.h"

namespace bench_support {

inline double threadCpuMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

struct Cycle {
    size_t frameBytes = 0;
};

// alive, event, the frame request with the whole frame read, crc32, ready.
inline bool requestCycle(testing_support::RawClient& client, bool memoryRoute, Cycle& cycle) {
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

// `cycles` request cycles of a fresh client, `beforeEachCycle` (if any) called before each.
inline Row measureServer(pid_t server, int port, bool memoryRoute, void (*beforeEachCycle)(),
                         int cycles) {
    testing_support::RawClient client(port);
    auto login = korvo::encodeLogin("anna", "secret");
    client.send(login.data(), login.size());
    if (client.receive(2) != testing_support::bytes({0x02, 0x09})) {
        std::fprintf(stderr, "frame cost: login failed\n");
        std::exit(1);
    }
    Cycle cycle;
    for (int warm = 0; warm < 2; ++warm) {
        if (beforeEachCycle != nullptr)
            beforeEachCycle();
        requestCycle(client, memoryRoute, cycle);
    }
    double cpuBefore = processCpuMs(server);
    auto wallBefore = std::chrono::steady_clock::now();
    for (int i = 0; i < cycles; ++i) {
        if (beforeEachCycle != nullptr)
            beforeEachCycle();
        if (!requestCycle(client, memoryRoute, cycle)) {
            std::fprintf(stderr, "frame cost: cycle %d failed\n", i);
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

// The floor: the platform's capture and a bare encode at quality 50, on this thread's
// CPU clock. Back to back, or one frame every pauseMs as the server makes them (between
// two frames the caches are taken over by others, which a tight loop never sees);
// `beforeEachFrame` (if any) is called outside the measured time.
inline Row measureFloor(void (*beforeEachFrame)(), int cycles, int pauseMs) {
    platform::PixelView view;
    double cpu = 0;
    size_t bytes = 0;
    for (int i = 0; i < cycles; ++i) {
        if (beforeEachFrame != nullptr)
            beforeEachFrame();
        if (pauseMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        double before = threadCpuMs();
        if (!platform::captureDisplay(view)) {
            std::fprintf(stderr, "frame cost: no capture\n");
            std::exit(1);
        }
        bytes = bareJpegEncode(view.pixels, view.width, view.height, view.stride, 50);
        cpu += threadCpuMs() - before;
    }
    Row row;
    row.cpuMsPerFrame = cpu / cycles;
    row.frameBytes = bytes;
    return row;
}

inline constexpr int kRounds = 5;
// About what one request cycle takes, by the server's pauses.
inline constexpr int kServerCycleMs = 150;

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The head of the table printRow writes the rows of.
inline void printTableHead() {
    std::printf(
        "| Desktop  | Route                  | CPU/frame | × floor | Wall/cycle | JPEG bytes |\n");
    std::printf("|---|---|---|---|---|---|\n");
}

// Median CPU per frame of the rounds, and the median of each round's ratio to the floor.
inline void printRow(const char* desktop, const char* route, const std::vector<Row>& rows,
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

// One desktop's rows: the floor back to back and paced, the server's two routes beside
// the first, and again beside the paced floor.
inline void printDesktopRows(const char* desktop, const std::vector<Row>& floor,
                             const std::vector<Row>& pacedFloor, const std::vector<Row>& memory,
                             const std::vector<Row>& file) {
    printRow(desktop, "floor, back to back", floor, floor);
    printRow(desktop, "floor, paced", pacedFloor, floor);
    printRow(desktop, "server, memory route", memory, floor);
    printRow(desktop, "server, file route", file, floor);
    printRow(desktop, "memory route / paced", memory, pacedFloor);
    printRow(desktop, "file route / paced", file, pacedFloor);
}

// The server's CPU while a logged-in client sends nothing: its polling.
inline double idleCpuMsPerSecond(pid_t server, int port) {
    testing_support::RawClient client(port);
    auto login = korvo::encodeLogin("anna", "secret");
    client.send(login.data(), login.size());
    client.receive(2);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    double before = processCpuMs(server);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return (processCpuMs(server) - before) / 3;
}

}  // namespace bench_support
