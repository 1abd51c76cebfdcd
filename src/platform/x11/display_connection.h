// The one X connection that capture, cursor and injection share.
//
// Threading: every X call of this backend runs while holding the lock that
// `DisplayLock` takes, on one process-wide connection. Only the server thread uses it
// in the program, so the lock costs nothing there, and it keeps Xlib, the error flags
// and the keyboard-map changes of the injector consistent when tests or later callers
// use it from several threads.
#pragma once

#include <X11/Xlib.h>

#include <mutex>

namespace platform::x11 {

// Holds the backend's lock for its lifetime and hands out the connection, opening it
// (from $DISPLAY) when there is none. `display()` is null when no display can be
// reached or the connection was lost; the next lock tries again.
class DisplayLock {
public:
    // `connect`: open a connection when there is none (false only for clean-up).
    explicit DisplayLock(bool connect = true);
    ~DisplayLock();
    DisplayLock(const DisplayLock&) = delete;
    DisplayLock& operator=(const DisplayLock&) = delete;

    Display* display() const { return display_; }

    // Counts connections: state kept for one connection (shared-memory images) is
    // stale once this differs from the count it was made with.
    unsigned generation() const;

    // Forgets protocol errors raised so far; `failedSince()` tells whether one came
    // after. Errors never end the program.
    void clearErrors();
    bool failedSince() const;

    // True when the connection broke during this lock; it is then given up.
    bool lost();

private:
    std::unique_lock<std::mutex> guard_;
    Display* display_ = nullptr;
};

// Closes the connection (tests do this before stopping their X server, so the next
// call connects to the display $DISPLAY names then).
void closeDisplayConnection();

}  // namespace platform::x11
