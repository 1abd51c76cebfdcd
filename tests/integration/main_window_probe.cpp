#include "main_window_probe.h"

#include "platform/fake/fake_ui.h"
#include "platform/ui.h"
#include "state/main_window_ids.h"

namespace testing_support::ui {

void reset() {
    platform::fake_ui::reset();
    platform::openWindow(korvo::kMainWindowId, {0, 0, 700, 525}, "Korvo", 0, 0);
    platform::createControl(korvo::kMainWindowId, korvo::mainControl::kClientsList,
                            platform::ControlKind::ListView, {0, 0, 480, 300}, "", 0);
    platform::createStatusBar(korvo::kMainWindowId, {20, 200, 20, 200});
}

std::vector<std::vector<std::string>> clientRows() {
    platform::fake_ui::FakeControl list;
    std::vector<std::vector<std::string>> rows;
    if (platform::fake_ui::control(korvo::mainControl::kClientsList, list))
        for (const auto& row : list.rows)
            rows.push_back(row.cells);
    return rows;
}

std::string serverStatusText() {
    platform::fake_ui::FakeWindow window;
    if (!platform::fake_ui::window(korvo::kMainWindowId, window) ||
        window.statusTexts.size() <= static_cast<size_t>(korvo::statusField::kServerStatus))
        return {};
    return window.statusTexts[korvo::statusField::kServerStatus];
}

std::vector<std::string> messageBoxes() {
    std::vector<std::string> boxes;
    for (const auto& box : platform::fake_ui::messageBoxes())
        boxes.push_back(box.title + "|" + box.text);
    return boxes;
}

}  // namespace testing_support::ui
