// The PipeWire stream that carries the compositor's frames, on a thread of PipeWire's
// own. Every buffer is stored as the newest frame (frame_store.h).
#pragma once

#include <cstdint>

namespace platform::wayland {

// Connects to the node and starts taking frames; a stream already running is stopped
// first. False when PipeWire cannot be reached.
bool startFrames(uint32_t nodeId);

// Stops taking frames; frames are black until the next start.
void stopFrames();

}  // namespace platform::wayland
