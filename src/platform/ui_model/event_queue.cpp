#include "platform/ui_model/event_queue.h"

#include <chrono>

namespace platform::ui_model {

void EventQueue::push(const Event& event) {
    if (event.kind == EventKind::Resized && !events_.empty() &&
        events_.back().kind == EventKind::Resized && events_.back().window == event.window)
        events_.back() = event;
    else
        events_.push_back(event);
    pushed_.notify_all();
}

std::optional<Event> EventQueue::tryPop() {
    if (events_.empty())
        return std::nullopt;
    Event next = events_.front();
    events_.pop_front();
    return next;
}

Event EventQueue::pop(std::unique_lock<std::mutex>& lock, int timeoutMs) {
    const auto waiting = [this] { return !events_.empty(); };
    if (timeoutMs < 0)
        pushed_.wait(lock, waiting);
    else
        pushed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), waiting);
    return tryPop().value_or(Event{});
}

}  // namespace platform::ui_model
