#include "server/connection_record.h"

#include <algorithm>

#include "server/frame_delivery.h"

namespace korvo {
namespace {

// In accept order, oldest first.
std::vector<ConnectionRecord> records;

std::vector<ConnectionRecord>::iterator find(int connection) {
    return std::find_if(records.begin(), records.end(), [connection](const ConnectionRecord& r) {
        return r.connection == connection;
    });
}

}  // namespace

ConnectionRecord& addConnectionRecord(int connection, uint32_t address, uint64_t nowMs) {
    auto found = find(connection);
    if (found != records.end())
        return *found;
    ConnectionRecord& record = records.emplace_back();
    record.connection = connection;
    record.address = address;
    record.acceptedMs = nowMs;
    return record;
}

ConnectionRecord* findConnectionRecord(int connection) {
    auto found = find(connection);
    return found == records.end() ? nullptr : &*found;
}

void forgetConnectionRecord(int connection) {
    auto found = find(connection);
    if (found != records.end())
        records.erase(found);
}

void forgetAllConnectionRecords() {
    records.clear();
}

std::vector<ConnectionRecord>& connectionRecords() {
    return records;
}

uint32_t checksumFor(int connection) {
    const ConnectionRecord* record = findConnectionRecord(connection);
    return record != nullptr && record->hasFrameChecksum ? record->frameChecksum
                                                         : lastFrameCrc.load();
}

}  // namespace korvo
