// Faults from outside, each on 127.0.0.1, and what the other side makes of them:
//   1. the X display the server captures is lost and comes back (with another size);
//   2. a client process is killed in the middle of a frame, while another is served;
//   3. the server process is killed in the middle of a frame that the real client role
//      (in this process, on the headless UI) has asked for; then a new server and run.
// A plain program that starts its own Xvfb and prints a report; it takes some three
// minutes, mostly the client's prescribed waits. `faults victim PORT` is the client that
// part 2 starts and kills.
#include <dirent.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/gui.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/roles/roles.h"
#include "codec/jpeg_decode.h"
#include "platform/fake/fake_ui.h"
#include "platform/net.h"
#include "platform/sync.h"
#include "platform/threads.h"
#include "protocol/wire.h"
#include "raw_client.h"
#include "server_peer.h"
#include "server_process.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "support/temp_dir.h"
#include "texts/texts.h"
#include "viewer/client_thread.h"
#include "x11/xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::RawClient;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void sleepFor(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool waitFor(const std::function<bool()>& condition, int waitMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    while (!condition() && Clock::now() < deadline)
        sleepFor(5);
    return condition();
}

bool logIn(RawClient& client) {
    auto message = korvo::encodeLogin(bench_support::kUser, bench_support::kPassword);
    client.send(message.data(), message.size());
    return client.receive(2) == testing_support::bytes({0x02, 0x09});
}

// One frame request by the memory route; the frame's bytes, empty when none came.
std::string requestFrame(RawClient& client) {
    client.send("imag2");
    std::string frame;
    for (;;) {
        if (client.receive(1, frame.empty() ? 3500 : 1000).size() != 1)
            break;
        // A frame's chunks come back to back: a pause of 50 ms ends the last one.
        std::string payload = client.receive(korvo::kChunkPayload, 50);
        frame += payload;
        if (payload.size() != korvo::kChunkPayload)
            break;
    }
    client.send("ready");
    client.receive(1, 3500);
    return frame;
}

// The width of the picture the frame decodes to; 0 when it does not decode.
int decodedWidth(const std::string& frame) {
    platform::Image image;
    if (!korvo::decodeJpeg(reinterpret_cast<const uint8_t*>(frame.data()), frame.size(), image))
        return 0;
    return image.width;
}

