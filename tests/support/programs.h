// Helper programs of a test (a terminal, a compositor, the program under test), started
// with their output dropped and stopped by their process ids.
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    std::fflush(stdout);  // or the child's reopening writes it out once more
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

}  // namespace testing_support
