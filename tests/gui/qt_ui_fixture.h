// Shared set-up for the Qt backend tests: an offscreen application made once, a private
// settings folder, and helpers to reach the widgets behind ids and to run the GUI loop.
#pragma once

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "platform/ui.h"
#include "support/temp_dir.h"

namespace qt_ui_testing {

inline QWidget* controlWidget(int control) {
    for (QWidget* widget : QApplication::allWidgets())
        if (widget->property("korvoControl").toInt() == control)
            return widget;
    return nullptr;
}

inline QWidget* windowWidget(int window) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->property("korvoWindow").toInt() == window)
            return widget;
    return nullptr;
}

// Runs the GUI loop for about `ms` and returns what it reported.
inline std::vector<platform::Event> runLoop(int ms) {
    std::vector<platform::Event> seen;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        platform::Event event = platform::waitEvent(10);
        if (event.kind != platform::EventKind::None)
            seen.push_back(event);
    }
    return seen;
}

// Takes the GUI loop's next event, waiting at most about a second.
inline platform::Event nextEvent() {
    for (int i = 0; i < 100; ++i) {
        platform::Event event = platform::waitEvent(10);
        if (event.kind != platform::EventKind::None)
            return event;
    }
    return platform::Event{};
}

class QtUiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static testing_support::TempDir config;
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        ASSERT_TRUE(platform::initUi());
    }
    void TearDown() override {
        for (int window = 1; window <= 9; ++window)
            platform::closeWindow(window);
        runLoop(20);
    }
};

}  // namespace qt_ui_testing
