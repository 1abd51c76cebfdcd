// Connections that have not logged in yet (the first fields of their records). Each costs
// the one server thread its turns and the process a descriptor, and a real client logs in
// with its first message, so there are few of them, they get few answers and they do not
// stay long. Server thread only.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

inline constexpr size_t kMostNewcomers = 16;
inline constexpr size_t kMostNewcomersPerAddress = 4;
// From the accept; logged-in clients have no such limit.
inline constexpr uint64_t kLoginDeadlineMs = 10000;
inline constexpr int kMostMessagesBeforeLogin = 8;

// Takes a freshly accepted connection from the IPv4 address in. When its address then has
// more than four newcomers, or there are more than sixteen in all, the oldest of them is
// closed.
void admitNewcomer(int connection, uint32_t address, uint64_t nowMs);

// True while the connection waits for its login.
bool isNewcomer(int connection);

// Counts one message of a newcomer; false from the ninth on, and for a connection that is
// no newcomer. The caller closes the connection on false.
bool countNewcomerMessage(int connection);

// The connection logged in: no longer a newcomer.
void noteLoggedIn(int connection);

// Closes every newcomer accepted kLoginDeadlineMs or more before nowMs, and forgets every
// connection, newcomer or client, whose socket closed meanwhile.
void closeLateNewcomers(uint64_t nowMs);

}  // namespace korvo
