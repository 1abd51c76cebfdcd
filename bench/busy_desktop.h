// A private 1920x1080 Xvfb with something that changes on it: a terminal running top and
// a clock, each updating every second. $DISPLAY names it while it runs. Stopped by the
// process ids it started.
#pragma once

#include <chrono>
#include <cstdlib>
#include <thread>

#include "x11/xvfb.h"

namespace bench_support {

struct BusyDesktop {
    testing_support::Xvfb xvfb;
    pid_t terminal = -1;
    pid_t clock = -1;

    // False when Xvfb did not start.
    bool start() {
        if (!xvfb.start("1920x1080x24"))
            return false;
        ::setenv("DISPLAY", xvfb.name().c_str(), 1);
        terminal = testing_support::startProgram(
            {"xterm", "-geometry", "100x40+50+50", "-e", "top", "-d", "1"}, xvfb.name());
        clock = testing_support::startProgram(
            {"xclock", "-update", "1", "-geometry", "300x300+1200+100"}, xvfb.name());
        std::this_thread::sleep_for(std::chrono::seconds(1));
        return true;
    }

    void stop() {
        testing_support::stopProgram(clock);
        testing_support::stopProgram(terminal);
        xvfb.stop();
    }
};

}  // namespace bench_support
