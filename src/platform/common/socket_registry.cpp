// The handle registry and the parts of net.h that are bookkeeping alone: polling a
// server's connections in turn, shutting down and releasing.
#include "platform/common/socket_registry.h"

#include <climits>
#include <map>
#include <mutex>

#include "platform/net.h"

namespace platform {
namespace {

std::mutex registryMutex;
std::map<int, SocketEntry> registry;
int nextHandle = 1;

// Removes a connection from the registry and from its server's list; the caller holds
// the lock. False when the handle names nothing.
bool forgetLocked(int handle, NativeSocket& socket) {
    auto found = registry.find(handle);
    if (found == registry.end())
        return false;
    socket = found->second.socket;
    if (found->second.server != 0) {
        auto owner = registry.find(found->second.server);
        if (owner != registry.end())
            std::erase(owner->second.accepted, handle);
    }
    registry.erase(found);
    return true;
}

}  // namespace

namespace common {

int registerSocket(SocketEntry entry) {
    std::lock_guard lock(registryMutex);
    if (nextHandle == INT_MAX)
        return 0;
    if (entry.server != 0) {
        auto owner = registry.find(entry.server);
        if (owner == registry.end())
            return 0;
        entry.shut = entry.shut || owner->second.shut;
    }
    const int handle = nextHandle++;
    if (entry.server != 0)
        registry[entry.server].accepted.push_back(handle);
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

bool serverSockets(int server, std::vector<NativeSocket>& sockets) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(server);
    if (found == registry.end() || !found->second.listener || found->second.shut)
        return false;
    sockets.assign(1, found->second.socket);
    for (int handle : found->second.accepted) {
        auto connection = registry.find(handle);
        if (connection != registry.end())
            sockets.push_back(connection->second.socket);
    }
    return true;
}

}  // namespace common

int serverPort(int server) {
    SocketEntry entry;
    if (!common::lookUp(server, entry) || !entry.listener)
        return 0;
    return backend::localPort(entry.socket);
}

bool peerAddress(int connection, uint32_t& address) {
    SocketEntry entry;
    return common::lookUp(connection, entry) && !entry.listener &&
           backend::peerIPv4(entry.socket, address);
}

NetEvent pollServer(int server, int servedLast) {
    const int accepted = acceptConnection(server);
    if (accepted != 0)
        return {NetEventKind::Connect, accepted};
    return pollConnections(server, servedLast);
}

NetEvent pollConnections(int server, int servedLast) {
    SocketEntry listener;
    if (!common::lookUp(server, listener) || !listener.listener)
        return {};
    const std::vector<int>& order = listener.accepted;
    size_t start = 0;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == servedLast) {
            start = i + 1;
            break;
        }
    for (size_t step = 0; step < order.size(); ++step) {
        const int handle = order[(start + step) % order.size()];
        SocketEntry connection;
        if (!common::lookUp(handle, connection))
            continue;
        const backend::PeekResult result = backend::peekConnection(connection.socket);
        if (result == backend::PeekResult::Data)
            return {NetEventKind::Data, handle};
        if (result == backend::PeekResult::Lost) {
            releaseConnection(handle);
            return {NetEventKind::Lost, handle};
        }
    }
    return {};
}

void shutdownServer(int server) {
    // Under the lock, so that no socket is closed (and its number reused) meanwhile.
    std::lock_guard lock(registryMutex);
    auto found = registry.find(server);
    if (found == registry.end() || !found->second.listener)
        return;
    found->second.shut = true;
    backend::shutDownSocket(found->second.socket);
    for (int handle : found->second.accepted) {
        auto connection = registry.find(handle);
        if (connection != registry.end()) {
            connection->second.shut = true;
            backend::shutDownSocket(connection->second.socket);
        }
    }
}

void shutdownConnection(int connection) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(connection);
    if (found == registry.end() || found->second.listener)
        return;
    found->second.shut = true;
    backend::shutDownSocket(found->second.socket);
}

void releaseServer(int server) {
    std::vector<NativeSocket> sockets;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(server);
        if (found == registry.end() || !found->second.listener)
            return;
        const std::vector<int> accepted = found->second.accepted;
        for (int handle : accepted) {
            NativeSocket socket;
            if (forgetLocked(handle, socket))
                sockets.push_back(socket);
        }
        sockets.push_back(found->second.socket);
        registry.erase(found);
    }
    backend::closeServerSockets(sockets);
}

bool releaseConnection(int connection) {
    NativeSocket socket;
    {
        std::lock_guard lock(registryMutex);
        auto found = registry.find(connection);
        if (found == registry.end() || found->second.listener || !forgetLocked(connection, socket))
            return false;
    }
    backend::closeConnectionSocket(socket);
    return true;
}

bool isConnectionOpen(int connection) {
    std::lock_guard lock(registryMutex);
    auto found = registry.find(connection);
    return found != registry.end() && !found->second.listener;
}

}  // namespace platform
