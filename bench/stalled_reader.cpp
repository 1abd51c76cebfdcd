// One client runs the full request cycle against the server (in a process of its own,
// capturing its own 1920x1080 Xvfb with a terminal running top and a clock on it), first
// alone, then while logged-in clients ask for frames and stop reading, one after another:
// each next one as soon as the server has dropped the last. Reports the cycling client's
// frame rate and longest gap between two frames in both halves, and how long each stalled
// reader took to be dropped. 127.0.0.1 only.
//
//   stalled_reader [seconds per half]     (default 60)
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "cycle_client.h"
// Last: it brings in X11 headers, whose macros would spoil the others.
#include "busy_desktop.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Half {
    int frames = 0;
    int mismatches = 0;
    double longestGapS = 0;
    double seconds = 0;
    bool ended = false;
};

// Cycles for `seconds`, counting frames and the longest time between two.
Half runCycles(testing_support::RawClient& client, double seconds) {
    Half half;
    const auto start = Clock::now();
    auto last = start;
    while (secondsSince(start) < seconds) {
        bool matches = false;
        std::string reason;
        if (!bench_support::requestCycle(client, matches, reason)) {
            std::fprintf(stderr, "stalled_reader: the cycling client ended: %s\n", reason.c_str());
            half.ended = true;
            break;
        }
        const auto now = Clock::now();
        half.longestGapS =
            std::max(half.longestGapS, std::chrono::duration<double>(now - last).count());
        last = now;
        ++half.frames;
        half.mismatches += matches ? 0 : 1;
    }
    half.seconds = secondsSince(start);
    return half;
}

std::atomic<bool> attacking{false};
std::vector<double> dropSeconds;

// True when the server closed the connection within waitMs.
bool closedByServer(int fd, int waitMs) {
    pollfd entry{fd, POLLRDHUP, 0};
    return ::poll(&entry, 1, waitMs) > 0 && (entry.revents & (POLLRDHUP | POLLHUP)) != 0;
}

// Stalled readers one after another: each logs in with a 4 KB receive buffer, asks for 100
// frames and reads nothing.
void stalledReaders(int port) {
    while (attacking) {
        auto reader = bench_support::loggedInClient(port, 4096);
        std::string requests;
        for (int r = 0; r < 100; ++r)
            requests += "imag2";
        reader->send(requests);
        const auto start = Clock::now();
        while (attacking && !closedByServer(reader->socket(), 100)) {
        }
        if (attacking)
            dropSeconds.push_back(secondsSince(start));
    }
}

void print(const char* name, const Half& half) {
    std::printf(
        "| %s | %d frames in %.1f s | %.2f frames/s | longest gap %.3f s | %d mismatched%s |\n",
        name, half.frames, half.seconds, half.frames / half.seconds, half.longestGapS,
        half.mismatches, half.ended ? " | ended" : "");
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60;
    bench_support::BusyDesktop desktop;
    if (!desktop.start()) {
        std::fprintf(stderr, "stalled_reader: Xvfb did not start\n");
        return 1;
    }

    bench_support::ServerProcess server;
    if (!bench_support::startServerProcess(server)) {
        std::fprintf(stderr, "stalled_reader: the server did not start\n");
        return 1;
    }
    auto client = bench_support::loggedInClient(server.port);
    runCycles(*client, 2);  // warm-up: the server's display connection opens

    const Half alone = runCycles(*client, seconds);
    attacking = true;
    std::thread attacker(stalledReaders, server.port);
    const Half attacked = runCycles(*client, seconds);
    attacking = false;
    attacker.join();

    std::printf("| | frames | rate | longest gap | checksums |\n|---|---|---|---|---|\n");
    print("alone", alone);
    print("with stalled readers", attacked);
    std::printf("\nRate with stalled readers: %.1f %% of alone.\n",
                100.0 * (attacked.frames / attacked.seconds) / (alone.frames / alone.seconds));
    if (!dropSeconds.empty()) {
        auto [low, high] = std::minmax_element(dropSeconds.begin(), dropSeconds.end());
        std::printf("Stalled readers dropped: %zu, each %.2f to %.2f s after its requests.\n",
                    dropSeconds.size(), *low, *high);
    }

    bench_support::stopServerProcess(server);
    desktop.stop();
    return 0;
}
