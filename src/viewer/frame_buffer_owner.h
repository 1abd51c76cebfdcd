// frameBuffer has one writer at a time. The client thread lends it to the receive thread
// for one frame request, from just before the request goes out to the end of its frame
// wait; the rest of the time it is the client thread's (it reads the frame, checks it and
// clears it). Frame chunks that arrive while it is not lent are read and dropped.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

// Client thread.
void lendFrameBuffer();
void takeFrameBufferBack();

// Receive thread: whether a frame is awaited now.
bool frameBufferLent();

// Receive thread: copies the bytes into frameBuffer at offset, only while it is lent and
// within its bounds. False, with nothing written, otherwise.
bool writeFrameBuffer(size_t offset, const uint8_t* bytes, size_t count);

}  // namespace korvo
