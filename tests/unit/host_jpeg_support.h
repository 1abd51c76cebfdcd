// libjpeg used the plain way, as the yardstick for the frame encoder: a reference encode
// of RGB rows and a decoder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codec/libjpeg_setup.h"

namespace host_testing {

struct Decoded {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, top down
    // The first two quantisation tables in natural order (luminance, chrominance).
    std::vector<uint16_t> luminance;
    std::vector<uint16_t> chrominance;
};

// BGRX rows reordered to RGB and given to libjpeg one row per call, top down, with the
// frame parameters: defaults, the quality, all tables.
inline std::vector<uint8_t> referenceJpeg(const std::vector<uint8_t>& bgrx, int width, int height,
                                          int quality) {
    jpeg_compress_struct cinfo{};
    korvo::SilentErrors errors{};
    korvo::useSilentErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    korvo::setFrameParameters(cinfo, width, height, 3, JCS_RGB, quality);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = bgrx.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x) {
            row[static_cast<size_t>(x) * 3] = source[x * 4 + 2];
            row[static_cast<size_t>(x) * 3 + 1] = source[x * 4 + 1];
            row[static_cast<size_t>(x) * 3 + 2] = source[x * 4];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> result(out, out + size);
    std::free(out);
    return result;
}

// The quantisation tables libjpeg builds for a quality, in natural order.
inline std::vector<uint16_t> expectedTable(int quality, int which) {
    jpeg_compress_struct cinfo{};
    korvo::SilentErrors errors{};
    korvo::useSilentErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    jpeg_create_compress(&cinfo);
    korvo::setFrameParameters(cinfo, 1, 1, 3, JCS_RGB, quality);
    std::vector<uint16_t> table(cinfo.quant_tbl_ptrs[which]->quantval,
                                cinfo.quant_tbl_ptrs[which]->quantval + DCTSIZE2);
    jpeg_destroy_compress(&cinfo);
    return table;
}

// Decodes a stream the test produced itself (a bad one fails the test by exiting).
inline Decoded decodeJpeg(const std::vector<uint8_t>& jpeg) {
    Decoded result;
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    for (int i = 0; i < 2; ++i) {
        std::vector<uint16_t>& table = i == 0 ? result.luminance : result.chrominance;
        if (cinfo.quant_tbl_ptrs[i] != nullptr)
            table.assign(cinfo.quant_tbl_ptrs[i]->quantval,
                         cinfo.quant_tbl_ptrs[i]->quantval + DCTSIZE2);
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    result.width = static_cast<int>(cinfo.output_width);
    result.height = static_cast<int>(cinfo.output_height);
    result.rgb.resize(static_cast<size_t>(result.width) * result.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {result.rgb.data() +
                            static_cast<size_t>(cinfo.output_scanline) * result.width * 3};
        jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return result;
}

// A picture with flat areas, edges, gradients and some noise: enough structure that a
// wrong colour order or row order changes the stream.
inline std::vector<uint8_t> desktopLikePicture(int width, int height) {
    std::vector<uint8_t> bgrx(static_cast<size_t>(width) * height * 4);
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bgrx.data() + (static_cast<size_t>(y) * width + x) * 4;
            noise = noise * 1103515245u + 12345u;
            bool window = x > width / 8 && x < width / 2 && y > height / 6 && y < height * 2 / 3;
            bool text = window && (y / 3) % 5 == 0 && ((x / 2) % 7) < 4;
            if (text) {
                p[0] = 20, p[1] = 20, p[2] = 20;
            } else if (window) {
                p[0] = 240, p[1] = 240, p[2] = 235;
            } else {
                p[0] = static_cast<uint8_t>(160 + (y * 60) / height);
                p[1] = static_cast<uint8_t>(90 + (x * 80) / width);
                p[2] = static_cast<uint8_t>(30 + ((noise >> 16) & 15));
            }
            p[3] = static_cast<uint8_t>(noise >> 24);  // the X byte is not part of the picture
        }
    }
    return bgrx;
}

}  // namespace host_testing
