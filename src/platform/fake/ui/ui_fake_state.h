// The headless UI's one record of everything, shared by its files: the model's records
// and what only the headless UI keeps. Any thread may call the interface, so every
// access holds `mutex`.
#pragma once

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_ui.h"
#include "platform/ui_model/records.h"

namespace platform::fake_ui {

struct State : ui_model::Records {
    bool available = true;
    std::string trayTooltip;
    int menuBarHeight = 20;
    int toolBarHeight = 26;
    int statusBarHeight = 20;
    std::map<int, FakeWindowExtra> windowExtras;
    std::map<int, FakeControlExtra> controlExtras;
    std::vector<int> controlOrder;
    std::map<int, std::vector<FakeToolButton>> toolBars;
    std::map<int, std::map<std::pair<int, unsigned>, int>> shortcuts;
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

// The headless UI keeps a shown picture as a copy of the image.
ui_model::ImageHandle pictureOf(const Image* image);

}  // namespace platform::fake_ui
