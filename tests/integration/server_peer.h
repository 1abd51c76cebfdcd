// The test's end of server_peer: the real server thread in a process of its own, driven
// line by line through pipes and stopped by its process id.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef KORVO_SERVER_PEER
#error "KORVO_SERVER_PEER names the server peer program"
#endif

namespace testing_support {

class ServerPeer {
public:
    ServerPeer() {
        int toPeer[2] = {-1, -1};
        int fromPeer[2] = {-1, -1};
        if (::pipe2(toPeer, O_CLOEXEC) != 0 || ::pipe2(fromPeer, O_CLOEXEC) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            ::dup2(toPeer[0], 0);
            ::dup2(fromPeer[1], 1);
            ::execl(KORVO_SERVER_PEER, KORVO_SERVER_PEER, nullptr);
            ::_exit(127);
        }
        ::close(toPeer[0]);
        ::close(fromPeer[1]);
        in_ = toPeer[1];
        out_ = fromPeer[0];
    }
    ~ServerPeer() { stop(); }
    ServerPeer(const ServerPeer&) = delete;
    ServerPeer& operator=(const ServerPeer&) = delete;

    // One command and the first line of its answer ("" when none came within 5 s).
    std::string ask(const std::string& command) {
        send(command);
        return line();
    }

    // Starts the server; its port, 0 when it did not start.
    int start() {
        std::istringstream answer(ask("start"));
        std::string word;
        int port = 0;
        answer >> word >> port;
        return word == "port" ? port : 0;
    }

    std::vector<std::string> injectedCalls() {
        send("calls");
        std::vector<std::string> calls;
        for (std::string call = line(); !call.empty() && call != "end"; call = line())
            calls.push_back(call);
        return calls;
    }

    int captures() { return std::atoi(ask("captures").c_str()); }
    int clients() { return std::atoi(ask("clients").c_str()); }
    pid_t pid() const { return pid_; }

    void stop() {
        if (pid_ <= 0)
            return;
        send("quit");
        for (int i = 0; i < 300 && ::waitpid(pid_, nullptr, WNOHANG) != pid_; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (::kill(pid_, 0) == 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(in_);
        ::close(out_);
        pid_ = -1;
    }

private:
    void send(const std::string& command) {
        const std::string text = command + "\n";
        [[maybe_unused]] ssize_t written = ::write(in_, text.data(), text.size());
    }

    std::string line() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            const size_t end = buffered_.find('\n');
            if (end != std::string::npos) {
                std::string first = buffered_.substr(0, end);
                buffered_.erase(0, end + 1);
                return first;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd readable{out_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                return {};
            char piece[4096];
            const ssize_t count = ::read(out_, piece, sizeof piece);
            if (count <= 0)
                return {};
            buffered_.append(piece, static_cast<size_t>(count));
        }
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffered_;
};

}  // namespace testing_support
