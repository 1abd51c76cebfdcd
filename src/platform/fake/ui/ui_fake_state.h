// The headless UI's one record of everything, shared by its files. Any thread may call
// the interface, so every access holds `mutex`.
#pragma once

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_ui.h"

namespace platform::fake_ui {

struct FakeMenu {
    int window = 0;
    std::string title;
    std::vector<FakeMenuItem> items;
};

struct State {
    std::mutex mutex;
    std::condition_variable eventPosted;
    bool available = true;
    bool trayAvailable = false;
    bool trayShown = false;
    std::string trayTooltip;
    int menuBarHeight = 20;
    int toolBarHeight = 26;
    int statusBarHeight = 20;
    std::map<int, FakeWindow> windows;
    std::map<int, FakeControl> controls;
    std::vector<int> controlOrder;
    std::map<int, FakeMenu> menus;
    std::map<int, std::vector<FakeToolButton>> toolBars;
    std::map<int, std::map<std::pair<int, unsigned>, int>> shortcuts;
    std::deque<Event> events;
    std::vector<FakeMessageBox> boxes;
    std::deque<int> scriptedAnswers;
    std::set<std::string> onceChosen;
    bool tickOnce = false;
    int lastPopup = 0;
    std::vector<std::string> urls;
    bool helpRunning = false;
    std::string helpFile;
    std::string helpPage;
};

State& state();

// Queues an event and wakes waitEvent; the caller holds the lock.
void pushEventLocked(State& s, const Event& event);

}  // namespace platform::fake_ui
