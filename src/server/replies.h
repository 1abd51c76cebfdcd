// Sending to one connection from the one server thread, which cannot wait long for
// anybody: a connection that does not take what it is sent is dropped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

// A logged-in client takes any reply, a whole frame included, within this time.
inline constexpr int kClientSendLimitMs = 3000;
// Replies to a connection that has not logged in are 1 to 5 bytes: taking them never
// needs more than a moment.
inline constexpr int kNewcomerSendLimitMs = 100;

// Closes the connection, removes its rows from the table and forgets it as a newcomer.
void dropConnection(int connection);

// Sends the bytes within the limit of the connection's standing. A connection that fails
// or does not take them in time is dropped; false then.
bool sendReply(int connection, const void* data, size_t count);
bool sendReplyByte(int connection, uint8_t byte);

}  // namespace korvo
