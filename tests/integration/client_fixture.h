// The real client role in this process, on the headless UI: the real main window, its
// event loop on a thread of its own (the GUI thread), and the fake screen as the local
// desktop. The server is whatever a test puts on the other end.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "app/gui.h"
#include "app/main_window.h"
#include "app/pictures.h"
#include "app/roles/roles.h"
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
#include "viewer/receive_loop.h"

namespace testing_support {

// Polls `condition` every 5 ms for at most waitMs.
inline bool eventually(const std::function<bool()>& condition, int waitMs = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

class ClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::fake_ui::reset();
        korvo::language = korvo::chooseLanguage("english", "english");
        korvo::texts = korvo::buildTextTable(korvo::language.languageCode);
        korvo::settings = korvo::Settings{};
        korvo::settings.clientIp = "127.0.0.1";
        korvo::settings.clientUser = "anna";
        korvo::settings.clientPassword = "secret";
        korvo::tempFramePath = temp_.file("frame.tmp");
        korvo::stopClientRequested = 0;
        korvo::clientThread = nullptr;
        korvo::receiveThread = nullptr;
        std::memset(korvo::clientWorkArea, 0, sizeof korvo::clientWorkArea);
        std::memset(korvo::frameBuffer, 0, 64);
        if (korvo::clientSemaphore == nullptr)
            korvo::clientSemaphore = platform::createSemaphore(0);
        while (platform::tryWaitSemaphore(korvo::clientSemaphore)) {
        }
        localDesktop(1920, 1080);
        korvo::loadApplicationIcon();
        korvo::decodePictures();
        ASSERT_TRUE(korvo::buildMainWindow());
        platform::showWindow(korvo::kMainWindowId, true);
        guiRunning_ = true;
        gui_ = std::thread([] {
            while (guiRunning_) {
                const platform::Event event = platform::waitEvent(10);
                korvo::handleEvent(event);
                if (event.kind != platform::EventKind::None)
                    ++eventsHandled_;
            }
        });
    }

    void TearDown() override {
        if (platform::threadRunning(korvo::clientThread))
            clientCommand();
        eventually([] { return korvo::clientRunsActive() == 0; });
        guiRunning_ = false;
        gui_.join();
    }

    static void localDesktop(int width, int height) {
        platform::fake::scriptScreen(platform::fake::desktopScript(width, height));
    }

    // As "start = client" starts it: no connect dialog.
    static void startClient(int64_t port) {
        korvo::settings.clientPort = port;
        korvo::clientThread = korvo::startClientRole();
        ASSERT_NE(korvo::clientThread.load(), nullptr);
    }

    // The Client command, handled by the GUI thread like a click on it; returns once the
    // GUI thread is done with it.
    static void clientCommand() {
        const int before = eventsHandled_;
        platform::postEvent(platform::Event{platform::EventKind::Command, korvo::kMainWindowId,
                                            korvo::command::kClient, 0, 0});
        eventually([before] { return eventsHandled_ > before; });
    }

    static bool clientRunning() { return platform::threadRunning(korvo::clientThread); }

    static std::string clientStatus() {
        return platform::statusFieldText(korvo::kMainWindowId, korvo::statusField::kClientStatus);
    }

    static platform::fake_ui::FakeControl view() {
        platform::fake_ui::FakeControl control;
        platform::fake_ui::control(korvo::mainControl::kView, control);
        return control;
    }

    static platform::Rect mainWindowGeometry() {
        return platform::windowGeometry(korvo::kMainWindowId);
    }

    static std::vector<std::string> messageBoxes() {
        std::vector<std::string> boxes;
        for (const auto& box : platform::fake_ui::messageBoxes())
            boxes.push_back(box.title + "|" + box.text);
        return boxes;
    }

    // Writes pending-input bytes as the viewer's input capture does, one byte at a time
    // from another thread than the client's.
    static void writePendingInput(size_t offset, const void* bytes, size_t count) {
        const auto* from = static_cast<const uint8_t*>(bytes);
        for (size_t i = 0; i < count; ++i)
            std::atomic_ref<uint8_t>(korvo::clientWorkArea[offset + i])
                .store(from[i], std::memory_order_relaxed);
    }
    static void writePendingByte(size_t offset, uint8_t value) {
        writePendingInput(offset, &value, 1);
    }

    TempDir temp_;
    std::thread gui_;
    static inline std::atomic<bool> guiRunning_{false};
    static inline std::atomic<int> eventsHandled_{0};
};

}  // namespace testing_support
