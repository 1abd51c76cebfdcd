// A client made of a plain socket on 127.0.0.1, for talking to the server byte by byte.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// The few calls that differ between POSIX sockets and Winsock (which the program
// starts before any client of a test connects).
#ifdef _WIN32
using SocketHandle = SOCKET;
using AddressLength = int;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
constexpr int kSocketType = SOCK_STREAM;
constexpr int kSendFlags = 0;
inline void closeSocket(SocketHandle s) {
    ::closesocket(s);
}
inline int pollSocket(pollfd* entry, int timeoutMs) {
    return ::WSAPoll(entry, 1, timeoutMs);
}
#else
using SocketHandle = int;
using AddressLength = socklen_t;
constexpr SocketHandle kNoSocket = -1;
constexpr int kSocketType = SOCK_STREAM | SOCK_CLOEXEC;
constexpr int kSendFlags = MSG_NOSIGNAL;
inline void closeSocket(SocketHandle s) {
    ::close(s);
}
inline int pollSocket(pollfd* entry, int timeoutMs) {
    return ::poll(entry, 1, timeoutMs);
}
#endif

// A loopback port nobody listens on now.
inline int freeLoopbackPort() {
    SocketHandle fd = ::socket(AF_INET, kSocketType, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    AddressLength length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    closeSocket(fd);
    return ntohs(address.sin_port);
}

class RawClient {
public:
    // receiveBuffer > 0 makes the socket's receive buffer that small, for a client that
    // falls behind.
    explicit RawClient(int port, int receiveBuffer = 0) {
        fd_ = ::socket(AF_INET, kSocketType, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&receiveBuffer),
                         sizeof receiveBuffer);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { close(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    SocketHandle socket() const { return fd_; }

    void close() {
        if (fd_ != kNoSocket)
            closeSocket(fd_);
        fd_ = kNoSocket;
    }

    bool send(const std::string& bytes) { return send(bytes.data(), bytes.size()); }
    bool send(const void* data, size_t count) {
        const auto* p = static_cast<const char*>(data);
        while (count > 0) {
            const int chunk = static_cast<int>(std::min<size_t>(count, 1 << 30));
            const auto sent = ::send(fd_, p, chunk, kSendFlags);
            if (sent <= 0)
                return false;
            p += sent;
            count -= static_cast<size_t>(sent);
        }
        return true;
    }

    // Reads until `count` bytes came, the peer closed, or `waitMs` passed.
    std::string receive(size_t count, int waitMs = 3000) {
        std::string bytes;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        std::vector<char> buffer(65536);
        while (bytes.size() < count) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left < 0)
                break;
            pollfd entry{fd_, POLLIN, 0};
            if (pollSocket(&entry, static_cast<int>(left)) <= 0)
                break;
            size_t want = std::min(buffer.size(), count - bytes.size());
            const auto got = ::recv(fd_, buffer.data(), static_cast<int>(want), 0);
            if (got <= 0) {
                peerClosed_ = true;
                break;
            }
            bytes.append(buffer.data(), static_cast<size_t>(got));
        }
        return bytes;
    }

    // One read of at most `count` bytes, as a client's receive call makes it, after
    // waiting at most waitMs for the first byte.
    std::string receiveOnce(size_t count, int waitMs = 3000) {
        pollfd entry{fd_, POLLIN, 0};
        if (pollSocket(&entry, waitMs) <= 0)
            return {};
        std::string bytes(count, '\0');
        const auto got = ::recv(fd_, bytes.data(), static_cast<int>(count), 0);
        bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
        return bytes;
    }

    // True when nothing arrives within waitMs (and the connection stays open).
    bool silentFor(int waitMs) {
        pollfd entry{fd_, POLLIN, 0};
        return pollSocket(&entry, waitMs) == 0;
    }

    // True when the server closes the connection within waitMs (data before is dropped).
    bool closedByPeer(int waitMs = 3000) {
        receive(SIZE_MAX, waitMs);
        return peerClosed_;
    }

private:
    SocketHandle fd_ = kNoSocket;
    bool connected_ = false;
    bool peerClosed_ = false;
};

inline std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values)
        text.push_back(static_cast<char>(v));
    return text;
}

// A client of a server that is still starting: tries to connect for up to ten seconds,
// then sends the 85-byte login message given and puts the server's answer (2 bytes when
// all is well) into `reply`. Null when nobody listened on the port by then.
inline std::unique_ptr<RawClient> logInWhenListening(int port, const uint8_t* login,
                                                     size_t loginLength, std::string& reply) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        auto client = std::make_unique<RawClient>(port);
        if (client->connected()) {
            client->send(login, loginLength);
            reply = client->receive(2);
            return client;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return nullptr;
}

}  // namespace testing_support
