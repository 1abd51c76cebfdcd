// What the server thread knows of the compositor's frames. PipeWire's thread only counts
// new buffers and keeps the newest one (pipewire_frames); the server thread copies that
// one out when it captures and something new came. Neither waits for the other beyond a
// short lock.
#pragma once

#include <cstdint>

#include "platform/screen.h"

namespace platform::wayland {

// PipeWire's side.
void noteStreamSize(int width, int height);
void noteNewFrame();
// The stream ended (compositor gone, session closed): frames are black until a new one.
void noteStreamLost();

// The input side: a pointer move makes the last frame stale until the next capture.
void notePointerMoved();

}  // namespace platform::wayland
