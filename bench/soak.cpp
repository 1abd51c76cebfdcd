// Load and attack together: 20 logged-in clients run the full request cycle (alive,
// event, imag2 with the whole frame read, crc32 checked against the frame, ready) against
// one server, in a process of its own, capturing its own 1920x1080 Xvfb with a terminal
// running top and a clock on it, while hostile connections from the same address do what
// a stranger on the network would:
//   1. a logged-in client asks for frames and stops reading (another every 100 s);
//   2. a connection that never logs in pipelines "alive" without reading;
//   3. eight connections send one byte every two seconds;
//   4. a flood of connections (some 200 a second) and 50 silent ones;
//   5. password guesses, 16 a second.
// It reports each client's frames per minute, the server's resident memory and its
// descriptors before and after, and what each attack got. 127.0.0.1 only.
//
//   soak [seconds] [noflood]     (default 600; noflood leaves attack 4 out, whose
//                                 connections from the same address otherwise push the
//                                 pipelining and guessing connections out first)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "cycle_client.h"
// Last: it brings in X11 headers, whose macros would spoil the others.
#include "busy_desktop.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::RawClient;

constexpr int kClients = 20;
constexpr int kStuckReaders = 5;

std::atomic<bool> running{true};
Clock::time_point loadStart;
int port = 0;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepFor(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

using bench_support::loginMessage;

// True when the server has closed the connection, whatever is still unread.
bool closedByServer(int fd, int waitMs) {
    pollfd entry{fd, POLLRDHUP, 0};
    return ::poll(&entry, 1, waitMs) > 0 && (entry.revents & (POLLRDHUP | POLLHUP)) != 0;
}

int rawSocket(bool nonBlocking = false, int receiveBuffer = 0) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
        errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const std::string& bytes) {
    return ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
           static_cast<ssize_t>(bytes.size());
}

// --- the clients -----------------------------------------------------------------------

struct ClientRecord {
    std::vector<int> framesPerMinute;
    int checksumMismatches = 0;
    double longestGapS = 0;
    std::string endedBy;  // empty while it runs to the end
};

std::mutex recordsMutex;
std::vector<ClientRecord> records(kClients);

bool requestCycle(RawClient& client, ClientRecord& record, std::string& reason) {
    bool matches = false;
    if (!bench_support::requestCycle(client, matches, reason))
        return false;
    std::lock_guard lock(recordsMutex);
    if (!matches)
        ++record.checksumMismatches;
    return true;
}

void runClient(int index, std::unique_ptr<RawClient> client) {
    ClientRecord& record = records[static_cast<size_t>(index)];
    auto lastFrame = Clock::now();
    while (running) {
        std::string reason;
        if (!requestCycle(*client, record, reason)) {
            std::lock_guard lock(recordsMutex);
            record.endedBy = reason;
            return;
        }
        auto now = Clock::now();
        std::lock_guard lock(recordsMutex);
        size_t minute = static_cast<size_t>(secondsSince(loadStart) / 60);
        if (record.framesPerMinute.size() <= minute)
            record.framesPerMinute.resize(minute + 1, 0);
        ++record.framesPerMinute[minute];
        record.longestGapS =
            std::max(record.longestGapS, std::chrono::duration<double>(now - lastFrame).count());
        lastFrame = now;
    }
}

std::unique_ptr<RawClient> loggedInClient() {
    return bench_support::loggedInClient(port);
}

// --- the attacks -------------------------------------------------------------------------

struct AttackRecord {
    std::atomic<int> stuckDropped{0};
    std::atomic<int> stuckNotDropped{0};
    std::atomic<double> longestStuckS{0};
    std::atomic<int> pipelineRuns{0};
    std::atomic<int> pipelineMostAnswers{0};
    std::atomic<int> slowClosed{0};
    std::atomic<int> floodOpened{0};
    std::atomic<int> silentOpened{0};
    std::atomic<int> silentClosedWithin12s{0};
    std::atomic<int> guesses{0};
    std::atomic<int> guessesRefused{0};
    std::atomic<int> guessesAccepted{0};
    std::atomic<int> guessesUnanswered{0};
    std::atomic<double> slowestGuessS{0};
} attacks;

void raiseTo(std::atomic<double>& value, double candidate) {
    double seen = value.load();
    while (candidate > seen && !value.compare_exchange_weak(seen, candidate)) {
    }
}

// 1. Logged in before the guessing starts, with a small receive buffer; each in turn asks
// for 100 frames and reads none.
int stuckReader() {
    int fd = rawSocket(false, 4096);
    char answer[2] = {};
    if (fd < 0 || !sendAll(fd, loginMessage(bench_support::kPassword)) ||
        ::recv(fd, answer, 2, MSG_WAITALL) != 2 || answer[1] != 0x09) {
        std::fprintf(stderr, "soak: a stuck reader could not log in\n");
        std::exit(1);
    }
    return fd;
}

