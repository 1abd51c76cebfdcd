// A private X server for one test process: Xvfb on a free display number, stopped by
// its process id. Helper programs (xterm, xclock) run on it the same way.
#pragma once

#include <X11/Xlib.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

inline bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Starts a program with stdout and stderr sent to /dev/null; -1 when it cannot.
inline pid_t startProgram(const std::vector<std::string>& arguments,
                          const std::string& display = "") {
    pid_t child = ::fork();
    if (child != 0)
        return child;
    // Goes with the test process, even when that one crashes.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (!display.empty())
        ::setenv("DISPLAY", display.c_str(), 1);
    FILE* quiet = std::freopen("/dev/null", "w", stdout);
    quiet = std::freopen("/dev/null", "w", stderr);
    (void)quiet;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

inline void stopProgram(pid_t& pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

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

}  // namespace testing_support
