// The newest frame the compositor sent, kept for the server thread: PipeWire's thread
// stores, the server thread takes, neither waits for the other beyond a short lock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/screen.h"

namespace platform::wayland {

// Byte order of a pixel as the stream delivers it.
enum class PixelOrder { Bgrx, Rgbx };

// PipeWire's side.
void noteStreamSize(int width, int height);
void storeFrame(const uint8_t* pixels, int width, int height, size_t stride, PixelOrder order);
// The stream ended (compositor gone, session closed): frames are black until a new one.
void noteStreamLost();

// The input side: a pointer move makes the last frame stale until the next capture.
void notePointerMoved();

// Waits up to `timeoutMs` for a stream size to be known (only ever at the first frame).
bool awaitStreamSize(Size& size, int timeoutMs);

}  // namespace platform::wayland
