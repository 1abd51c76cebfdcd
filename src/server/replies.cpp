#include "server/replies.h"

#include "server/client_table.h"
#include "server/connection_record.h"
#include "server/outgoing.h"
#include "state/network.h"

namespace korvo {

void dropConnection(int connection) {
    closeConnection(connection);
    forgetConnectionRecord(connection);
    purgeDeadSlots();
}

bool sendReply(int connection, const void* data, size_t count) {
    if (queueOutput(connection, data, count))
        return true;
    dropConnection(connection);
    return false;
}

bool sendReplyByte(int connection, uint8_t byte) {
    return sendReply(connection, &byte, 1);
}

}  // namespace korvo
