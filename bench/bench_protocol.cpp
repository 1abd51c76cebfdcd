// CRC-32 and SHA-1 throughput, and one whole request cycle against the real server
// thread over 127.0.0.1 (fake 320 x 240 desktop), to set beside the sum of the pauses
// the server makes by design.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake/fake_host.h"
#include "platform/net.h"
#include "protocol/crc32.h"
#include "protocol/input_event.h"
#include "protocol/sha1.h"
#include "protocol/wire.h"
#include "raw_client.h"
#include "server/login.h"
#include "server/server_thread.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "texts/texts.h"

namespace {

void crc32Throughput(benchmark::State& state) {
    std::vector<uint8_t> data(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 131);
    for (auto _ : state)
        benchmark::DoNotOptimize(korvo::crc32(data.data(), data.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(crc32Throughput)->Arg(1023)->Arg(64 * 1024)->Arg(1 << 20);

void sha1OfLoginField(benchmark::State& state) {
    std::string password(static_cast<size_t>(state.range(0)), 'p');
    for (auto _ : state)
        benchmark::DoNotOptimize(korvo::sha1Hex(password));
}
BENCHMARK(sha1OfLoginField)->Arg(8)->Arg(128);

// The whole login check: two digests, the comparisons.
void loginCheck(benchmark::State& state) {
    korvo::settings.serverUser = "anna";
    korvo::settings.serverPassword = "correct horse battery staple";
    for (auto _ : state)
        benchmark::DoNotOptimize(korvo::credentialsMatch("Anna", "correct horse battery staple"));
}
BENCHMARK(loginCheck);

// alive, event, imag2 (the whole frame read), crc32, ready: what a client sends per
// cycle, each answer awaited before the next request.
void requestCycleOverLoopback(benchmark::State& state) {
    korvo::settings = korvo::Settings{};
    korvo::settings.serverUser = "anna";
    korvo::settings.serverPassword = "secret";
    korvo::settings.serverPort = 0;
    korvo::settings.allowMouse = 1;
    korvo::settings.allowKeyboard = 1;
    korvo::texts = korvo::buildTextTable("english");
    korvo::tempFramePath = "/tmp/korvo-bench-frame";
    platform::fake::scriptScreen(platform::fake::desktopScript(320, 240));

    std::thread server([] { korvo::runServer(); });
    for (int wait = 0; wait < 2000 && korvo::serverOpen != 1; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto client =
        std::make_unique<testing_support::RawClient>(platform::serverPort(korvo::listeningServer));
    auto login = korvo::encodeLogin("anna", "secret");
    client->send(login.data(), login.size());
    if (client->receive(2) != testing_support::bytes({0x02, 0x09}))
        state.SkipWithError("login failed");

    korvo::InputEvent event;
    event.pointerX = 5000;
    event.pointerY = 5000;
    uint8_t body[korvo::kInputEventSize];
    size_t frameBytes = 0;
    for (auto _ : state) {
        event.pointerX = event.pointerX == 5000 ? 5001 : 5000;
        korvo::encodeInputEvent(event, body);
        auto eventMessage = korvo::encodeEventMessage(body);
        client->send("alive");
        client->receive(5);
        client->send(eventMessage.data(), eventMessage.size());
        client->send("imag2");
        frameBytes = 0;
        for (;;) {
            if (client->receive(1).empty())
                break;
            size_t got = client->receiveOnce(1023, 200).size();
            frameBytes += got;
            if (got != 1023)
                break;
        }
        client->send("crc32");
        client->receive(5);
        client->send("ready");
        client->receive(1);
        platform::fake::clearInjectedCalls();
    }
    state.counters["frameBytes"] = static_cast<double>(frameBytes);
    // Pauses the server makes per cycle: 5 + 5 + (5 + 5) + 4 after the answers, 20 after
    // each of the five events, and 5 between polls.
    state.counters["designedPausesMs"] = 5 + 5 + 10 + 4 + 5 * 20 + 5 * 5;
    client.reset();
    korvo::closeServer();
    korvo::stopServerRequested = 1;
    server.join();
}
BENCHMARK(requestCycleOverLoopback)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
