#include "platform/x11/display_connection.h"

#include <atomic>
#include <vector>

namespace platform::x11 {
namespace {

std::mutex connectionMutex;
Display* connection = nullptr;
unsigned connectionCount = 0;

// Xlib's handlers are process-wide and run on whichever thread made the failing call,
// so they find out through this copy whether the failure is ours; other Xlib users of
// the process keep their own fate.
std::atomic<Display*> watchedConnection{nullptr};
std::atomic<int> protocolErrorCount{0};
std::atomic<bool> connectionBroken{false};

// Broken connections are not closed: closing would talk to a peer that is gone, and
// Xlib would end the process. They stay listed here, in a list that is never destroyed,
// so they stay reachable rather than freed while Xlib may still point into them.
std::vector<Display*>& brokenConnections = *new std::vector<Display*>();

int onProtocolError(Display* display, XErrorEvent*) {
    if (display == watchedConnection)
        ++protocolErrorCount;
    return 0;
}

// Xlib calls this when the connection breaks; Xlib would end the process if it
// returned without the exit handler below.
int onConnectionBroken(Display* display) {
    if (display == watchedConnection)
        connectionBroken = true;
    return 0;
}

// Replaces Xlib's exit(): the call that hit the broken connection returns, and the
// lock holder then gives the connection up.
void onConnectionBrokenExit(Display*, void*) {
    connectionBroken = true;
}

Display* openConnection() {
    XSetErrorHandler(onProtocolError);
    XSetIOErrorHandler(onConnectionBroken);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return nullptr;
    XSetIOErrorExitHandler(display, onConnectionBrokenExit, nullptr);
    watchedConnection = display;
    ++connectionCount;
    return display;
}

}  // namespace

DisplayLock::DisplayLock(bool connect) : guard_(connectionMutex) {
    if (connection == nullptr && connect) {
        connectionBroken = false;
        connection = openConnection();
    }
    display_ = connection;
}

DisplayLock::~DisplayLock() {
    // Synchronous like the system calls the callers expect: a pointer move or key has
    // reached the server before the call returns. When the last request has had its
    // reply, everything before it has been processed too: no round trip is needed.
    if (!lost() && display_ != nullptr) {
        if (XNextRequest(display_) - 1 != LastKnownRequestProcessed(display_))
            XSync(display_, False);
        lost();
    }
}

unsigned DisplayLock::generation() const {
    return connectionCount;
}

void DisplayLock::clearErrors() {
    if (display_ != nullptr)
        XSync(display_, False);
    protocolErrorCount = 0;
}

bool DisplayLock::failedSince() const {
    if (display_ != nullptr)
        XSync(display_, False);
    return protocolErrorCount != 0 || connectionBroken;
}

bool DisplayLock::lost() {
    if (!connectionBroken || connection == nullptr)
        return connection == nullptr;
    brokenConnections.push_back(connection);
    connection = nullptr;
    watchedConnection = nullptr;
    display_ = nullptr;
    return true;
}

void closeDisplayConnection() {
    std::lock_guard<std::mutex> guard(connectionMutex);
    if (connection == nullptr)
        return;
    if (connectionBroken) {
        brokenConnections.push_back(connection);
    } else {
        XCloseDisplay(connection);
    }
    connection = nullptr;
    watchedConnection = nullptr;
}

}  // namespace platform::x11
