// A server made of a plain socket on 127.0.0.1 that answers the client as a test scripts
// it, for what the real server never does.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codec/jpeg_encode.h"

namespace testing_support {

class ScriptedServer {
public:
    // Called on the server's thread with each request the client sends (the keyword; a
    // login with its body is "login").
    using Script = std::function<void(ScriptedServer& server, const std::string& keyword)>;

    explicit ScriptedServer(Script script) : script_(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~ScriptedServer() {
        running_ = false;
        thread_.join();
        if (connection_ >= 0)
            ::close(connection_);
        ::close(listener_);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }

    // False once the test is ending: a script that loops stops then.
    bool running() const { return running_; }

    // Whether the client has sent bytes that the server has not read yet.
    bool requestWaiting() const {
        pollfd watched{connection_, POLLIN, 0};
        return ::poll(&watched, 1, 0) > 0;
    }

    void send(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            ssize_t count =
                ::send(connection_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (count <= 0)
                return;
            sent += static_cast<size_t>(count);
        }
    }

    // One frame by the memory route: chunks of 0x01 and up to 1023 bytes, one send each.
    void sendChunks(const std::string& frame) {
        for (size_t s = 0; s < frame.size(); s += 1023)
            send("\x01" + frame.substr(s, 1023));
    }

    // The requests so far, in order.
    std::vector<std::string> requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    // The frame requests ("image", "imag2") so far.
    std::vector<std::string> frameRequests() {
        std::vector<std::string> frames;
        for (const std::string& request : requests())
            if (request == "image" || request == "imag2")
                frames.push_back(request);
        return frames;
    }

private:
    void serve() {
        while (running_) {
            pollfd watched{connection_ >= 0 ? connection_ : listener_, POLLIN, 0};
            if (::poll(&watched, 1, 20) <= 0)
                continue;
            if (connection_ < 0) {
                connection_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                int on = 1;
                ::setsockopt(connection_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                continue;
            }
            std::string keyword = receive(5);
            if (keyword.size() < 5) {
                ::close(connection_);
                connection_ = -1;
                continue;
            }
            if (keyword == "login")
                receive(256);
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(keyword);
            }
            if (keyword == "event")
                receive(20);
            script_(*this, keyword);
        }
    }

    std::string receive(size_t count) {
        std::string bytes;
        while (bytes.size() < count && running_) {
            pollfd watched{connection_, POLLIN, 0};
            if (::poll(&watched, 1, 20) <= 0)
                continue;
            char piece[512];
            ssize_t got =
                ::recv(connection_, piece, std::min(sizeof piece, count - bytes.size()), 0);
            if (got <= 0)
                break;
            bytes.append(piece, static_cast<size_t>(got));
        }
        return bytes;
    }

    Script script_;
    int listener_ = -1;
    int connection_ = -1;
    int port_ = 0;
    std::atomic<bool> running_{true};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
};

// A small JPEG of a gradient, as the server's encoder makes it.
inline std::string testJpeg(int width = 96, int height = 64, int seed = 0) {
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<uint8_t>(i * 3 + static_cast<size_t>(seed) * 50 + i / 97);
    platform::PixelView view{rows.data(), width, height, static_cast<size_t>(width) * 4};
    std::vector<uint8_t> out(1 << 20);
    size_t size = korvo::encodeJpegToMemory(view, 50, out.data(), out.size());
    return std::string(reinterpret_cast<const char*>(out.data()), size);
}

}  // namespace testing_support
