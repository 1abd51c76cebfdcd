#include "server/outgoing.h"

#include <vector>

#include "platform/clock.h"
#include "platform/net.h"
#include "server/connection_record.h"
#include "server/replies.h"
#include "server/server_clock.h"

namespace korvo {
namespace {

// Hands the socket what it takes of the record's unsent bytes; false when it failed.
bool sendUnsent(ConnectionRecord& record) {
    const int64_t taken =
        platform::sendSome(record.connection, record.unsent.data() + record.unsentFrom,
                           record.unsent.size() - record.unsentFrom);
    if (taken < 0)
        return false;
    record.unsentFrom += static_cast<size_t>(taken);
    if (!record.hasUnsentBytes()) {
        // Released, not kept: most connections hold nothing most of the time.
        std::vector<uint8_t>().swap(record.unsent);
        record.unsentFrom = 0;
    }
    return true;
}

// Unsent, or taken by the socket and not yet acknowledged by the peer.
size_t bytesOnTheirWay(const ConnectionRecord& record) {
    return record.unsent.size() - record.unsentFrom +
           platform::unacknowledgedBytes(record.connection);
}

// Notes how much is still on its way, and when it last went down.
void lookAtDelivery(ConnectionRecord& record, uint64_t nowMs) {
    const size_t outstanding = bytesOnTheirWay(record);
    if (outstanding < record.outstanding)
        record.lastTakenMs = nowMs;
    record.outstanding = outstanding;
}

// A newcomer is judged by its socket taking its few bytes: acknowledgements take a round
// trip, which may be longer than its limit on a distant link.
bool stalled(const ConnectionRecord& record, uint64_t nowMs) {
    if (record.newcomer)
        return record.hasUnsentBytes() && nowMs - record.lastTakenMs >= kNewcomerStallLimitMs;
    return record.outstanding > 0 && nowMs - record.lastTakenMs >= kClientStallLimitMs;
}

}  // namespace

bool queueOutput(int connection, const void* data, size_t count) {
    ConnectionRecord* record = findConnectionRecord(connection);
    if (record == nullptr)
        return false;
    const uint64_t nowMs = serverNowMs();
    if (!record->awaitsDelivery())
        record->lastTakenMs = nowMs;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t taken = 0;
    if (!record->hasUnsentBytes()) {
        // Nothing ahead of these bytes: the socket gets them straight away, and only what
        // it does not take is copied.
        const int64_t result = platform::sendSome(connection, bytes, count);
        if (result < 0)
            return false;
        taken = static_cast<size_t>(result);
    }
    record->unsent.insert(record->unsent.end(), bytes + taken, bytes + count);
    record->outstanding = bytesOnTheirWay(*record);
    return true;
}

bool hasUnsentOutput(int connection) {
    const ConnectionRecord* record = findConnectionRecord(connection);
    return record != nullptr && record->hasUnsentBytes();
}

bool anyUnsentOutput() {
    for (const ConnectionRecord& record : connectionRecords())
        if (record.hasUnsentBytes())
            return true;
    return false;
}

bool awaitsDelivery(int connection) {
    ConnectionRecord* record = findConnectionRecord(connection);
    if (record == nullptr || !record->awaitsDelivery())
        return false;
    // The request that asks this may carry the acknowledgement of the last bytes.
    lookAtDelivery(*record, serverNowMs());
    return record->awaitsDelivery();
}

size_t heldOutputBytes(int connection) {
    const ConnectionRecord* record = findConnectionRecord(connection);
    return record == nullptr ? 0 : record->unsent.capacity();
}

void sendPendingOutput(uint64_t nowMs) {
    std::vector<int> failed;
    for (ConnectionRecord& record : connectionRecords()) {
        if (!record.awaitsDelivery())
            continue;
        if (record.hasUnsentBytes() && !sendUnsent(record)) {
            failed.push_back(record.connection);
            continue;
        }
        lookAtDelivery(record, nowMs);
        if (stalled(record, nowMs))
            failed.push_back(record.connection);
    }
    // Dropping changes the records: not while going through them.
    for (int connection : failed)
        dropConnection(connection);
}

void pauseWhileSending(int ms) {
    const uint64_t until = platform::monotonicMs() + static_cast<uint64_t>(ms > 0 ? ms : 0);
    for (;;) {
        sendPendingOutput(serverNowMs());
        const uint64_t now = platform::monotonicMs();
        if (now >= until)
            return;
        platform::sleepMs(anyUnsentOutput() ? 1 : static_cast<int>(until - now));
    }
}

}  // namespace korvo
