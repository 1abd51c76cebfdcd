// Runs a dialog on a thread of its own, as the GUI thread would, against the headless UI
// and a settings.ini in a private folder; the test plays the user.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/dialog_ids.h"
#include "platform/fake/fake_ui.h"
#include "settings/settings.h"
#include "state/main_window_ids.h"
#include "support/temp_dir.h"
#include "texts/texts.h"

namespace korvo::dialog_testing {

namespace fake = platform::fake_ui;

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::reset();
        settingsPath = directory_.file("settings.ini");
        settings = Settings{};
        useLanguage("english");
        ASSERT_TRUE(platform::openWindow(kMainWindowId, {0, 0, 700, 525}, "Korvo", 0, 0));
        mainWindow = kMainWindowId;
    }
    void TearDown() override {
        if (running_.valid()) {  // a test that failed half-way: let the dialog go
            escape();
            running_.wait();
        }
    }

    static void useLanguage(const char* setting) {
        language = chooseLanguage(setting, "english");
        texts = buildTextTable(language.languageCode);
    }
    static void store(const std::string& bytes) {
        testing_support::writeBytes(settingsPath, bytes);
    }
    static std::string stored() { return testing_support::readBytes(settingsPath); }

    // Starts the dialog and waits until its window shows, filled.
    void open(std::function<bool()> dialog, int window) {
        window_ = window;
        running_ = std::async(std::launch::async, std::move(dialog));
        for (int i = 0; i < 500 && !platform::windowShown(window); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(platform::windowShown(window));
    }
    // What the dialog answered when it ended; false when it did not end in time.
    bool answer() {
        if (running_.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << "the dialog did not end";
            return false;
        }
        return running_.get();
    }
    void enter() const { key(kEnterEvent); }
    void escape() const { key(kEscapeEvent); }
    void key(int eventNumber) const {
        platform::postEvent({platform::EventKind::Shortcut, window_, 0, eventNumber, 0});
    }
    // Waits until the dialog has shown this many message boxes.
    static std::vector<fake::FakeMessageBox> boxesOnceThere(size_t count) {
        eventually([count] { return fake::messageBoxes().size() >= count; });
        return fake::messageBoxes();
    }

    // Waits a bounded time for the dialog's thread to make the condition true.
    static bool eventually(const std::function<bool()>& condition) {
        for (int i = 0; i < 500 && !condition(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return condition();
    }

    static std::string text(int control) { return platform::controlText(control); }
    static int state(int control) { return platform::controlState(control); }
    static bool enabled(int control) { return platform::controlEnabled(control); }

private:
    testing_support::TempDir directory_;
    std::future<bool> running_;
    int window_ = 0;
};

}  // namespace korvo::dialog_testing
