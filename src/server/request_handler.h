// The server's answer to each event of a connection.
#pragma once

namespace korvo {

enum class ClientEventKind { Data, Lost };

// Data: reads one client message and answers it. Lost: purges dead client slots.
// Returns the pauses that end the handling (baseTickMs, and before it those of the
// answer): nothing else happens in between, so the caller takes them as one sleep.
int handleClientEvent(int connection, ClientEventKind kind);

// Captures and encodes one frame by the route framesViaPipe selects now and queues it for
// the connection (server/outgoing.h). Returns the pause owed after a frame, shortTickMs.
int serveFrame(int connection);

// How long a logged-in client's read waits for the rest of a message that arrived in
// pieces. Any other connection gets no such wait: an incomplete message closes it.
inline constexpr int kMessageCompletionMs = 250;

}  // namespace korvo
