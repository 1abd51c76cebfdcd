#include "server/login_throttle.h"

#include <algorithm>
#include <array>
#include <vector>

namespace korvo {
namespace {

struct AddressRecord {
    uint32_t address = 0;
    // The times of the last failures, oldest first; only the last five matter.
    std::array<uint64_t, kFailuresBeforeThrottle> failuresMs{};
    int failureCount = 0;
    uint64_t refusedUntilMs = 0;
    uint64_t throttleMs = 0;  // the last refusal's length; 0 before the first
};

std::vector<AddressRecord> records;

uint64_t lastFailureMs(const AddressRecord& record) {
    return record.failuresMs[static_cast<size_t>(record.failureCount - 1)];
}

void forgetQuietAddresses(uint64_t nowMs) {
    std::erase_if(records, [nowMs](const AddressRecord& record) {
        return nowMs - lastFailureMs(record) >= kQuietTimeToForgetMs;
    });
}

AddressRecord* find(uint32_t address) {
    auto found = std::find_if(records.begin(), records.end(),
                              [address](const AddressRecord& r) { return r.address == address; });
    return found == records.end() ? nullptr : &*found;
}

AddressRecord& recordFor(uint32_t address) {
    if (AddressRecord* known = find(address))
        return *known;
    if (records.size() >= kMostThrottledAddresses)
        records.erase(std::min_element(records.begin(), records.end(),
                                       [](const AddressRecord& a, const AddressRecord& b) {
                                           return lastFailureMs(a) < lastFailureMs(b);
                                       }));
    records.push_back({});
    records.back().address = address;
    return records.back();
}

void addFailure(AddressRecord& record, uint64_t nowMs) {
    if (record.failureCount == kFailuresBeforeThrottle) {
        std::rotate(record.failuresMs.begin(), record.failuresMs.begin() + 1,
                    record.failuresMs.end());
        --record.failureCount;
    }
    record.failuresMs[static_cast<size_t>(record.failureCount++)] = nowMs;
}

}  // namespace

bool loginsRefusedFrom(uint32_t address, uint64_t nowMs) {
    const AddressRecord* record = find(address);
    return record != nullptr && nowMs < record->refusedUntilMs;
}

void noteFailedLogin(uint32_t address, uint64_t nowMs) {
    forgetQuietAddresses(nowMs);
    AddressRecord& record = recordFor(address);
    addFailure(record, nowMs);
    if (record.throttleMs > 0) {
        record.throttleMs = std::min(2 * record.throttleMs, kLongestThrottleMs);
    } else if (record.failureCount == kFailuresBeforeThrottle &&
               nowMs - record.failuresMs[0] <= kFailureWindowMs) {
        record.throttleMs = kFirstThrottleMs;
    } else {
        return;
    }
    record.refusedUntilMs = nowMs + record.throttleMs;
}

void noteAcceptedLogin(uint32_t address) {
    std::erase_if(records, [address](const AddressRecord& r) { return r.address == address; });
}

void forgetFailedLogins() {
    records.clear();
}

}  // namespace korvo
