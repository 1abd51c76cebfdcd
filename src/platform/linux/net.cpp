// POSIX sockets behind platform/net.h. Handles map to descriptors through one
// registry, so a handle whose socket was closed never names a newer socket that got
// the same descriptor number.
#include "platform/net.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <map>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct SocketEntry {
    int fd = -1;
    int server = 0;             // the listener a connection was accepted through; 0 for others
    bool listener = false;      // a listening server
    bool blocking = false;      // reads wait for their first byte
    std::vector<int> accepted;  // for a listener: its connections in accept order
};

std::mutex registryMutex;
std::map<int, SocketEntry> registry;
int nextHandle = 1;

int registerSocket(SocketEntry entry) {
    std::lock_guard lock(registryMutex);
    if (nextHandle == INT_MAX) {
        ::close(entry.fd);
        return 0;
    }
    int handle = nextHandle++;
    if (entry.server != 0) {
        auto owner = registry.find(entry.server);
        if (owner == registry.end()) {
            // The server went away while this connection was being accepted.
            ::close(entry.fd);
            return 0;
        }
        owner->second.accepted.push_back(handle);
    }
    registry.emplace(handle, std::move(entry));
    return handle;
}

bool lookUp(int handle, SocketEntry& copy) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(handle);
    if (found == registry.end())
        return false;
    copy = found->second;
    return true;
}

// Removes a connection from the registry and from its server's list; the caller holds
// the lock. Returns the descriptor to close, or -1.
int forgetLocked(int handle) {
    auto found = registry.find(handle);
    if (found == registry.end())
        return -1;
    int fd = found->second.fd;
    if (found->second.server != 0) {
        auto owner = registry.find(found->second.server);
        if (owner != registry.end()) {
            auto& list = owner->second.accepted;
            std::erase(list, handle);
        }
    }
    registry.erase(found);
    return fd;
}

// The failures after which a connection never carries bytes again: a reset or closed
// peer, and a path that gave up (retransmissions timed out, host or network unreachable).
bool isLossError(int error) {
    return error == ECONNRESET || error == ECONNABORTED || error == ENOTCONN ||
           error == ESHUTDOWN || error == EPIPE || error == ETIMEDOUT || error == EHOSTUNREACH ||
           error == EHOSTDOWN || error == ENETDOWN || error == ENETUNREACH || error == ENETRESET;
}

using Clock = std::chrono::steady_clock;

int millisecondsLeft(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until the descriptor is ready for `events`; false on time-out or failure.
bool waitReady(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    for (;;) {
        int result = ::poll(&entry, 1, timeoutMs);
        if (result > 0)
            return true;
        if (result == 0 || errno != EINTR)
            return false;
    }
}

ssize_t receiveOnce(int fd, uint8_t* buffer, size_t count, int flags) {
    for (;;) {
        ssize_t result = ::recv(fd, buffer, count, flags);
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

}  // namespace

bool startNetwork() {
    return true;
}

int openServer(int64_t port) {
    if (port < 0 || port > 65535)
        return 0;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 100) != 0) {
        ::close(fd);
        return 0;
    }
    SocketEntry entry;
    entry.fd = fd;
    entry.listener = true;
    return registerSocket(std::move(entry));
}

int serverPort(int server) {
    SocketEntry entry;
    if (!lookUp(server, entry) || !entry.listener)
        return 0;
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(entry.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

NetEvent pollServer(int server, int servedLast) {
    int accepted = acceptConnection(server);
    if (accepted != 0)
        return {NetEventKind::Connect, accepted};
    return pollConnections(server, servedLast);
}

int acceptConnection(int server) {
    SocketEntry listener;
    if (!lookUp(server, listener) || !listener.listener)
        return 0;
    // accept4 builds a socket before it finds the queue empty: a look first costs far less.
    if (!waitReady(listener.fd, POLLIN, 0))
        return 0;
    int fd = ::accept4(listener.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return 0;
    // Replies are small sends that the client waits for (a tag, a result byte, the last
    // chunk of a frame): they go out at once instead of waiting for an ACK.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SocketEntry entry;
    entry.fd = fd;
    entry.server = server;
    return registerSocket(std::move(entry));
}

NetEvent pollConnections(int server, int servedLast) {
    SocketEntry listener;
    if (!lookUp(server, listener) || !listener.listener)
        return {};
    const std::vector<int>& order = listener.accepted;
    size_t start = 0;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == servedLast) {
            start = i + 1;
            break;
        }
    for (size_t step = 0; step < order.size(); ++step) {
        int handle = order[(start + step) % order.size()];
        SocketEntry connection;
        if (!lookUp(handle, connection))
            continue;
        uint8_t peek;
        ssize_t count = receiveOnce(connection.fd, &peek, 1, MSG_PEEK | MSG_DONTWAIT);
        if (count > 0)
            return {NetEventKind::Data, handle};
        if (count == 0 || isLossError(errno)) {
            releaseConnection(handle);
            return {NetEventKind::Lost, handle};
        }
    }
    return {};
}

bool waitForActivity(int server, int timeoutMs) {
    std::vector<pollfd> watched;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(server);
        if (found == registry.end() || !found->second.listener)
            return true;
        watched.push_back({found->second.fd, POLLIN, 0});
        for (int handle : found->second.accepted) {
            auto connection = registry.find(handle);
            if (connection != registry.end())
                watched.push_back({connection->second.fd, POLLIN, 0});
        }
    }
    for (;;) {
        int result = ::poll(watched.data(), watched.size(), timeoutMs);
        if (result >= 0)
            return result > 0;
        if (errno != EINTR)
            return true;
    }
}

void shutdownServer(int server) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(server);
    if (found == registry.end() || !found->second.listener)
        return;
    ::shutdown(found->second.fd, SHUT_RDWR);
    for (int handle : found->second.accepted) {
        auto connection = registry.find(handle);
        if (connection != registry.end())
            ::shutdown(connection->second.fd, SHUT_RDWR);
    }
}

