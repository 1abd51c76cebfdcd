// The table of logged-in clients. The server thread keeps it and mirrors every change
// into the clients list on the main window, row for row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/calendar.h"

namespace korvo {

struct ClientSlot {
    std::string number;          // the row count when it was added, plus 1
    std::string clientIp;        // dotted peer address
    std::string connectedSince;  // local login time, "2009-03-07 18:05:09"
    int connection = 0;
};

// Appends a slot for the connection, stamped with the current local time. A peer
// address that cannot be had reads 0.0.0.0.
void addClientSlot(int connection);

// True when some slot holds the connection.
bool isLoggedIn(int connection);

// Removes every slot whose connection is closed or has no peer address any more.
void purgeDeadSlots();

void removeAllClientSlots();

size_t clientSlotCount();

// A copy of the table, for whoever wants to look at it from another thread.
std::vector<ClientSlot> clientSlotsSnapshot();

// Four decimal numbers joined by dots, most significant first.
std::string formatDottedAddress(uint32_t address);

// "%yyyy-%mm-%dd %hh:%ii:%ss".
std::string formatLoginTime(const platform::LocalDateTime& time);

}  // namespace korvo
