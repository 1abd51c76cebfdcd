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

// What became of a frame: all of it was queued for the connection (server/outgoing.h);
// there was none to send (nothing was queued and the connection is as it was); or the
// connection has failed.
enum class Delivery { Queued, None, Broken };

// Memory route: the n bytes at the start of frameBuffer, with one zero byte added when
// n is a multiple of 1023 so that the last chunk is short. Sets lastFrameCrc and the
// connection's own frame checksum, pauses shortTickMs, then queues the chunks. They are
// laid out one after the other and leave in as few sends as the socket takes: TCP keeps no
// boundaries between sends, so the bytes on the wire are those of one send per chunk. A
// frame of no bytes, or one too long to have been encoded into frameBuffer, queues nothing
// and leaves lastFrameCrc.
Delivery sendMemoryFrame(int connection, size_t frameLength);

// File route: the whole file at `path` as one whole-file transfer, header and bytes. A
// missing, empty or unreadable file queues nothing. The file is deleted afterwards in every
// case.
Delivery sendFileFrame(int connection, const std::string& path);

}  // namespace korvo
