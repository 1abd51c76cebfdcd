// TCP over IPv4. A connection or a listening server is named by a handle greater than
// zero that is never reused within the process, so a stale handle can only ever name a
// closed socket (0 means none). A send to a closed peer fails; it never ends the
// process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Starts the network stack; true when it is usable.
bool startNetwork();

// --- server side ---------------------------------------------------------------------

// A non-blocking listener on the wildcard address and the port, backlog 100. The port is
// its alone: a port another socket listens on is refused, while one whose connections
// of an earlier listener are still closing binds at once. 0 when the port is out of
// range or cannot be bound or listened on.
int openServer(int64_t port);

// The port a listener is bound to (0 when the handle names none); for tests that let
// the system choose the port.
int serverPort(int server);

enum class NetEventKind { None, Connect, Data, Lost };
struct NetEvent {
    NetEventKind kind = NetEventKind::None;
    int connection = 0;
};

// One non-blocking look at the server: accepts one waiting connection (Connect);
// otherwise peeks at the accepted connections in turn, starting with the one after
// `servedLast` (0: from the first), and reports the first that has something: Data
// when bytes wait to be read; a connection closed or reset by the peer is released and
// reported as Lost. None when nothing is found.
NetEvent pollServer(int server, int servedLast);

// Accepts one waiting connection without waiting; its handle, or 0 when none waits.
int acceptConnection(int server);

// pollServer's look at the accepted connections alone: Data or Lost for the first, after
// `servedLast`, that has something; None when none has. Accepts nothing.
NetEvent pollConnections(int server, int servedLast);

// Waits at most timeoutMs until a connection waits to be accepted or an accepted one has
// something to report (bytes, or its end); true when one has. Returns at once when the
// server is shut down or gone.
bool waitForActivity(int server, int timeoutMs);

// Makes every socket of the server fail from now on (its pending and future calls
// return at once) without releasing them. Safe from any thread.
void shutdownServer(int server);

// Closes the listener and every connection accepted through it. Only the thread that
// uses the server's connections may call it while that thread runs.
void releaseServer(int server);

// --- connections ---------------------------------------------------------------------

// A blocking connection to a dotted IPv4 address or a host name found by name look-up;
// 0 on failure.
int openConnection(const std::string& host, int64_t port);

// Closes the connection and forgets its handle; false when it named no open connection.
// Another thread still using the connection must have stopped first (see
// shutdownConnection).
bool releaseConnection(int connection);

// Makes the connection fail from now on in both directions without releasing it: a read
// waiting on it returns 0 at once, later reads and sends fail. Safe from any thread, so a
// thread blocked on the connection can be woken before the connection is released.
void shutdownConnection(int connection);

// Waits at most timeoutMs for bytes to read. True when some wait now; false on time-out,
// at once when the peer has closed the connection or it was shut down, and for a handle
// that names no open connection.
bool waitReadable(int connection, int timeoutMs);

// True while the handle names an open connection.
bool isConnectionOpen(int connection);

// The peer's IPv4 address, most significant byte first in the high bits. False when
// the connection is closed or has no peer address any more.
bool peerAddress(int connection, uint32_t& address);

// Reads up to `count` bytes. Waits for the first byte as the connection's mode says
// (a server connection does not wait for it); then, when fewer than `count` bytes
// came, waits at most `completeWithinMs` in all for the rest. Returns the count read
// (0 on a closed or failed connection).
size_t receiveBytes(int connection, uint8_t* buffer, size_t count, int completeWithinMs);

// Copies up to `count` bytes that wait to be read without taking them and without
// waiting; the count copied (0 when none or on failure).
size_t peekBytes(int connection, uint8_t* buffer, size_t count);

// Bytes that can be read now without waiting; 0 when none or on failure.
size_t pendingBytes(int connection);

// Sends all `count` bytes; a slow reader is waited for while it makes progress, at most
// `stallLimitMs` without any. False when the connection fails or stalls.
bool sendBytes(int connection, const void* data, size_t count, int stallLimitMs = 5000);

// Hands the socket as many of the `count` bytes as it takes now, without waiting: the
// count taken (0 when its buffer is full), or -1 when the connection has failed or names
// no open connection.
int64_t sendSome(int connection, const void* data, size_t count);

// Bytes handed to the socket that its peer has not yet acknowledged receiving; 0 when none,
// on failure, and where the system cannot tell.
size_t unacknowledgedBytes(int connection);

}  // namespace platform
