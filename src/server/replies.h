// Replies to one connection, and the end of a connection the server gives up on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

// Closes the connection, removes its rows from the table and forgets its record.
void dropConnection(int connection);

// Queues the bytes for the connection (server/outgoing.h). A connection that has failed
// is dropped; false then.
bool sendReply(int connection, const void* data, size_t count);
bool sendReplyByte(int connection, uint8_t byte);

}  // namespace korvo
