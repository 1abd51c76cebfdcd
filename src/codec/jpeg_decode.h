// JPEG decoding of received frames, straight to the 32-bit rows the view shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image.h"

namespace korvo {

// The largest picture a frame may decode to (an 8K desktop fits): the size a stream
// announces is checked against it before any memory is taken.
inline constexpr uint64_t kMaxDecodedPixels = 7680ull * 4320ull;

// Decodes a whole JPEG stream into image (alpha 0xFF). False, with image left empty,
// when the bytes are not a complete, sound JPEG stream: a bad marker, a stream cut
// short or with corrupt data, a picture larger than kMaxDecodedPixels, or one with
// endless progressive scans.
bool decodeJpeg(const uint8_t* data, size_t size, platform::Image& image);

// The same for the stream held in the file at path.
bool decodeJpegFile(const std::string& path, platform::Image& image);

}  // namespace korvo
