// The server's whole CPU per frame on a GNOME Wayland desktop, beside the floor, and what
// the compositor spends meanwhile. Runs inside a headless GNOME session (make
// bench-wayland starts one through tests/wayland/in_private_session.sh). The server runs
// in a process of its own with the Wayland backend; a raw client in this process runs the
// full request cycle and reads the server's CPU time from /proc. The floor is this
// process's own capture through the same backend (the newest PipeWire frame) and one bare
// libjpeg-turbo encode of it at quality 50, on this thread's CPU clock.
//
// The static desktop is a terminal with a page of text; on the changing one a second
// terminal prints a line every 20 ms, so that the terminal scrolls.
//
//   wayland_frame_cost [cycles]     (default 100 per row, in five rounds)
#include "bare_jpeg.h"
#include "frame_cost.h"
#include "platform/screen.h"
#include "support/programs.h"

namespace {

using bench_support::kRounds;
using bench_support::kServerCycleMs;
using bench_support::measureFloor;
using bench_support::measureServer;
using bench_support::printDesktopRows;
using bench_support::processCpuMs;
using bench_support::Row;

// The first frame of this process's own session, waited for a bounded time.
bool firstFrame(platform::Size& size) {
    platform::startSharingDisplay("");  // nothing to keep between runs
    platform::PixelView view;
    for (int i = 0; i < 100; ++i) {
        if (platform::primaryDisplaySize(size) && platform::captureDisplay(view))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 100;
    const char* mutterPid = std::getenv("KORVO_TEST_MUTTER_PID");
    if (std::getenv("WAYLAND_DISPLAY") == nullptr || mutterPid == nullptr) {
        std::fprintf(stderr, "wayland_frame_cost: run it in tests/wayland/in_private_session.sh\n");
        return 1;
    }
    const pid_t compositor = static_cast<pid_t>(std::atoi(mutterPid));
    pid_t page =
        testing_support::startProgram({"foot", "sh", "-c", "ls -l /usr/bin; exec sleep 100000"});
    std::this_thread::sleep_for(std::chrono::seconds(1));

    // Before this process starts threads of its own.
    bench_support::ServerProcess serverProcess;
    if (!bench_support::startServerProcess(serverProcess)) {
        std::fprintf(stderr, "wayland_frame_cost: the server did not start\n");
        return 1;
    }
    const pid_t server = serverProcess.pid;
    const int port = serverProcess.port;
    platform::Size size;
    if (!firstFrame(size)) {
        std::fprintf(stderr, "wayland_frame_cost: no frame from the compositor\n");
        return 1;
    }
    std::printf("Monitor %d x %d\n\n", size.width, size.height);
    bench_support::printTableHead();
    const int perRound = std::max(1, cycles / kRounds);
    double compositorMsPerSecond[2] = {0, 0};
    for (bool changing : {false, true}) {
        pid_t printer = changing
                            ? testing_support::startProgram(
                                  {"foot", "sh", "-c", "while :; do date +%s%N; sleep 0.02; done"})
                            : -1;
        if (changing)
            std::this_thread::sleep_for(std::chrono::seconds(1));
        std::vector<Row> floor, pacedFloor, memory, file;
        std::vector<double> compositorCpu;
        for (int round = 0; round < kRounds; ++round) {
            floor.push_back(measureFloor(nullptr, perRound, 0));
            pacedFloor.push_back(measureFloor(nullptr, perRound, kServerCycleMs));
            double compositorBefore = processCpuMs(compositor);
            auto wallBefore = std::chrono::steady_clock::now();
            memory.push_back(measureServer(server, port, true, nullptr, perRound));
            double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore)
                    .count();
            compositorCpu.push_back((processCpuMs(compositor) - compositorBefore) / seconds);
            file.push_back(measureServer(server, port, false, nullptr, perRound));
        }
        printDesktopRows(changing ? "changing" : "static", floor, pacedFloor, memory, file);
        compositorMsPerSecond[changing ? 1 : 0] = bench_support::median(compositorCpu);
        if (changing)
            testing_support::stopProgram(printer);
    }
    std::printf(
        "\nCompositor while one client is served by the memory route: %.1f ms CPU a "
        "second on the static desktop, %.1f ms on the changing one.\n",
        compositorMsPerSecond[0], compositorMsPerSecond[1]);
    std::printf("Idle server with one logged-in client: %.2f ms CPU a second.\n",
                bench_support::idleCpuMsPerSecond(server, port));
    bench_support::stopServerProcess(serverProcess);
    testing_support::stopProgram(page);
    return 0;
}
