// The real server thread on an ephemeral port of 127.0.0.1, with the fake screen and
// the recording injector behind it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "host/input_injection.h"
#include "main_window_probe.h"
#include "platform/fake/fake_host.h"
#include "platform/net.h"
#include "protocol/wire.h"
#include "raw_client.h"
#include "server/client_table.h"
#include "server/frame_delivery.h"
#include "server/server_thread.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "support/temp_dir.h"
#include "texts/texts.h"

namespace testing_support {

// Polls `condition` every 5 ms for at most waitMs.
inline bool eventually(const std::function<bool()>& condition, int waitMs = 3000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

inline std::string loginMessage(const std::string& user, const std::string& password) {
    auto message = korvo::encodeLogin(user, password);
    return std::string(reinterpret_cast<const char*>(message.data()), message.size());
}

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        korvo::settings = korvo::Settings{};
        korvo::settings.serverUser = "anna";
        korvo::settings.serverPassword = "secret";
        korvo::settings.serverPort = 0;  // the system picks a free port
        korvo::settings.serverMaxClients = 10000;
        korvo::settings.allowMouse = 1;
        korvo::settings.allowKeyboard = 1;
        korvo::settings.imageQuality = 5;
        korvo::tempFramePath = temp_.file("frame.tmp");
        korvo::framesViaPipe = 0;
        korvo::stopServerRequested = 0;
        korvo::lastFrameCrc = 0;
        korvo::lastPointerTarget = {0, 0};
        platform::fake::scriptScreen(platform::fake::desktopScript(64, 48, picture(64, 48)));
        platform::fake::clearInjectedCalls();
        korvo::texts = korvo::buildTextTable("english");
        ui::reset();
    }

    // The clients list on the window shows the table row for row.
    static void expectListMirrorsTable() {
        auto slots = korvo::clientSlotsSnapshot();
        auto rows = ui::clientRows();
        ASSERT_EQ(rows.size(), slots.size());
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i], (std::vector<std::string>{slots[i].number, slots[i].clientIp,
                                                         slots[i].connectedSince}));
    }

    void TearDown() override { stopServer(); }

    // A picture with some detail, so that the JPEG is not trivially small.
    static std::vector<uint8_t> picture(int width, int height) {
        std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = static_cast<uint8_t>((i * 37) ^ (i >> 7));
        return rows;
    }

    void startServer() {
        result_ = -1;
        thread_ = std::make_unique<std::thread>([this] { result_ = korvo::runServer(); });
        ASSERT_TRUE(eventually([this] { return korvo::serverOpen == 1 || result_ != -1; }));
        ASSERT_EQ(korvo::serverOpen, 1);
        port_ = platform::serverPort(korvo::listeningServer);
        ASSERT_GT(port_, 0);
    }

    // Asks the thread to stop as the GUI does and waits for it; the time it took.
    std::chrono::milliseconds stopServer() {
        if (!thread_)
            return {};
        auto begin = std::chrono::steady_clock::now();
        korvo::closeServer();
        korvo::stopServerRequested = 1;
        eventually([] { return !korvo::serverThreadActive; }, 5000);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - begin);
        thread_->join();
        thread_.reset();
        return took;
    }

    std::unique_ptr<RawClient> connect() { return std::make_unique<RawClient>(port_); }

    // A client that logged in successfully.
    std::unique_ptr<RawClient> loggedIn() {
        auto client = connect();
        size_t rows = korvo::clientSlotCount();
        client->send(loginMessage("anna", "secret"));
        EXPECT_EQ(client->receive(2), bytes({0x02, 0x09}));
        EXPECT_TRUE(eventually([&] { return korvo::clientSlotCount() == rows + 1; }));
        return client;
    }

    TempDir temp_;
    std::unique_ptr<std::thread> thread_;
    std::atomic<int> result_{-1};
    int port_ = 0;
};

}  // namespace testing_support
