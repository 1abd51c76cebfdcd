// Winsock 1.1 (wsock32) behind platform/net.h: the system's part. As on Linux, the
// handle registry (platform/common) keeps a handle whose socket was closed from naming a
// newer socket.
// Every socket is non-blocking; a connection that "waits for its first byte" waits in
// select slices, so that shutting it down or terminating its thread ends the wait.
#include "platform/net.h"

#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <vector>

#include "platform/common/socket_registry.h"
#include "platform/threads.h"

namespace platform {
namespace {

// A wait that cannot be ended by a stop signal or a shutdown lasts at most this long.
constexpr int kWaitSliceMs = 50;

using common::lookUp;

SOCKET socketOf(const SocketEntry& entry) {
    return static_cast<SOCKET>(entry.socket);
}

// Registers the socket; closes it when no handle can be had.
int registerSystemSocket(SOCKET socket, SocketEntry entry) {
    entry.socket = static_cast<NativeSocket>(socket);
    const int handle = common::registerSocket(std::move(entry));
    if (handle == 0)
        ::closesocket(socket);
    return handle;
}

// The failures after which a connection never carries bytes again: a reset or closed
// peer, and a path that gave up (retransmissions timed out, host or network unreachable).
bool isLossError(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENOTCONN ||
           error == WSAESHUTDOWN || error == WSAENETRESET || error == WSAETIMEDOUT ||
           error == WSAEHOSTUNREACH || error == WSAEHOSTDOWN || error == WSAENETDOWN ||
           error == WSAENETUNREACH;
}

bool setNonBlocking(SOCKET socket) {
    u_long on = 1;
    return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

void setNoDelay(SOCKET socket) {
    BOOL on = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

// Waits at most ms until the socket can be read (or written); false on time-out,
// failure, a shutdown or a stop of the calling thread.
bool waitReady(int handle, SOCKET socket, bool forWriting, int ms) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(ms, 0));
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int slice = static_cast<int>(std::min<long long>(left.count(), kWaitSliceMs));
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket, &set);
        timeval timeout{0, std::max(slice, 0) * 1000};
        int result = forWriting ? ::select(0, nullptr, &set, nullptr, &timeout)
                                : ::select(0, &set, nullptr, nullptr, &timeout);
        if (result > 0)
            return true;
        SocketEntry entry;
        if (result < 0 || slice <= 0 || stopRaised() || !lookUp(handle, entry))
            return false;
    }
}

// One recv that does not wait; -1 when nothing is there yet, -2 on failure, else the count.
int receiveNow(SOCKET socket, uint8_t* buffer, size_t count, int flags) {
    int result = ::recv(socket, reinterpret_cast<char*>(buffer),
                        static_cast<int>(std::min<size_t>(count, INT_MAX)), flags);
    if (result >= 0)
        return result;
    return ::WSAGetLastError() == WSAEWOULDBLOCK ? -1 : -2;
}

}  // namespace

// Winsock must be started before any socket call; every way to a socket starts it.
bool startNetwork() {
    static const bool started = [] {
        WSADATA data{};
        return ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }();
    return started;
}

int openServer(int64_t port) {
    if (port < 0 || port > 65535 || !startNetwork())
        return 0;
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET)
        return 0;
    // The port is this listener's alone: SO_REUSEADDR would let another socket bind it too
    // (a taken port would never be reported, connections would be split between the two).
    BOOL on = TRUE;
    ::setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                 sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    if (!setNonBlocking(socket) ||
        ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket, 100) != 0) {
        ::closesocket(socket);
        return 0;
    }
    SocketEntry entry;
    entry.listener = true;
    return registerSystemSocket(socket, std::move(entry));
}

int acceptConnection(int server) {
    SocketEntry listener;
    if (!lookUp(server, listener) || !listener.listener)
        return 0;
    SOCKET accepted = ::accept(socketOf(listener), nullptr, nullptr);
    if (accepted == INVALID_SOCKET)
        return 0;
    // Replies are small sends the client waits for: out at once, not after an ACK.
    setNoDelay(accepted);
    setNonBlocking(accepted);
    SocketEntry entry;
    entry.server = server;
    return registerSystemSocket(accepted, std::move(entry));
}

bool waitForActivity(int server, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        std::vector<NativeSocket> sockets;
        if (!common::serverSockets(server, sockets))
            return true;
        // select takes at most FD_SETSIZE sockets: the listener and the first accepted ones;
        // the slice bounds the wait of any beyond them.
        fd_set set;
        FD_ZERO(&set);
        for (NativeSocket socket : sockets) {
            if (set.fd_count >= FD_SETSIZE)
                break;
            FD_SET(static_cast<SOCKET>(socket), &set);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int slice = static_cast<int>(std::min<long long>(left.count(), kWaitSliceMs));
        timeval timeout{0, std::max(slice, 0) * 1000};
        int result = ::select(0, &set, nullptr, nullptr, &timeout);
        if (result != 0)
            return true;
        if (slice <= 0 || stopRaised())
            return false;
    }
}

