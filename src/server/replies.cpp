#include "server/replies.h"

#include "platform/net.h"
#include "server/client_table.h"
#include "server/frame_checksums.h"
#include "server/newcomers.h"
#include "state/network.h"

namespace korvo {

void dropConnection(int connection) {
    closeConnection(connection);
    forgetNewcomer(connection);
    forgetFrameChecksum(connection);
    purgeDeadSlots();
}

bool sendReply(int connection, const void* data, size_t count) {
    const int limitMs = isLoggedIn(connection) ? kClientSendLimitMs : kNewcomerSendLimitMs;
    if (platform::sendBytesWithin(connection, data, count, limitMs))
        return true;
    dropConnection(connection);
    return false;
}

bool sendReplyByte(int connection, uint8_t byte) {
    return sendReply(connection, &byte, 1);
}

}  // namespace korvo
