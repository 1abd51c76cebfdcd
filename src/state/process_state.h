// Process-wide state that the roles share: the work areas, the frame buffer, flags, the
// temporary frame path and the pacing constants. Created zero-filled at start-up, alive
// until the process ends. Flags have one writer each and are polled by the others; they
// are atomics so that the polling is well defined.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace korvo {

inline constexpr int baseTickMs = 20;
inline constexpr int shortTickMs = baseTickMs / 4;  // 5
inline constexpr int tinyTickMs = baseTickMs / 5;   // 4
inline constexpr int fadeMs = 500;

inline constexpr size_t kWorkAreaSize = 4096;
inline constexpr size_t kFrameBufferSize = 2000000;

extern uint8_t serverWorkArea[kWorkAreaSize];
// The client's pending input, in the arrangement of protocol/input_event.h.
extern uint8_t clientWorkArea[kWorkAreaSize];
extern uint8_t frameBuffer[kFrameBufferSize];

extern std::atomic<int> exitRequested;
extern std::atomic<int> stopServerRequested;
extern std::atomic<int> stopClientRequested;
extern std::atomic<int> serverOpen;
extern std::atomic<int> framesViaPipe;

// The client role's connection handle; 0 when it has none.
extern std::atomic<int> clientConnection;

// The reserved temporary frame file; it exists only between its uses.
extern std::string tempFramePath;

}  // namespace korvo
