// Winsock 1.1 (wsock32) behind platform/net.h. As on Linux, handles map to sockets
// through one registry, so a handle whose socket was closed never names a newer socket.
// Every socket is non-blocking; a connection that "waits for its first byte" waits in
// select slices, so that shutting it down or terminating its thread ends the wait.
#include "platform/net.h"

#include <winsock2.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <map>
#include <mutex>
#include <vector>

#include "platform/threads.h"

namespace platform {
namespace {

struct SocketEntry {
    SOCKET socket = INVALID_SOCKET;
    int server = 0;             // the listener a connection was accepted through; 0 for others
    bool listener = false;      // a listening server
    bool blocking = false;      // reads wait for their first byte
    bool shut = false;          // shutdownServer: every call fails from now on
    std::vector<int> accepted;  // for a listener: its connections in accept order
};

std::mutex registryMutex;
std::map<int, SocketEntry> registry;
int nextHandle = 1;

// A wait that cannot be ended by a stop signal or a shutdown lasts at most this long.
constexpr int kWaitSliceMs = 50;

int registerSocket(SocketEntry entry) {
    std::lock_guard lock(registryMutex);
    if (nextHandle == INT_MAX) {
        ::closesocket(entry.socket);
        return 0;
    }
    int handle = nextHandle++;
    if (entry.server != 0) {
        auto owner = registry.find(entry.server);
        if (owner == registry.end()) {
            // The server went away while this connection was being accepted.
            ::closesocket(entry.socket);
            return 0;
        }
        if (owner->second.shut)
            entry.shut = true;
        owner->second.accepted.push_back(handle);
    }
    registry.emplace(handle, std::move(entry));
    return handle;
}

bool lookUp(int handle, SocketEntry& copy) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(handle);
    if (found == registry.end() || found->second.shut)
        return false;
    copy = found->second;
    return true;
}

// Removes a connection from the registry and from its server's list; the caller holds
// the lock. Returns the socket to close, or INVALID_SOCKET.
SOCKET forgetLocked(int handle) {
    auto found = registry.find(handle);
    if (found == registry.end())
        return INVALID_SOCKET;
    SOCKET socket = found->second.socket;
    if (found->second.server != 0) {
        auto owner = registry.find(found->second.server);
        if (owner != registry.end())
            std::erase(owner->second.accepted, handle);
    }
    registry.erase(found);
    return socket;
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
    entry.socket = socket;
    entry.listener = true;
    return registerSocket(std::move(entry));
}

int serverPort(int server) {
    SocketEntry entry;
    if (!lookUp(server, entry) || !entry.listener)
        return 0;
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(entry.socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

int acceptConnection(int server) {
    SocketEntry listener;
    if (!lookUp(server, listener) || !listener.listener)
        return 0;
    SOCKET accepted = ::accept(listener.socket, nullptr, nullptr);
    if (accepted == INVALID_SOCKET)
        return 0;
    // Replies are small sends the client waits for: out at once, not after an ACK.
    setNoDelay(accepted);
    setNonBlocking(accepted);
    SocketEntry entry;
    entry.socket = accepted;
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
        int count = ::recv(connection.socket, reinterpret_cast<char*>(&peek), 1, MSG_PEEK);
        if (count > 0)
            return {NetEventKind::Data, handle};
        if (count == 0 || isLossError(::WSAGetLastError())) {
            releaseConnection(handle);
            return {NetEventKind::Lost, handle};
        }
    }
    return {};
}

NetEvent pollServer(int server, int servedLast) {
    int accepted = acceptConnection(server);
    if (accepted != 0)
        return {NetEventKind::Connect, accepted};
    return pollConnections(server, servedLast);
}

bool waitForActivity(int server, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        SocketEntry listener;
        if (!lookUp(server, listener) || !listener.listener)
            return true;
        // select takes at most FD_SETSIZE sockets: the listener and the first accepted ones;
        // the slice bounds the wait of any beyond them.
        fd_set set;
        FD_ZERO(&set);
        FD_SET(listener.socket, &set);
        for (int handle : listener.accepted) {
            if (set.fd_count >= FD_SETSIZE)
                break;
            SocketEntry connection;
            if (lookUp(handle, connection))
                FD_SET(connection.socket, &set);
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

bool sendBytesWithin(int connection, const void* data, size_t count, int limitMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(limitMs, 0));
    const auto* bytes = static_cast<const char*>(data);
    size_t sent = 0;
    while (sent < count) {
        int result = ::send(entry.socket, bytes + sent,
                            static_cast<int>(std::min<size_t>(count - sent, INT_MAX)), 0);
        if (result > 0) {
            sent += static_cast<size_t>(result);
            continue;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (result < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK && left.count() > 0 &&
            waitReady(connection, entry.socket, true, static_cast<int>(left.count())))
            continue;
        return false;
    }
    return true;
}

void shutdownServer(int server) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(server);
    if (found == registry.end() || !found->second.listener)
        return;
    found->second.shut = true;
    ::shutdown(found->second.socket, SD_BOTH);
    for (int handle : found->second.accepted) {
        auto connection = registry.find(handle);
        if (connection != registry.end()) {
            connection->second.shut = true;
            ::shutdown(connection->second.socket, SD_BOTH);
        }
    }
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

void releaseServer(int server) {
    std::vector<SOCKET> sockets;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(server);
        if (found == registry.end() || !found->second.listener)
            return;
        std::vector<int> accepted = found->second.accepted;
        for (int handle : accepted) {
            SOCKET socket = forgetLocked(handle);
            if (socket != INVALID_SOCKET)
                sockets.push_back(socket);
        }
        sockets.push_back(found->second.socket);
        registry.erase(found);
    }
    for (SOCKET socket : sockets)
        closeWithoutTimeWait(socket);
}

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
    entry.socket = socket;
    entry.blocking = true;
    return registerSocket(std::move(entry));
}

bool releaseConnection(int connection) {
    SOCKET socket;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(connection);
        if (found == registry.end() || found->second.listener)
            return false;
        socket = forgetLocked(connection);
    }
    if (socket != INVALID_SOCKET)
        ::closesocket(socket);
    return socket != INVALID_SOCKET;
}

void shutdownConnection(int connection) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(connection);
    if (found == registry.end() || found->second.listener)
        return;
    found->second.shut = true;
    ::shutdown(found->second.socket, SD_BOTH);
}

