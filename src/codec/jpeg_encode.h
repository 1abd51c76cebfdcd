// JPEG encoding of captured frames, into a bounded block of memory or into a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/screen.h"

namespace korvo {

// The libjpeg quality for the image quality setting: ten times the setting, clamped to
// 0..10 first.
int jpegQuality(int64_t imageQuality);

// Encodes the BGRX rows into out, never writing more than capacity bytes. The number of
// bytes written, or 0 when the stream does not fit or the encoder fails.
size_t encodeJpegToMemory(const platform::PixelView& image, int quality, uint8_t* out,
                          size_t capacity);

// Encodes into the file at path, creating or replacing it. False when the file cannot be
// written or the encoder fails; no cut-off file is left behind then.
bool encodeJpegToFile(const platform::PixelView& image, int quality, const std::string& path);

}  // namespace korvo
