// The event queue every UI backend shares: a window's resizes merge while they wait.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/ui_model/event_queue.h"

namespace {

using platform::Event;
using platform::EventKind;

Event resized(int window, int width) {
    return Event{EventKind::Resized, window, 0, width, 100};
}

TEST(UiModelEventQueueTest, AResizeMergesOnlyIntoTheSameWindowsResizeAtTheEnd) {
    platform::ui_model::EventQueue queue;
    queue.push(resized(1, 200));
    queue.push(resized(1, 300));  // replaces the one before
    queue.push(resized(2, 400));
    queue.push(resized(1, 500));  // another window's resize is at the end
    queue.push(Event{EventKind::Command, 1, 7, 0, 0});
    queue.push(resized(1, 600));  // a command is at the end

    std::vector<std::pair<int, int>> taken;
    while (std::optional<Event> next = queue.tryPop())
        taken.emplace_back(next->window, next->kind == EventKind::Resized ? next->data : -1);
    EXPECT_EQ(taken,
              (std::vector<std::pair<int, int>>{{1, 300}, {2, 400}, {1, 500}, {1, -1}, {1, 600}}));
}

}  // namespace