bool waitReadable(int connection, int timeoutMs) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    // A closed peer makes the socket readable with nothing to read: that is no data.
    return waitReady(connection, entry.socket, false, timeoutMs) && pendingBytes(connection) > 0;
}

bool isConnectionOpen(int connection) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(connection);
    return found != registry.end() && !found->second.listener;
}

bool peerAddress(int connection, uint32_t& address) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return false;
    sockaddr_in peer{};
    int length = sizeof peer;
    if (::getpeername(entry.socket, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
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
        for (;;) {
            int first = receiveNow(entry.socket, buffer, count, 0);
            if (first == 0 || first == -2)
                return 0;
            if (first > 0) {
                got = static_cast<size_t>(first);
                break;
            }
            if (!waitReady(connection, entry.socket, false, INT_MAX))
                return 0;
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(completeWithinMs);
    while (got < count) {
        int result = receiveNow(entry.socket, buffer + got, count - got, 0);
        if (result > 0) {
            got += static_cast<size_t>(result);
            continue;
        }
        if (result != -1)
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 ||
            !waitReady(connection, entry.socket, false, static_cast<int>(left.count())))
            break;
    }
    return got;
}

size_t peekBytes(int connection, uint8_t* buffer, size_t count) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener || count == 0)
        return 0;
    int result = receiveNow(entry.socket, buffer, count, MSG_PEEK);
    return result > 0 ? static_cast<size_t>(result) : 0;
}

size_t pendingBytes(int connection) {
    SocketEntry entry;
    if (!lookUp(connection, entry) || entry.listener)
        return 0;
    u_long pending = 0;
    if (::ioctlsocket(entry.socket, FIONREAD, &pending) != 0)
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
        int result = ::send(entry.socket, bytes + sent,
                            static_cast<int>(std::min<size_t>(count - sent, INT_MAX)), 0);
        if (result > 0) {
            sent += static_cast<size_t>(result);
            continue;
        }
        if (result < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK &&
            waitReady(connection, entry.socket, true, stallLimitMs))
            continue;
        return false;
    }
    return true;
}

}  // namespace platform
