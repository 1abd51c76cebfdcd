// Sending an encoded frame to one connection by either route.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/wire.h"
#include "state/process_state.h"

namespace korvo {

// CRC-32 of the memory-route frame prepared last, for any connection; 0 at start-up.
extern std::atomic<uint32_t> lastFrameCrc;

// The longest frame the memory route sends: what the encoder can leave in frameBuffer.
inline constexpr size_t kLargestChunkedFrame = kFrameBufferSize - kChunkSize;

// What became of a frame: all of it went out; there was none to send (nothing went out
// and the connection is as it was); or the connection failed or did not take it within
// the limit, and part of it may have gone out.
enum class Delivery { Whole, None, Broken };

// Memory route: the n bytes at the start of frameBuffer, with one zero byte added when
// n is a multiple of 1023 so that the last chunk is short. Sets lastFrameCrc, pauses
// shortTickMs, then sends the chunks, all of them within limitMs. The chunks are laid out
// one after the other and leave in as few sends as the socket takes: TCP keeps no
// boundaries between sends, so the bytes on the wire are those of one send per chunk. A frame of no
// bytes, or one too long to have been encoded into frameBuffer, sends nothing and leaves
// lastFrameCrc.
Delivery sendMemoryFrame(int connection, size_t frameLength, int limitMs);

// File route: the whole file at `path` as one whole-file transfer (header and bytes in
// one send) within limitMs. A missing, empty or unreadable file sends nothing. The file
// is deleted afterwards in every case.
Delivery sendFileFrame(int connection, const std::string& path, int limitMs);

}  // namespace korvo
