// Turning a captured frame into a JPEG stream at the configured quality, by the file
// route (tempFramePath) or the memory route (straight into frameBuffer).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/screen.h"
#include "protocol/wire.h"
#include "state/process_state.h"

namespace korvo {

// How much of frameBuffer an encoded frame may fill. The last transfer block stays free,
// so that the server may always add the byte that ends a frame with a short chunk.
inline constexpr size_t kEncodedFrameCapacity = kFrameBufferSize - kChunkSize;

// Encodes the frame into tempFramePath, creating or replacing the file. 1 on success;
// 0 when the file cannot be written or the encoder fails (no file is left behind then).
int encodeToFile(const platform::PixelView& image);

// Writes the first `length` bytes of frameBuffer to tempFramePath, creating or replacing
// the file: the file route's frame when the stream is already in memory. 1 on success; 0
// otherwise (no file is left behind then).
int writeFrameFile(size_t length);

// The memory route (named after framesViaPipe, the flag that selects it): the stream
// lands at the start of frameBuffer, at most kEncodedFrameCapacity bytes. Returns its
// length, 0 when nothing usable was encoded.
size_t encodeViaPipe(const platform::PixelView& image);

}  // namespace korvo