void stuckReaders(std::vector<int> readers, int seconds) {
    for (size_t i = 0; i < readers.size() && running; ++i) {
        const double at =
            seconds * static_cast<double>(i + 1) / static_cast<double>(readers.size() + 1);
        while (running && secondsSince(loadStart) < at)
            sleepFor(100);
        std::string requests;
        // More frames than the socket buffers of both ends hold.
        for (int r = 0; r < 100; ++r)
            requests += "imag2";
        sendAll(readers[i], requests);
        auto start = Clock::now();
        bool dropped = false;
        // Its frames fill the socket buffers first; once it has taken nothing of the
        // frame that waits for it for 3 s, it is dropped.
        while (running && !dropped && secondsSince(start) < 90)
            dropped = closedByServer(readers[i], 100);
        (dropped ? attacks.stuckDropped : attacks.stuckNotDropped)++;
        raiseTo(attacks.longestStuckS, secondsSince(start));
    }
    for (int fd : readers)
        ::close(fd);
}

// 2. Never logs in, asks and asks without reading.
void pipeliner() {
    std::string requests;
    for (int r = 0; r < 1000; ++r)
        requests += "alive";
    while (running) {
        int fd = rawSocket();
        if (fd < 0) {
            sleepFor(100);
            continue;
        }
        sendAll(fd, requests);
        closedByServer(fd, 5000);
        char buffer[65536];
        ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        int answers = got > 0 ? static_cast<int>(got / 5) : 0;
        attacks.pipelineMostAnswers = std::max(attacks.pipelineMostAnswers.load(), answers);
        ++attacks.pipelineRuns;
        ::close(fd);
        sleepFor(1000);
    }
}

// 3. Eight connections, one byte every two seconds each.
void slowSenders() {
    std::vector<int> fds(8, -1);
    while (running) {
        for (int& fd : fds) {
            if (fd >= 0 && closedByServer(fd, 0)) {
                ++attacks.slowClosed;
                ::close(fd);
                fd = -1;
            }
            if (fd < 0)
                fd = rawSocket();
            if (fd >= 0)
                sendAll(fd, "a");
        }
        sleepFor(2000);
    }
    for (int fd : fds)
        if (fd >= 0)
            ::close(fd);
}

// 4. A new connection every 5 ms, each dropped by us a second later; and every minute 50
// that stay silent.
void flood() {
    std::deque<std::pair<Clock::time_point, int>> open;
    std::vector<std::pair<Clock::time_point, int>> silent;
    auto lastSilent = Clock::now() - std::chrono::minutes(1);
    while (running) {
        int newest = rawSocket(true);
        if (newest >= 0) {
            open.emplace_back(Clock::now(), newest);
            ++attacks.floodOpened;
        }
        while (!open.empty() && secondsSince(open.front().first) > 1) {
            ::close(open.front().second);
            open.pop_front();
        }
        if (secondsSince(lastSilent) >= 60) {
            for (auto& [when, fd] : silent)
                ::close(fd);
            silent.clear();
            for (int i = 0; i < 50; ++i) {
                int quiet = rawSocket();
                if (quiet >= 0)
                    silent.emplace_back(Clock::now(), quiet);
            }
            attacks.silentOpened += static_cast<int>(silent.size());
            lastSilent = Clock::now();
        }
        for (auto& [when, fd] : silent) {
            if (fd >= 0 && secondsSince(when) <= 12 && closedByServer(fd, 0)) {
                ++attacks.silentClosedWithin12s;
                ::close(fd);
                fd = -1;
            }
        }
        sleepFor(5);
    }
    for (auto& [when, fd] : open)
        ::close(fd);
    for (auto& [when, fd] : silent)
        if (fd >= 0)
            ::close(fd);
}

// 5. Sixteen wrong passwords a second.
void guesser() {
    int n = 0;
    while (running) {
        auto start = Clock::now();
        RawClient guess(port);
        guess.send(loginMessage("guess" + std::to_string(n++)));
        std::string answer = guess.receive(2, 3000);
        raiseTo(attacks.slowestGuessS, secondsSince(start));
        ++attacks.guesses;
        if (answer == testing_support::bytes({0x02, 0xFF}))
            ++attacks.guessesRefused;
        else if (answer.size() == 2 && answer[1] == 0x09)
            ++attacks.guessesAccepted;
        else
            ++attacks.guessesUnanswered;
        sleepFor(std::max(0, 62 - static_cast<int>(secondsSince(start) * 1000)));
    }
}

// --- the report ----------------------------------------------------------------------------

