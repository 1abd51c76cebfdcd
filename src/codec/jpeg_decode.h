// JPEG decoding of received frames, straight to the 32-bit rows the view shows, no larger
// than the view can use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image.h"
#include "platform/screen.h"

namespace korvo {

// The largest picture a frame may announce (an 8K desktop fits): the size a stream
// announces is checked against it before any memory is taken.
inline constexpr uint64_t kMaxDecodedPixels = 7680ull * 4320ull;

// What libjpeg itself may take for one decode (a progressive stream keeps every
// coefficient of the picture): a 4K progressive frame fits, an 8K one with full colour
// does not. Rows of a plain frame need a few hundred kilobytes.
inline constexpr long kDecoderMemoryLimit = 64L * 1024 * 1024;

// A progressive stream passes over the picture once a scan; a sound encoder writes up to
// about four per colour component. More than that, plus this margin, is refused.
inline constexpr int kScansPerComponent = 4;
inline constexpr int kScanMargin = 4;

// The picture a decode is asked for. `cover` is the smallest size the caller can use: the
// stream is decoded at the smallest of 1/8, 1/4, 1/2 and full size that is at least that
// large both ways (full size when none is, or when cover is 0 by 0). `announced` gets the
// full size the stream's header gives.
struct DecodeRequest {
    platform::Size cover;
    platform::Size announced;
};

// Decodes a whole JPEG stream into image (alpha 0xFF), reusing the image's memory when
// the size is the same. False, with image left empty, when the bytes are not a complete,
// sound JPEG stream: a bad marker, a stream cut short or with corrupt data, a picture
// larger than kMaxDecodedPixels, too many progressive scans, more memory than
// kDecoderMemoryLimit; and when the calling thread is terminated meanwhile.
bool decodeJpeg(const uint8_t* data, size_t size, platform::Image& image,
                DecodeRequest* request = nullptr);

// The same, at full size, for the stream held in the file at path.
bool decodeJpegFile(const std::string& path, platform::Image& image);

}  // namespace korvo