bool processAlive(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

// --- 1. the display lost and back --------------------------------------------------------

void displayLostAndBack() {
    std::printf("1. The X display lost and back\n");
    testing_support::Xvfb first;
    if (!first.start("1280x800x24")) {
        std::printf("   Xvfb did not start\n");
        return;
    }
    const std::string display = first.name();
    ::setenv("DISPLAY", display.c_str(), 1);
    bench_support::ServerProcess server;
    if (!bench_support::startServerProcess(server)) {
        std::printf("   the server did not start\n");
        return;
    }
    RawClient client(server.port);
    if (!logIn(client)) {
        std::printf("   the login was refused\n");
        bench_support::stopServerProcess(server);
        return;
    }
    int before = 0;
    for (auto start = Clock::now(); secondsSince(start) < 5;)
        before += decodedWidth(requestFrame(client)) == 1280 ? 1 : 0;

    first.stop();
    int whileGone = 0;
    int requestsWhileGone = 0;
    for (auto start = Clock::now(); secondsSince(start) < 5; ++requestsWhileGone)
        whileGone += requestFrame(client).empty() ? 0 : 1;
    const bool survived = processAlive(server.pid);

    // The same display number again, another size: frames of it prove a new connection.
    pid_t second = testing_support::startProgram(
        {"Xvfb", display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"});
    const auto back = Clock::now();
    double resumedAfter = -1;
    int after = 0;
    while (secondsSince(back) < 20) {
        if (decodedWidth(requestFrame(client)) == 1024) {
            if (resumedAfter < 0)
                resumedAfter = secondsSince(back);
            if (++after == 10)
                break;
        }
    }
    std::printf("   before: %d frames of 1280x800 in 5 s\n", before);
    std::printf("   display gone: %d requests in 5 s, %d answered with a frame; server %s\n",
                requestsWhileGone, whileGone, survived ? "still running" : "GONE");
    if (resumedAfter >= 0)
        std::printf(
            "   display back (1024x768): first frame of it %.1f s after the restart, "
            "%d frames of it by the end\n",
            resumedAfter, after);
    else
        std::printf("   display back: NO frame of it within 20 s\n");
    std::printf("   server %s at the end\n", processAlive(server.pid) ? "running" : "GONE");
    client.close();
    bench_support::stopServerProcess(server);
    testing_support::stopProgram(second);
}

// --- 2. a client killed in the middle of a frame ----------------------------------------

// The victim: logs in, asks for a frame, reads its first chunk, says so on stdout and
// waits to be killed.
int victim(int port) {
    RawClient client(port);
    if (!logIn(client))
        return 1;
    client.send("imag2");
    if (client.receive(1 + korvo::kChunkPayload).size() != 1 + korvo::kChunkPayload)
        return 1;
    std::puts("mid-frame");
    std::fflush(stdout);
    ::pause();
    return 0;
}

void clientKilledMidFrame(const char* self) {
    std::printf("2. A client killed in the middle of a frame\n");
    testing_support::ServerPeer peer;
    peer.ask("desktop 1920 1080");
    peer.ask("pipe 1");
    const int port = peer.start();
    const int descriptorsBefore = bench_support::openDescriptors(peer.pid());

    RawClient observer(port);
    if (!logIn(observer)) {
        std::printf("   the observer's login was refused\n");
        return;
    }
    std::atomic<bool> observing{true};
    std::atomic<int> observed{0};
    std::thread observe([&] {
        while (observing)
            if (!requestFrame(observer).empty())
                ++observed;
    });

    for (int round = 1; round <= 3; ++round) {
        int toParent[2];
        if (::pipe(toParent) != 0)
            break;
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(toParent[1], 1);
            ::execl(self, self, "victim", std::to_string(port).c_str(), nullptr);
            ::_exit(127);
        }
        ::close(toParent[1]);
        char said[16] = {};
        const bool midFrame = ::read(toParent[0], said, sizeof said) > 0;
        ::close(toParent[0]);
        const int rowsWithVictim = peer.clients();
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const auto killed = Clock::now();
        const int framesAtKill = observed;
        const bool purged = waitFor([&] { return peer.clients() == 1; }, 10000);
        const double purgedAfter = secondsSince(killed);
        sleepFor(5000 - static_cast<int>(purgedAfter * 1000) % 5000);
        std::printf(
            "   run %d: killed %s (%d rows); %s after %.2f s; the other client got "
            "%d frames in the %.0f s after the kill\n",
            round, midFrame ? "after the first chunk of a frame" : "(NOT mid-frame)",
            rowsWithVictim, purged ? "its row was purged" : "its row was NOT purged", purgedAfter,
            observed - framesAtKill, secondsSince(killed));
    }
    observing = false;
    observe.join();
    observer.close();
    waitFor([&] { return peer.clients() == 0; }, 5000);
    std::printf("   server descriptors: %d before the clients, %d after they all left\n",
                descriptorsBefore, bench_support::openDescriptors(peer.pid()));
}

// --- 3. the server killed in the middle of a frame -----------------------------------------

// This process's socket connected to the port (the client role's connection); -1 if none.
int socketConnectedTo(int port) {
    DIR* folder = ::opendir("/proc/self/fd");
    int found = -1;
    while (dirent* entry = folder != nullptr ? ::readdir(folder) : nullptr) {
        const int fd = std::atoi(entry->d_name);
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (entry->d_name[0] != '.' &&
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
            peer.sin_family == AF_INET && ntohs(peer.sin_port) == port)
            found = fd;
    }
    if (folder != nullptr)
        ::closedir(folder);
    return found;
}

uint64_t bytesReceived(int fd) {
    tcp_info info{};
    socklen_t length = sizeof info;
    ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length);
    return info.tcpi_bytes_received;
}

int viewShows() {
    platform::fake_ui::FakeControl view;
    platform::fake_ui::control(korvo::mainControl::kView, view);
    return view.imageShows;
}

void serverKilledMidFrame() {
    std::printf("3. The server killed in the middle of a frame (the real client role)\n");
    testing_support::Xvfb localDesktop;
    if (!localDesktop.start("1920x1080x24")) {
        std::printf("   Xvfb did not start\n");
        return;
    }
    ::setenv("DISPLAY", localDesktop.name().c_str(), 1);
    testing_support::TempDir temp;
    platform::fake_ui::reset();
    korvo::language = korvo::chooseLanguage("english", "english");
    korvo::texts = korvo::buildTextTable(korvo::language.languageCode);
    korvo::settings = korvo::Settings{};
    korvo::settings.clientIp = "127.0.0.1";
    korvo::settings.clientUser = bench_support::kUser;
    korvo::settings.clientPassword = bench_support::kPassword;
    korvo::tempFramePath = temp.file("frame.tmp");
    korvo::clientSemaphore = platform::createSemaphore(0);
    korvo::loadApplicationIcon();
    korvo::decodePictures();
    korvo::buildMainWindow();
    platform::showWindow(korvo::kMainWindowId, true);
    std::atomic<bool> guiRunning{true};
    std::thread gui([&] {
        while (guiRunning)
            korvo::handleEvent(platform::waitEvent(10));
    });

    auto peer = std::make_unique<testing_support::ServerPeer>();
    for (uint64_t partBytes : {0, 1, 300000}) {
        peer->ask("screen 1920 1080 7");
        peer->ask("pipe 1");
        korvo::settings.clientPort = peer->start();
        while (platform::tryWaitSemaphore(korvo::clientSemaphore)) {
        }
        const int showsBefore = viewShows();
        korvo::clientThread = korvo::startClientRole();
        const auto started = Clock::now();
        const bool shown = waitFor([&] { return viewShows() >= showsBefore + 3; }, 15000);
        const double firstFramesAfter = secondsSince(started);

        // The server dies once part of the next frame has reached the client's socket. The
        // fake desktop does not change, so every frame is the same stream: a whole cycle's
        // bytes less the echo, the checksum reply and the ready byte.
        const int fd = socketConnectedTo(static_cast<int>(korvo::settings.clientPort));
        const int first = peer->captures();
        waitFor([&] { return peer->captures() > first; }, 5000);
        const uint64_t cycleStart = bytesReceived(fd);
        waitFor([&] { return peer->captures() > first + 1; }, 5000);
        const uint64_t onTheWire = bytesReceived(fd) - cycleStart - 11;
        const int captured = peer->captures();
        waitFor([&] { return peer->captures() > captured; }, 5000);
        const uint64_t before = bytesReceived(fd);
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        while (bytesReceived(fd) - before < partBytes && Clock::now() < deadline) {
        }
        ::kill(peer->pid(), SIGKILL);
        ::waitpid(peer->pid(), nullptr, 0);
        const auto killed = Clock::now();
        const uint64_t arrived = bytesReceived(fd) - before;
        const size_t boxesBefore = platform::fake_ui::messageBoxes().size();
        const bool ended =
            waitFor([] { return !platform::threadRunning(korvo::clientThread); }, 120000);
        const std::string status =
            platform::statusFieldText(korvo::kMainWindowId, korvo::statusField::kClientStatus);
        std::printf(
            "   killed when %llu of the frame's %llu bytes had come: run %s after %.0f "
            "s, status \"%s\", %zu boxes; this run's first 3 frames %s %.1f s after "
            "its start\n",
            static_cast<unsigned long long>(arrived), static_cast<unsigned long long>(onTheWire),
            ended ? "ended" : "did NOT end", secondsSince(killed), status.c_str(),
            platform::fake_ui::messageBoxes().size() - boxesBefore, shown ? "came" : "did NOT come",
            firstFramesAfter);
        // A new server for the next run, as a user would start it again.
        peer = std::make_unique<testing_support::ServerPeer>();
    }
    peer->ask("desktop 1920 1080");
    peer->ask("pipe 1");
    korvo::settings.clientPort = peer->start();
    const int showsBefore = viewShows();
    korvo::clientThread = korvo::startClientRole();
    const bool works = waitFor([&] { return viewShows() >= showsBefore + 3; }, 15000);
    std::printf("   the next run, against a new server: %s\n",
                works ? "frames shown" : "NO frame shown");
    platform::postEvent(platform::Event{platform::EventKind::Command, korvo::kMainWindowId,
                                        korvo::command::kClient, 0, 0});
    waitFor([] { return korvo::clientRunsActive() == 0; }, 5000);
    guiRunning = false;
    gui.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "victim") == 0)
        return victim(std::atoi(argv[2]));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // A killed server peer's command pipe has no reader: its end must not end us.
    ::signal(SIGPIPE, SIG_IGN);
    // Forks the server process before this process opens a display connection.
    displayLostAndBack();
    clientKilledMidFrame(argv[0]);
    serverKilledMidFrame();
    return 0;
}
