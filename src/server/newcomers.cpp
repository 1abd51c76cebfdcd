#include "server/newcomers.h"

#include <algorithm>

#include "platform/net.h"
#include "server/connection_record.h"
#include "state/network.h"

namespace korvo {
namespace {

// Closes the oldest newcomer that `matches` picks, if any.
template <typename Predicate>
void closeOldestNewcomer(Predicate matches) {
    auto& records = connectionRecords();
    auto oldest = std::find_if(records.begin(), records.end(),
                               [&](const ConnectionRecord& r) { return r.newcomer && matches(r); });
    if (oldest == records.end())
        return;
    closeConnection(oldest->connection);
    records.erase(oldest);
}

size_t countNewcomers(uint32_t address, bool sameAddressOnly) {
    const auto& records = connectionRecords();
    return static_cast<size_t>(
        std::count_if(records.begin(), records.end(), [&](const ConnectionRecord& r) {
            return r.newcomer && (!sameAddressOnly || r.address == address);
        }));
}

}  // namespace

void admitNewcomer(int connection, uint32_t address, uint64_t nowMs) {
    addConnectionRecord(connection, address, nowMs);
    if (countNewcomers(address, true) > kMostNewcomersPerAddress)
        closeOldestNewcomer([address](const ConnectionRecord& r) { return r.address == address; });
    if (countNewcomers(address, false) > kMostNewcomers)
        closeOldestNewcomer([](const ConnectionRecord&) { return true; });
}

bool isNewcomer(int connection) {
    const ConnectionRecord* record = findConnectionRecord(connection);
    return record != nullptr && record->newcomer;
}

bool countNewcomerMessage(int connection) {
    ConnectionRecord* record = findConnectionRecord(connection);
    if (record == nullptr || !record->newcomer)
        return false;
    return ++record->messagesBeforeLogin <= kMostMessagesBeforeLogin;
}

void noteLoggedIn(int connection) {
    if (ConnectionRecord* record = findConnectionRecord(connection))
        record->newcomer = false;
}

void closeLateNewcomers(uint64_t nowMs) {
    std::erase_if(connectionRecords(), [nowMs](const ConnectionRecord& r) {
        if (!platform::isConnectionOpen(r.connection))
            return true;
        if (!r.newcomer || nowMs - r.acceptedMs < kLoginDeadlineMs)
            return false;
        closeConnection(r.connection);
        return true;
    });
}

}  // namespace korvo