int64_t sendSome(int connection, const void* data, size_t count) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return -1;
    if (count == 0)
        return 0;
    const int result = ::send(socketOf(entry), static_cast<const char*>(data),
                              static_cast<int>(std::min<size_t>(count, INT_MAX)), 0);
    if (result >= 0)
        return result;
    return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : -1;
}

// Winsock does not tell it portably: a connection's output counts as delivered once the
// socket has taken it.
size_t unacknowledgedBytes(int) {
    return 0;
}

namespace {

// Closed with a reset instead of a goodbye: a connection this side closes first would
// wait in TIME_WAIT for minutes, and while it waits no exclusive listener can bind its
// port, so a restarted server could not listen again.
void closeWithoutTimeWait(SOCKET socket) {
    linger abort{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                 sizeof abort);
    ::closesocket(socket);
}

}  // namespace

int openConnection(const std::string& host, int64_t port) {
    if (port < 0 || port > 65535 || host.empty() || !startNetwork())
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = ::inet_addr(host.c_str());
    if (address.sin_addr.s_addr == INADDR_NONE && host != "255.255.255.255") {
        const hostent* found = ::gethostbyname(host.c_str());
        if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list[0] == nullptr)
            return 0;
        std::copy_n(found->h_addr_list[0], sizeof address.sin_addr,
                    reinterpret_cast<char*>(&address.sin_addr));
    }
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET)
        return 0;
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        !setNonBlocking(socket)) {
        ::closesocket(socket);
        return 0;
    }
    // The request cycle is small sends in a row ("event", then "imag2"): no waiting for ACKs.
    setNoDelay(socket);
    SocketEntry entry;
    entry.blocking = true;
    return registerSystemSocket(socket, std::move(entry));
}

bool waitReadable(int connection, int timeoutMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    // A closed peer makes the socket readable with nothing to read: that is no data.
    return waitReady(connection, socketOf(entry), false, timeoutMs) && pendingBytes(connection) > 0;
}

size_t receiveBytes(int connection, uint8_t* buffer, size_t count, int completeWithinMs) {
    SocketEntry entry;
    if (count == 0 || !lookUp(connection, entry) || entry.listener)
        return 0;
    size_t got = 0;
    if (entry.blocking) {
        for (;;) {
            int first = receiveNow(socketOf(entry), buffer, count, 0);
            if (first == 0 || first == -2)
                return 0;
            if (first > 0) {
                got = static_cast<size_t>(first);
                break;
            }
            if (!waitReady(connection, socketOf(entry), false, INT_MAX))
                return 0;
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(completeWithinMs);
    while (got < count) {
        int result = receiveNow(socketOf(entry), buffer + got, count - got, 0);
        if (result > 0) {
            got += static_cast<size_t>(result);
            continue;
        }
        if (result != -1)
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 ||
            !waitReady(connection, socketOf(entry), false, static_cast<int>(left.count())))
            break;
    }
    return got;
}

size_t peekBytes(int connection, uint8_t* buffer, size_t count) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener || count == 0)
        return 0;
    int result = receiveNow(socketOf(entry), buffer, count, MSG_PEEK);
    return result > 0 ? static_cast<size_t>(result) : 0;
}

size_t pendingBytes(int connection) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return 0;
    u_long pending = 0;
    if (::ioctlsocket(socketOf(entry), FIONREAD, &pending) != 0)
        return 0;
    return static_cast<size_t>(pending);
}

bool sendBytes(int connection, const void* data, size_t count, int stallLimitMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    const auto* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < count) {
        int result = ::send(socketOf(entry), bytes + sent,
                            static_cast<int>(std::min<size_t>(count - sent, INT_MAX)), 0);
        if (result > 0) {
            sent += static_cast<size_t>(result);
            continue;
        }
        if (result < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK &&
            waitReady(connection, socketOf(entry), true, stallLimitMs))
            continue;
        return false;
    }
    return true;
}

namespace backend {

int localPort(NativeSocket socket) {
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&address),
                      &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

bool peerIPv4(NativeSocket socket, uint32_t& address) {
    sockaddr_in peer{};
    int length = sizeof peer;
    if (::getpeername(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&peer), &length) !=
            0 ||
        peer.sin_family != AF_INET)
        return false;
    address = ntohl(peer.sin_addr.s_addr);
    return true;
}

PeekResult peekConnection(NativeSocket socket) {
    uint8_t peek;
    const int count =
        ::recv(static_cast<SOCKET>(socket), reinterpret_cast<char*>(&peek), 1, MSG_PEEK);
    if (count > 0)
        return PeekResult::Data;
    return count == 0 || isLossError(::WSAGetLastError()) ? PeekResult::Lost : PeekResult::Nothing;
}

void shutDownSocket(NativeSocket socket) {
    ::shutdown(static_cast<SOCKET>(socket), SD_BOTH);
}

void closeConnectionSocket(NativeSocket socket) {
    ::closesocket(static_cast<SOCKET>(socket));
}

void closeServerSockets(const std::vector<NativeSocket>& sockets) {
    for (NativeSocket socket : sockets)
        closeWithoutTimeWait(static_cast<SOCKET>(socket));
}

}  // namespace backend

}  // namespace platform