void report(int seconds, const std::vector<long>& residentKb, int descriptorsBefore,
            int descriptorsAfter) {
    const size_t minutes = static_cast<size_t>(seconds / 60);
    std::printf(
        "## Clients (frames per full minute)\n\n| Client | per minute | mismatched "
        "checksums | longest gap | ended by |\n|---|---|---|---|---|\n");
    std::vector<int> all;
    std::vector<int> totals;
    for (int c = 0; c < kClients; ++c) {
        const ClientRecord& record = records[static_cast<size_t>(c)];
        std::string perMinute;
        int total = 0;
        for (size_t m = 0; m < minutes; ++m) {
            int frames = m < record.framesPerMinute.size() ? record.framesPerMinute[m] : 0;
            perMinute += (m ? " " : "") + std::to_string(frames);
            all.push_back(frames);
            total += frames;
        }
        totals.push_back(total);
        std::printf("| %d | %s | %d | %.1f s | %s |\n", c + 1, perMinute.c_str(),
                    record.checksumMismatches, record.longestGapS,
                    record.endedBy.empty() ? "-" : record.endedBy.c_str());
    }
    if (!all.empty()) {
        double mean =
            std::accumulate(totals.begin(), totals.end(), 0.0) / static_cast<double>(totals.size());
        auto [low, high] = std::minmax_element(totals.begin(), totals.end());
        std::printf(
            "\nFewest frames in any client's minute: %d; most: %d. Frames per client "
            "over the run: %d to %d, spread %.1f %% of the mean (%.0f).\n",
            *std::min_element(all.begin(), all.end()), *std::max_element(all.begin(), all.end()),
            *low, *high, 100.0 * (*high - *low) / mean, mean);
    }

    std::printf("\n## Server process\n\nResident memory (KiB, every 30 s): ");
    for (size_t i = 0; i < residentKb.size(); i += 6)
        std::printf("%s%ld", i ? " " : "", residentKb[i]);
    // After the first minute (samples every 5 s).
    if (residentKb.size() > 13) {
        auto [low, high] = std::minmax_element(residentKb.begin() + 12, residentKb.end());
        std::printf("\nAfter the first minute: %ld to %ld KiB, %.1f %% apart.\n", *low, *high,
                    100.0 * static_cast<double>(*high - *low) / static_cast<double>(*low));
    }
    std::printf("Open descriptors: %d before the load, %d after everything closed.\n",
                descriptorsBefore, descriptorsAfter);

    std::printf("\n## Attacks\n\n");
    std::printf(
        "1. Stuck readers: %d dropped, %d not dropped within 90 s (or before the end); "
        "the longest took %.1f s from its requests to the drop.\n",
        attacks.stuckDropped.load(), attacks.stuckNotDropped.load(), attacks.longestStuckS.load());
    std::printf(
        "2. Pipelining without a login: %d runs, at most %d answers before the "
        "close (at most 8; fewer where newer connections pushed it out).\n",
        attacks.pipelineRuns.load(), attacks.pipelineMostAnswers.load());
    std::printf("3. Slow senders: closed %d times.\n", attacks.slowClosed.load());
    std::printf(
        "4. Flood: %d connections opened; silent ones: %d opened, %d closed by the "
        "server within 12 s.\n",
        attacks.floodOpened.load(), attacks.silentOpened.load(),
        attacks.silentClosedWithin12s.load());
    std::printf(
        "5. Guesses: %d; %d answered 0x02 0xFF, %d accepted, %d closed unanswered "
        "(pushed out by newer connections from the address); the slowest took %.2f "
        "s.\n",
        attacks.guesses.load(), attacks.guessesRefused.load(), attacks.guessesAccepted.load(),
        attacks.guessesUnanswered.load(), attacks.slowestGuessS.load());
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    const bool withFlood = !(argc > 2 && std::string(argv[2]) == "noflood");
    bench_support::BusyDesktop desktop;
    if (!desktop.start()) {
        std::fprintf(stderr, "soak: Xvfb did not start\n");
        return 1;
    }

    bench_support::ServerProcess server;
    if (!bench_support::startServerProcess(server)) {
        std::fprintf(stderr, "soak: the server did not start\n");
        return 1;
    }
    port = server.port;
    {
        // One frame first, so that the server's display connection is open already.
        auto warmUp = loggedInClient();
        warmUp->send("imag2");
        warmUp->receive(SIZE_MAX, 1000);
    }
    sleepFor(1000);
    const int descriptorsBefore = bench_support::openDescriptors(server.pid);

    std::vector<std::unique_ptr<RawClient>> clients;
    for (int c = 0; c < kClients; ++c)
        clients.push_back(loggedInClient());
    std::vector<int> readers;
    for (int r = 0; r < kStuckReaders; ++r)
        readers.push_back(stuckReader());

    loadStart = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c)
        threads.emplace_back(runClient, c, std::move(clients[static_cast<size_t>(c)]));
    threads.emplace_back(stuckReaders, std::move(readers), seconds);
    threads.emplace_back(pipeliner);
    threads.emplace_back(slowSenders);
    if (withFlood)
        threads.emplace_back(flood);
    threads.emplace_back(guesser);

    std::vector<long> residentKb;
    while (secondsSince(loadStart) < seconds) {
        residentKb.push_back(bench_support::residentKb(server.pid));
        sleepFor(5000);
    }
    running = false;
    for (std::thread& thread : threads)
        thread.join();
    // Everything of ours is closed; the server sees the losses and ends the newcomers.
    sleepFor(3000);
    const int descriptorsAfter = bench_support::openDescriptors(server.pid);

    report(seconds, residentKb, descriptorsBefore, descriptorsAfter);

    bench_support::stopServerProcess(server);
    desktop.stop();
    return 0;
}
