// POSIX sockets behind platform/net.h: the system's part. The handle registry
// (platform/common) keeps a handle whose socket was closed from naming a newer socket
// that got the same descriptor number.
#include "platform/net.h"

#include <arpa/inet.h>
#include <linux/sockios.h>
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
#include <vector>

#include "platform/common/socket_registry.h"

namespace platform {
namespace {

using common::lookUp;

int fdOf(const SocketEntry& entry) {
    return static_cast<int>(entry.socket);
}

// Registers the descriptor; closes it when no handle can be had.
int registerDescriptor(SocketEntry entry) {
    const int fd = fdOf(entry);
    const int handle = common::registerSocket(std::move(entry));
    if (handle == 0)
        ::close(fd);
    return handle;
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
    entry.socket = fd;
    entry.listener = true;
    return registerDescriptor(std::move(entry));
}

int acceptConnection(int server) {
    SocketEntry listener;
    if (!lookUp(server, listener) || !listener.listener)
        return 0;
    // accept4 builds a socket before it finds the queue empty: a look first costs far less.
    if (!waitReady(fdOf(listener), POLLIN, 0))
        return 0;
    int fd = ::accept4(fdOf(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0)
        return 0;
    // Replies are small sends that the client waits for (a tag, a result byte, the last
    // chunk of a frame): they go out at once instead of waiting for an ACK.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    SocketEntry entry;
    entry.socket = fd;
    entry.server = server;
    return registerDescriptor(std::move(entry));
}

bool waitForActivity(int server, int timeoutMs) {
    std::vector<NativeSocket> sockets;
    if (!common::serverSockets(server, sockets))
        return true;
    std::vector<pollfd> watched;
    for (NativeSocket socket : sockets)
        watched.push_back({static_cast<int>(socket), POLLIN, 0});
    for (;;) {
        int result = ::poll(watched.data(), watched.size(), timeoutMs);
        if (result >= 0)
            return result > 0;
        if (errno != EINTR)
            return true;
    }
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
    entry.socket = fd;
    entry.blocking = true;
    return registerDescriptor(std::move(entry));
}

bool waitReadable(int connection, int timeoutMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    pollfd watched{fdOf(entry), POLLIN, 0};
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        int result = ::poll(&watched, 1, millisecondsLeft(deadline));
        if (result > 0)
            return (watched.revents & POLLIN) != 0 && pendingBytes(connection) > 0;
        if (result == 0 || errno != EINTR)
            return false;
    }
}

size_t receiveBytes(int connection, uint8_t* buffer, size_t count, int completeWithinMs) {
    SocketEntry entry;
    if (count == 0 || !lookUp(connection, entry) || entry.listener)
        return 0;
    size_t got = 0;
    if (entry.blocking) {
        ssize_t first = receiveOnce(fdOf(entry), buffer, count, 0);
        if (first <= 0)
            return 0;
        got = static_cast<size_t>(first);
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(completeWithinMs);
    while (got < count) {
        ssize_t result = receiveOnce(fdOf(entry), buffer + got, count - got, MSG_DONTWAIT);
        if (result > 0) {
            got += static_cast<size_t>(result);
            continue;
        }
        if (result == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            break;
        int left = millisecondsLeft(deadline);
        if (left <= 0 || !waitReady(fdOf(entry), POLLIN, left))
            break;
    }
    return got;
}

size_t peekBytes(int connection, uint8_t* buffer, size_t count) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener || count == 0)
        return 0;
    ssize_t result = receiveOnce(fdOf(entry), buffer, count, MSG_PEEK | MSG_DONTWAIT);
    return result > 0 ? static_cast<size_t>(result) : 0;
}

size_t pendingBytes(int connection) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return 0;
    int pending = 0;
    if (::ioctl(fdOf(entry), FIONREAD, &pending) != 0 || pending < 0)
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
        ssize_t result =
            ::send(fdOf(entry), bytes + sent, count - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result > 0) {
            sent += static_cast<size_t>(result);
            continue;
        }
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitReady(fdOf(entry), POLLOUT, stallLimitMs))
            continue;
        return false;
    }
    return true;
}

int64_t sendSome(int connection, const void* data, size_t count) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return -1;
    if (count == 0)
        return 0;
    for (;;) {
        ssize_t result = ::send(fdOf(entry), data, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result >= 0)
            return result;
        if (errno == EINTR)
            continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

size_t unacknowledgedBytes(int connection) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return 0;
    int queued = 0;
    if (::ioctl(fdOf(entry), SIOCOUTQ, &queued) != 0 || queued < 0)
        return 0;
    return static_cast<size_t>(queued);
}

namespace backend {

int localPort(NativeSocket socket) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), &length) !=
        0)
        return 0;
    return ntohs(address.sin_port);
}

bool peerIPv4(NativeSocket socket, uint32_t& address) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
        peer.sin_family != AF_INET)
        return false;
    address = ntohl(peer.sin_addr.s_addr);
    return true;
}

PeekResult peekConnection(NativeSocket socket) {
    uint8_t peek;
    const ssize_t count = receiveOnce(static_cast<int>(socket), &peek, 1, MSG_PEEK | MSG_DONTWAIT);
    if (count > 0)
        return PeekResult::Data;
    return count == 0 || isLossError(errno) ? PeekResult::Lost : PeekResult::Nothing;
}

void shutDownSocket(NativeSocket socket) {
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
}

void closeConnectionSocket(NativeSocket socket) {
    ::close(static_cast<int>(socket));
}

void closeServerSockets(const std::vector<NativeSocket>& sockets) {
    for (NativeSocket socket : sockets)
        ::close(static_cast<int>(socket));
}

}  // namespace backend

}  // namespace platform
