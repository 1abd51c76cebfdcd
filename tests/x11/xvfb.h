// A private X server for one test process: Xvfb on a free display number, stopped by
// its process id. Helper programs (xterm, xclock) run on it the same way.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "support/programs.h"

namespace testing_support {

class Xvfb {
public:
    Xvfb() = default;
    ~Xvfb() { stop(); }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // Starts `Xvfb :N -screen 0 <screen> <extra...>` on a free N and waits until it
    // takes connections. False when no server came up within a few tries.
    bool start(const std::string& screen, const std::vector<std::string>& extra = {}) {
        std::mt19937 random(
            static_cast<unsigned>(::getpid()) ^
            static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
        for (int attempt = 0; attempt < 8; ++attempt) {
            int number = 100 + static_cast<int>(random() % 800);
            std::string n = std::to_string(number);
            if (fileExists("/tmp/.X11-unix/X" + n) || fileExists("/tmp/.X" + n + "-lock"))
                continue;
            std::vector<std::string> arguments = {"Xvfb", ":" + n, "-screen", "0", screen,
                                                  "-nolisten", "tcp",
                                                  // no reset when the readiness probe
                                                  // disconnects
                                                  "-noreset"};
            arguments.insert(arguments.end(), extra.begin(), extra.end());
            pid_ = startProgram(arguments);
            name_ = ":" + n;
            if (pid_ > 0 && waitUntilReady())
                return true;
            stopProgram(pid_);
        }
        name_.clear();
        return false;
    }

    void stop() { stopProgram(pid_); }
    bool running() const { return pid_ > 0; }
    const std::string& name() const { return name_; }

private:
    bool waitUntilReady() {
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                return false;  // exited: the number was taken after all
            }
            if (Display* display = XOpenDisplay(name_.c_str())) {
                XCloseDisplay(display);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        return false;
    }

    pid_t pid_ = -1;
    std::string name_;
};

// Waits, up to `tries` looks 20 ms apart, until some top-level window on the display is
// viewable.
inline bool waitForViewableWindow(Display* display, int tries) {
    for (int i = 0; i < tries; ++i) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        bool shown = false;
        for (unsigned c = 0; c < count; ++c) {
            XWindowAttributes attributes{};
            XGetWindowAttributes(display, children[c], &attributes);
            shown = shown || attributes.map_state == IsViewable;
        }
        if (children != nullptr)
            XFree(children);
        if (shown)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace testing_support
