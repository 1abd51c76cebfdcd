// The client thread's side of the connection: it sends, and it waits on clientSemaphore
// for the receive thread to bring the reply. It never reads the socket itself.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvo {

// Sends the characters of the text (a keyword) without a terminator. A failed send is
// silent: the wait that follows ends by the receive thread's idle release.
void sendText(int connection, std::string_view text);
void sendBytes(int connection, const void* bytes, size_t count);

// Waits for the next unit of clientSemaphore with clientWaiting raised. False when the
// calling thread was terminated.
bool waitForReply();

// The client thread's pauses; false when the thread was terminated meanwhile.
bool pause(int ms);

}  // namespace korvo
