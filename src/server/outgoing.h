// Everything the server sends goes out through here. The one server thread never waits
// for a socket: what a socket takes at once goes out at once, the rest waits in the
// connection's record and is handed over as the socket takes it, between the requests of
// others and during the pauses that pace them. A connection's next request is handled
// only once its output has reached it (where the system tells, acknowledged by the peer),
// so a connection holds at most the answer to one request, one frame or a few reply
// bytes, and a reader that stops costs the server one frame. Server thread only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

// A client that has logged in and whose output has not moved on for this long is dropped.
inline constexpr int kClientStallLimitMs = 3000;
// Replies to a connection that has not logged in are 1 to 5 bytes: a socket takes them at
// once, or within a moment.
inline constexpr int kNewcomerStallLimitMs = 100;

// Puts the bytes behind what the connection has not taken yet and hands its socket what it
// takes now. False when the connection has failed or has no record; the caller drops it.
bool queueOutput(int connection, const void* data, size_t count);

// True while some of what was queued for the connection has not been taken by its socket.
bool hasUnsentOutput(int connection);
bool anyUnsentOutput();

// True while the connection's output has not all reached it.
bool awaitsDelivery(int connection);

// The bytes held for the connection, unsent or not yet released.
size_t heldOutputBytes(int connection);

// Hands every socket with unsent bytes what it takes now and looks at how far each
// connection's output has got. Drops a connection that fails, or whose output has not
// moved on for its stall limit.
void sendPendingOutput(uint64_t nowMs);

// Sleeps `ms`, handing the sockets their unsent bytes every millisecond meanwhile.
void pauseWhileSending(int ms);

}  // namespace korvo
