// What the client's threads and the GUI thread share beside the work area and the frame
// buffer.
#pragma once

#include <atomic>
#include <cstdint>

namespace korvo {

// 1 while the client thread takes a new frame in (from the end of the frame wait until
// the pointer has been sampled); keys typed meanwhile are ignored.
extern std::atomic<int> showingFrame;

// 1 exactly while the client thread waits on clientSemaphore; it arms the receive
// thread's idle release.
extern std::atomic<int> clientWaiting;

// The CRC-32 the server answered to "crc32" last, and how many such answers came, so
// that the client thread can tell the answer to its own request from an older one.
extern std::atomic<uint32_t> reportedFrameCrc;
extern std::atomic<uint32_t> checksumReplies;

}  // namespace korvo
