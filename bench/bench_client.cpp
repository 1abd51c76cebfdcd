// The client end to end over 127.0.0.1 at 1920x1080: the real client thread (the real
// main window and its event loop on the headless UI) against the real server thread in a
// process of its own (server_peer) whose fake screen shows a desktop-like picture.
// Measured: the time between frames, and the time from a key stored as pending input to
// its injection on the server, each beside the floor that the prescribed pauses set: the
// same run with a 16x16 desktop, whose frames cost next to nothing, so that what is left
// is the pauses of both ends, the receive thread's 20 ms polls and the server's 5 ms polls.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "app/gui.h"
#include "app/main_window.h"
#include "app/roles/roles.h"
#include "integration/server_peer.h"
#include "platform/fake/fake_host.h"
#include "platform/fake/fake_ui.h"
#include "platform/sync.h"
#include "platform/threads.h"
#include "protocol/input_event.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "state/process_state.h"
#include "state/role_threads.h"
#include "support/temp_dir.h"
#include "texts/texts.h"
#include "viewer/client_thread.h"

namespace {

// The pauses alone, when every reply were taken at once, in ms. File route: the echo is
// answered at 0 and the server rests until 30; the event is handled at 30 (until 60), the
// frame request at 60 (until 90). The client, waiting since 20, takes the frame in at 60
// and pauses 20, 20 and 5 before "ready" at 105, answered at once; it pauses 5 and sends
// "alive" at 110, which waits for the server's rest after "ready" (20 + 5): the next echo
// is at 130. Memory route: the first chunk leaves at 65 after its 5 ms, "crc32" at 110 is
// answered at once (rest until 139), "ready" at 139 (rest until 164): the next echo is at
// 164. The polls of both ends come on top of these.
constexpr double kFileRoutePausesMs = 130;
constexpr double kMemoryRoutePausesMs = 164;

using Clock = std::chrono::steady_clock;

class Session {
public:
    Session(bool memoryRoute, int width, int height) {
        platform::fake_ui::reset();
        korvo::language = korvo::chooseLanguage("english", "english");
        korvo::texts = korvo::buildTextTable(korvo::language.languageCode);
        korvo::settings = korvo::Settings{};
        korvo::settings.clientIp = "127.0.0.1";
        korvo::settings.clientUser = "anna";
        korvo::settings.clientPassword = "secret";
        korvo::tempFramePath = temp_.file("frame.tmp");
        std::memset(korvo::clientWorkArea, 0, sizeof korvo::clientWorkArea);
        if (korvo::clientSemaphore == nullptr)
            korvo::clientSemaphore = platform::createSemaphore(0);
        while (platform::tryWaitSemaphore(korvo::clientSemaphore)) {
        }
        platform::fake::scriptScreen(platform::fake::desktopScript(1920, 1080));
        korvo::buildMainWindow();
        platform::showWindow(korvo::kMainWindowId, true);
        guiRunning_ = true;
        gui_ = std::thread([this] {
            while (guiRunning_)
                korvo::handleEvent(platform::waitEvent(10));
        });
        peer_.ask("desktop " + std::to_string(width) + " " + std::to_string(height));
        peer_.ask(memoryRoute ? "pipe 1" : "pipe 0");
        korvo::settings.clientPort = peer_.start();
        korvo::clientThread = korvo::startClientRole();
        // Past the first frame and the window's fit.
        waitForCaptures(peer_.captures() + 3);
    }
    ~Session() {
        platform::postEvent(platform::Event{platform::EventKind::Command, korvo::kMainWindowId,
                                            korvo::command::kClient, 0, 0});
        for (int i = 0; i < 400 && korvo::clientRunsActive() > 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        guiRunning_ = false;
        gui_.join();
    }

    // The time at which the server had captured `count` frames.
    Clock::time_point waitForCaptures(int count) {
        while (peer_.captures() < count)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        return Clock::now();
    }
    int captures() { return peer_.captures(); }

    // Stores a key as the viewer's input capture does; the microseconds until the
    // server injected it.
    double keyToInjection() {
        const size_t calls = peer_.injectedCalls().size();
        const auto store = [](size_t offset, uint8_t value) {
            std::atomic_ref<uint8_t>(korvo::clientWorkArea[offset]).store(value);
        };
        const auto pressed =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now().time_since_epoch())
                .count();
        store(korvo::kKeyValueOffset, 'a');
        store(korvo::kKeyKindOffset, korvo::kKeyKindCharacter);
        const long long injected = std::atoll(peer_.ask("watch " + std::to_string(calls)).c_str());
        return static_cast<double>(injected - pressed);
    }

private:
    testing_support::TempDir temp_;
    testing_support::ServerPeer peer_;
    std::thread gui_;
    std::atomic<bool> guiRunning_{false};
};

constexpr int kFloorSide = 16;

// Arguments: 1 for the memory route, and the desktop's width and height.
void BM_FrameInterval(benchmark::State& state) {
    const bool memoryRoute = state.range(0) == 1;
    Session session(memoryRoute, static_cast<int>(state.range(1)),
                    static_cast<int>(state.range(2)));
    int count = session.captures();
    Clock::time_point last = session.waitForCaptures(++count);
    for (auto _ : state) {
        const Clock::time_point next = session.waitForCaptures(++count);
        state.SetIterationTime(std::chrono::duration<double>(next - last).count());
        last = next;
    }
    state.counters["pauses_ms"] = memoryRoute ? kMemoryRoutePausesMs : kFileRoutePausesMs;
}
BENCHMARK(BM_FrameInterval)
    ->ArgNames({"memory", "width", "height"})
    ->Args({0, 1920, 1080})
    ->Args({0, kFloorSide, kFloorSide})
    ->Args({1, 1920, 1080})
    ->Args({1, kFloorSide, kFloorSide})
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

// Keys pressed at random moments of the cycle, by the file route. Arguments: the
// desktop's width and height.
void BM_KeyToInjection(benchmark::State& state) {
    Session session(false, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> moment(0, static_cast<int>(kFileRoutePausesMs));
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(moment(random)));
        state.SetIterationTime(session.keyToInjection() / 1e6);
    }
}
BENCHMARK(BM_KeyToInjection)
    ->ArgNames({"width", "height"})
    ->Args({1920, 1080})
    ->Args({kFloorSide, kFloorSide})
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