void releaseServer(int server) {
    std::vector<int> descriptors;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(server);
        if (found == registry.end() || !found->second.listener)
            return;
        std::vector<int> accepted = found->second.accepted;
        for (int handle : accepted) {
            int fd = forgetLocked(handle);
            if (fd >= 0)
                descriptors.push_back(fd);
        }
        descriptors.push_back(found->second.fd);
        registry.erase(found);
    }
    for (int fd : descriptors)
        ::close(fd);
}

int openConnection(const std::string& host, int64_t port) {
    if (port < 0 || port > 65535)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
            return 0;
        address.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return 0;
    }
    // The request cycle is small sends in a row ("event", then "imag2"): no waiting for ACKs.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SocketEntry entry;
    entry.fd = fd;
    entry.blocking = true;
    return registerSocket(std::move(entry));
}

bool releaseConnection(int connection) {
    int fd;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(connection);
        if (found == registry.end() || found->second.listener)
            return false;
        fd = forgetLocked(connection);
    }
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

void shutdownConnection(int connection) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(connection);
    if (found != registry.end() && !found->second.listener)
        ::shutdown(found->second.fd, SHUT_RDWR);
}

bool waitReadable(int connection, int timeoutMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    pollfd watched{entry.fd, POLLIN, 0};
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        int result = ::poll(&watched, 1, millisecondsLeft(deadline));
        if (result > 0)
            return (watched.revents & POLLIN) != 0 && pendingBytes(connection) > 0;
        if (result == 0 || errno != EINTR)
            return false;
    }
}

bool isConnectionOpen(int connection) {
    SocketEntry entry;
    return lookUp(connection, entry) && !entry.listener;
}

bool peerAddress(int connection, uint32_t& address) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(entry.fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.sin_family != AF_INET)
        return false;
    address = ntohl(peer.sin_addr.s_addr);
    return true;
}

size_t receiveBytes(int connection, uint8_t* buffer, size_t count, int completeWithinMs) {
    SocketEntry entry;
    if (count == 0 || !lookUp(connection, entry) || entry.listener)
        return 0;
    size_t got = 0;
    if (entry.blocking) {
        ssize_t first = receiveOnce(entry.fd, buffer, count, 0);
        if (first <= 0)
            return 0;
        got = static_cast<size_t>(first);
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(completeWithinMs);
    while (got < count) {
        ssize_t result = receiveOnce(entry.fd, buffer + got, count - got, MSG_DONTWAIT);
        if (result > 0) {
            got += static_cast<size_t>(result);
            continue;
        }
        if (result == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            break;
        int left = millisecondsLeft(deadline);
        if (left <= 0 || !waitReady(entry.fd, POLLIN, left))
            break;
    }
    return got;
}

size_t peekBytes(int connection, uint8_t* buffer, size_t count) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener || count == 0)
        return 0;
    ssize_t result = receiveOnce(entry.fd, buffer, count, MSG_PEEK | MSG_DONTWAIT);
    return result > 0 ? static_cast<size_t>(result) : 0;
}

size_t pendingBytes(int connection) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return 0;
    int pending = 0;
    if (::ioctl(entry.fd, FIONREAD, &pending) != 0 || pending < 0)
        return 0;
    return static_cast<size_t>(pending);
}

bool sendBytes(int connection, const void* data, size_t count, int stallLimitMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < count) {
        ssize_t result = ::send(entry.fd, bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result > 0) {
            sent += static_cast<size_t>(result);
            continue;
        }
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitReady(entry.fd, POLLOUT, stallLimitMs))
            continue;
        return false;
    }
    return true;
}

bool sendBytesWithin(int connection, const void* data, size_t count, int limitMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limitMs, 0));
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t sent = 0;
    while (sent < count) {
        ssize_t result = ::send(entry.fd, bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result > 0) {
            sent += static_cast<size_t>(result);
            continue;
        }
        if (result < 0 && errno == EINTR)
            continue;
        int left = millisecondsLeft(deadline);
        if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && left > 0 &&
            waitReady(entry.fd, POLLOUT, left))
            continue;
        return false;
    }
    return true;
}

}  // namespace platform
