#include "server/client_table.h"

#include <cstdio>
#include <mutex>

#include "platform/net.h"
#include "server/server_view.h"

namespace korvo {
namespace {

// Written by the server thread only; the lock lets other threads take snapshots.
std::mutex tableMutex;
std::vector<ClientSlot> slots;

}  // namespace

std::string formatDottedAddress(uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", (address >> 24) & 0xFFu,
                  (address >> 16) & 0xFFu, (address >> 8) & 0xFFu, address & 0xFFu);
    return text;
}

std::string formatLoginTime(const platform::LocalDateTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month,
                  time.day, time.hour, time.minute, time.second);
    return text;
}

void addClientSlot(int connection) {
    uint32_t address = 0;
    if (!platform::peerAddress(connection, address))
        address = 0;
    ClientSlot slot;
    slot.clientIp = formatDottedAddress(address);
    slot.connectedSince = formatLoginTime(platform::localDateTimeNow());
    slot.connection = connection;
    {
        std::lock_guard lock(tableMutex);
        slot.number = std::to_string(slots.size() + 1);
        slots.push_back(slot);
    }
    showClientRowAdded(slot);
}

bool isLoggedIn(int connection) {
    std::lock_guard lock(tableMutex);
    for (const ClientSlot& slot : slots)
        if (slot.connection == connection)
            return true;
    return false;
}

void purgeDeadSlots() {
    // After a removal the row that moved up is examined next, so one pass takes every
    // dead row.
    size_t row = 0;
    for (;;) {
        int connection;
        {
            std::lock_guard lock(tableMutex);
            if (row >= slots.size())
                return;
            connection = slots[row].connection;
        }
        uint32_t address = 0;
        if (platform::isConnectionOpen(connection) && platform::peerAddress(connection, address)) {
            ++row;
            continue;
        }
        {
            std::lock_guard lock(tableMutex);
            slots.erase(slots.begin() + static_cast<std::ptrdiff_t>(row));
        }
        showClientRowRemoved(row);
    }
}

void removeAllClientSlots() {
    {
        std::lock_guard lock(tableMutex);
        slots.clear();
    }
    showClientRowsCleared();
}

size_t clientSlotCount() {
    std::lock_guard lock(tableMutex);
    return slots.size();
}

std::vector<ClientSlot> clientSlotsSnapshot() {
    std::lock_guard lock(tableMutex);
    return slots;
}

}  // namespace korvo
