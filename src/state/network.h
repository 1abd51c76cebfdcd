// The network as both roles use it.
#pragma once

namespace korvo {

// Starts the network stack once per process; true when it is (or already was) usable.
// The caller tells the user when it is not.
bool initNetwork();

// Closes one connection when the handle names an open one; clears clientConnection
// when it was that one. Always 0.
int closeConnection(int connection);

}  // namespace korvo
