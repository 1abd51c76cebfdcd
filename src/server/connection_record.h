// What the server keeps about one accepted connection, all in one place: how far it is
// from logging in, the checksum of the frame it was sent last, and what of its output has
// not reached it yet. Its rows in the clients list live in the client table (their order is
// the list's, and a second login gives a connection a second row). Server thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvo {

struct ConnectionRecord {
    int connection = 0;
    uint32_t address = 0;

    // Until the login is accepted: since when, and how many messages so far.
    bool newcomer = true;
    uint64_t acceptedMs = 0;
    int messagesBeforeLogin = 0;

    // The CRC-32 of the memory-route frame sent to this connection last.
    bool hasFrameChecksum = false;
    uint32_t frameChecksum = 0;

    // Replies and frame bytes its socket has not taken yet, from `unsentFrom` on.
    std::vector<uint8_t> unsent;
    size_t unsentFrom = 0;
    // What was still on its way to the peer at the last look (unsent, or taken by the
    // socket and not yet acknowledged), and when that last went down.
    size_t outstanding = 0;
    uint64_t lastTakenMs = 0;

    bool hasUnsentBytes() const { return unsentFrom < unsent.size(); }
    bool awaitsDelivery() const { return outstanding > 0 || hasUnsentBytes(); }
};

// A record for a freshly accepted connection, a newcomer; the one it already has, if any.
ConnectionRecord& addConnectionRecord(int connection, uint32_t address, uint64_t nowMs);

// nullptr when the connection has none (never accepted, or gone).
ConnectionRecord* findConnectionRecord(int connection);

void forgetConnectionRecord(int connection);
void forgetAllConnectionRecords();

// Every record, in accept order. Valid until the next add or forget.
std::vector<ConnectionRecord>& connectionRecords();

// The checksum a "crc32" from this connection is answered with: that of the frame it was
// sent last; with none yet, lastFrameCrc, that of the frame prepared last for anybody.
// With several clients the frame prepared last is mostly another client's, and a client
// whose checksum does not match throws its frame away.
uint32_t checksumFor(int connection);

}  // namespace korvo
