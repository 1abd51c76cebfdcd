// The server's answer to each event of a connection.
#pragma once

#include <string_view>

namespace korvo {

enum class ClientEventKind { Data, Lost };

// Data: reads one client message and answers it. Lost: purges dead client slots.
// Each ends with a pause of baseTickMs.
void handleClientEvent(int connection, ClientEventKind kind);

// Captures, encodes and sends one frame by the route framesViaPipe selects now.
void serveFrame(int connection);

// The login check: the username compared whole with ASCII letters in either case,
// the passwords by their upper-case SHA-1 hex texts, compared in constant time.
bool credentialsMatch(std::string_view username, std::string_view password);

// How long a read waits for the rest of a message that arrived in pieces.
inline constexpr int kMessageCompletionMs = 250;

}  // namespace korvo
