// Connections held in memory: each one reads out the bytes it was opened with, as a peer
// that sent them all and closed would deliver them, and swallows what is sent to it.
// There are no servers. Nothing waits, so a fuzzer's run takes no time in the network.
#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

#include "platform/fake/fake_host.h"
#include "platform/net.h"

namespace platform {
namespace {

struct HeldConnection {
    std::vector<uint8_t> bytes;
    size_t readTo = 0;
    bool shutDown = false;

    size_t left() const { return shutDown ? 0 : bytes.size() - readTo; }
};

std::mutex heldMutex;
std::map<int, HeldConnection> held;
int lastHandle = 0;

HeldConnection* find(int connection) {
    auto found = held.find(connection);
    return found == held.end() ? nullptr : &found->second;
}

}  // namespace

namespace fake {

int openHeldConnection(const uint8_t* bytes, size_t count) {
    std::lock_guard lock(heldMutex);
    held[++lastHandle].bytes.assign(bytes, bytes + count);
    return lastHandle;
}

}  // namespace fake

bool startNetwork() {
    return true;
}

int openServer(int64_t) {
    return 0;
}

int serverPort(int) {
    return 0;
}

NetEvent pollServer(int, int) {
    return {};
}

int acceptConnection(int) {
    return 0;
}

NetEvent pollConnections(int, int) {
    return {};
}

bool waitForActivity(int, int) {
    return false;
}

void shutdownServer(int) {}

void releaseServer(int) {}

int openConnection(const std::string&, int64_t) {
    return 0;
}

bool releaseConnection(int connection) {
    std::lock_guard lock(heldMutex);
    return held.erase(connection) == 1;
}

void shutdownConnection(int connection) {
    std::lock_guard lock(heldMutex);
    if (HeldConnection* found = find(connection))
        found->shutDown = true;
}

bool waitReadable(int connection, int) {
    return pendingBytes(connection) > 0;
}

bool isConnectionOpen(int connection) {
    std::lock_guard lock(heldMutex);
    return find(connection) != nullptr;
}

bool peerAddress(int connection, uint32_t& address) {
    address = 0x7F000001;
    return isConnectionOpen(connection);
}

size_t receiveBytes(int connection, uint8_t* buffer, size_t count, int) {
    std::lock_guard lock(heldMutex);
    HeldConnection* found = find(connection);
    if (found == nullptr)
        return 0;
    const size_t taken = std::min(count, found->left());
    std::copy_n(found->bytes.data() + found->readTo, taken, buffer);
    found->readTo += taken;
    return taken;
}

size_t peekBytes(int connection, uint8_t* buffer, size_t count) {
    std::lock_guard lock(heldMutex);
    HeldConnection* found = find(connection);
    if (found == nullptr)
        return 0;
    const size_t copied = std::min(count, found->left());
    std::copy_n(found->bytes.data() + found->readTo, copied, buffer);
    return copied;
}

size_t pendingBytes(int connection) {
    std::lock_guard lock(heldMutex);
    HeldConnection* found = find(connection);
    return found == nullptr ? 0 : found->left();
}

bool sendBytes(int connection, const void*, size_t, int) {
    return isConnectionOpen(connection);
}

int64_t sendSome(int connection, const void*, size_t count) {
    return isConnectionOpen(connection) ? static_cast<int64_t>(count) : -1;
}

size_t unacknowledgedBytes(int) {
    return 0;
}

}  // namespace platform
