// The GUI's one event queue, as every UI backend keeps it: the events in the order they
// happened, with a window's resizes merged while they wait.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/ui.h"

namespace platform::ui_model {

// Guarded by the records' mutex (see records.h): every call holds it. Any thread may
// push; the GUI thread takes. A backend that sleeps in its own dispatcher wakes it itself
// after a push; one that sleeps here is woken by the push.
class EventQueue {
public:
    // Appends the event. A Resized event replaces a Resized event of the same window that
    // still waits at the end of the queue, so the loop sees only the last size.
    void push(const Event& event);

    // The oldest waiting event, if there is one.
    std::optional<Event> tryPop();

    // The oldest event, waiting for one up to timeoutMs (< 0: for ever) with `lock`, which
    // holds the records' mutex, released meanwhile. An event of kind None on time-out.
    Event pop(std::unique_lock<std::mutex>& lock, int timeoutMs);

    size_t size() const { return events_.size(); }
    void clear() { events_.clear(); }

private:
    std::deque<Event> events_;
    std::condition_variable pushed_;
};

}  // namespace platform::ui_model
