// The yardstick the frame encoder is measured against: libjpeg-turbo used the plain way,
// BGRX rows into memory at a given quality with the frame parameters, row by row.
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

}  // namespace bench_support
