// The real server thread in a process of its own, for load programs that look at it from
// outside: its CPU time, resident memory and open descriptors from /proc. The process
// captures the display $DISPLAY names and shows its window on the headless UI.
#pragma once

#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/net.h"
#include "server/server_thread.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "texts/texts.h"

namespace bench_support {

inline constexpr const char* kUser = "anna";
inline constexpr const char* kPassword = "secret";

struct ServerProcess {
    pid_t pid = -1;
    int port = 0;
    std::string folder;  // private, for the temporary frame file
};

// Forks the server before the caller opens display connections of its own. The child
// never returns. False when it did not come up.
inline bool startServerProcess(ServerProcess& server) {
    char folder[] = "/tmp/korvo-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        return false;
    server.folder = folder;
    int portPipe[2];
    if (::pipe(portPipe) != 0)
        return false;
    server.pid = ::fork();
    if (server.pid == 0) {
        korvo::settings = korvo::Settings{};
        korvo::settings.serverUser = kUser;
        korvo::settings.serverPassword = kPassword;
        korvo::settings.serverPort = 0;
        korvo::settings.serverMaxClients = 10000;
        korvo::settings.allowMouse = 1;
        korvo::settings.allowKeyboard = 1;
        korvo::settings.imageQuality = 5;
        korvo::texts = korvo::buildTextTable("english");
        korvo::tempFramePath = server.folder + "/frame.jpg";
        std::thread thread([] { korvo::runServer(); });
        while (korvo::serverOpen != 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        int port = platform::serverPort(korvo::listeningServer);
        if (::write(portPipe[1], &port, sizeof port) != sizeof port)
            std::_Exit(1);
        thread.join();
        std::_Exit(0);
    }
    ::close(portPipe[1]);
    bool started = ::read(portPipe[0], &server.port, sizeof server.port) == sizeof server.port;
    ::close(portPipe[0]);
    return started;
}

inline void stopServerProcess(ServerProcess& server) {
    if (server.pid > 0) {
        ::kill(server.pid, SIGKILL);
        ::waitpid(server.pid, nullptr, 0);
        server.pid = -1;
    }
    if (!server.folder.empty()) {
        std::string frame = server.folder + "/frame.jpg";
        ::unlink(frame.c_str());
        ::rmdir(server.folder.c_str());
    }
}

// Every thread of the process, in milliseconds of CPU (/proc/PID/task/*/schedstat).
inline double processCpuMs(pid_t pid) {
    std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* folder = ::opendir(tasks.c_str());
    if (folder == nullptr)
        return 0;
    double total = 0;
    while (dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        double ns = 0;
        if (stat >> ns)
            total += ns / 1e6;
    }
    ::closedir(folder);
    return total;
}

// VmRSS in KiB; 0 when it cannot be read.
inline long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

// Entries of /proc/PID/fd.
inline int openDescriptors(pid_t pid) {
    std::string path = "/proc/" + std::to_string(pid) + "/fd";
    DIR* folder = ::opendir(path.c_str());
    if (folder == nullptr)
        return -1;
    int count = 0;
    while (dirent* entry = ::readdir(folder))
        if (entry->d_name[0] != '.')
            ++count;
    ::closedir(folder);
    return count;
}

}  // namespace bench_support
