// The PipeWire stream that carries the compositor's frames, on a thread of PipeWire's
// own. The newest buffer is kept out of the stream until a newer one comes, so that the
// server thread can take it when it captures.
#pragma once

#include <cstdint>
#include <vector>

namespace platform::wayland {

// Connects to the node and starts taking frames; a stream already running is stopped
// first. `remote`, when not -1, is a PipeWire connection handed to us (the portal's), to
// be used instead of the user's PipeWire; it is taken over. False when PipeWire cannot be
// reached.
bool startFrames(uint32_t nodeId, int remote = -1);

// Stops taking frames; frames are black until the next start.
void stopFrames();

// Copies the newest frame into `pixels` as BGRX rows of width * 4 bytes. False when the
// stream has none (or is gone).
bool copyNewestFrame(std::vector<uint8_t>& pixels, int& width, int& height);

}  // namespace platform::wayland
