// The bookkeeping of net.h that needs no system call, once for every backend: handles
// that map to the system's sockets through one registry, so that a handle whose socket
// was closed never names a newer socket; the server's connections in accept order; the
// "shut" mark that makes every later call fail. Each backend supplies the system's part,
// declared at the end.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

using NativeSocket = intptr_t;  // a descriptor on Linux, a SOCKET on Windows

struct SocketEntry {
    NativeSocket socket = -1;
    int server = 0;             // the listener a connection was accepted through; 0 for others
    bool listener = false;      // a listening server
    bool blocking = false;      // reads wait for their first byte
    bool shut = false;          // shut down: every call fails from now on
    std::vector<int> accepted;  // for a listener: its connections in accept order
};

namespace common {

// Registers the socket under a new handle. 0 when no handle is left or the connection's
// server went away meanwhile: the caller then closes the socket.
int registerSocket(SocketEntry entry);

// A copy of the entry; false when the handle names none or one that was shut down.
bool lookUp(int handle, SocketEntry& copy);

// The listener's socket and those of its connections, for a wait on all of them; false
// when the handle names no listener (or a shut one).
bool serverSockets(int server, std::vector<NativeSocket>& sockets);

}  // namespace common

// --- the system's part, one definition in each backend --------------------------------
namespace backend {

// The port the socket is bound to; 0 when it cannot be told.
int localPort(NativeSocket socket);

// The peer's IPv4 address, most significant byte first; false when there is none.
bool peerIPv4(NativeSocket socket, uint32_t& address);

enum class PeekResult { Nothing, Data, Lost };

// One look at a connection without waiting and without taking anything.
PeekResult peekConnection(NativeSocket socket);

// Makes every pending and later call on the socket fail, without closing it.
void shutDownSocket(NativeSocket socket);

// Closes a released connection's socket.
void closeConnectionSocket(NativeSocket socket);

// Closes the sockets of a released server, its connections first, the listener last.
void closeServerSockets(const std::vector<NativeSocket>& sockets);

}  // namespace backend
}  // namespace platform
