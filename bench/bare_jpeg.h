// The yardsticks the frame encoder and decoder are measured against: libjpeg-turbo used
// the plain way, BGRX rows into memory at a given quality with the frame parameters, and
// back, row by row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "codec/libjpeg_setup.h"

namespace bench_support {

// Returns the size of the JPEG stream.
inline size_t bareJpegEncode(const uint8_t* bgrx, int width, int height, size_t stride,
                             int quality) {
    jpeg_compress_struct compressor{};
    jpeg_error_mgr errors{};
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &output, &size);
    korvo::setFrameParameters(compressor, width, height, 4, JCS_EXT_BGRX, quality);
    jpeg_start_compress(&compressor, TRUE);
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(bgrx) + compressor.next_scanline * stride;
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    jpeg_destroy_compress(&compressor);
    std::free(output);
    return size;
}

// The decoder's yardstick: libjpeg-turbo decoding the stream straight to 32-bit rows
// (JCS_EXT_BGRX, which is Image's 0xAARRGGBB in memory), into the caller's buffer of
// width * height * 4 bytes. False when the stream is not a picture of that size.
inline bool bareJpegDecode(const uint8_t* data, size_t size, uint8_t* bgrx, int width, int height) {
    jpeg_decompress_struct decompressor{};
    jpeg_error_mgr errors{};
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, data, static_cast<unsigned long>(size));
    jpeg_read_header(&decompressor, TRUE);
    decompressor.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&decompressor);
    const bool fits = static_cast<int>(decompressor.output_width) == width &&
                      static_cast<int>(decompressor.output_height) == height;
    while (fits && decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW row = bgrx + static_cast<size_t>(decompressor.output_scanline) * width * 4;
        jpeg_read_scanlines(&decompressor, &row, 1);
    }
    if (fits)
        jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    return fits;
}

}  // namespace bench_support
