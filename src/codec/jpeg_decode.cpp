#include "codec/jpeg_decode.h"

#include <bit>
#include <cstdio>

#include <jerror.h>

#include "codec/libjpeg_setup.h"
#include "platform/files.h"

namespace korvo {
namespace {

// Image pixels are 0xAARRGGBB values: in memory B, G, R, A on a little-endian machine.
constexpr J_COLOR_SPACE kImageOrder =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// A progressive stream may carry any number of scans, each a pass over the whole
// picture; a sound encoder writes about ten.
constexpr int kMaxScans = 100;

struct ScanLimit {
    jpeg_progress_mgr base;  // first, so that cinfo->progress can be cast back
};

void checkScans(j_common_ptr cinfo) {
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompressor->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_NOT_COMPILED;
        cinfo->err->error_exit(cinfo);
    }
}

// Reads the header, checks the size and decodes every row. The source is set by the
// caller. False when libjpeg failed, warned, or the picture is too large.
bool decodeRows(jpeg_decompress_struct& cinfo, SilentErrors& errors, platform::Image& image) {
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    uint64_t pixels = static_cast<uint64_t>(cinfo.image_width) * cinfo.image_height;
    if (pixels == 0 || pixels > kMaxDecodedPixels)
        return false;
    cinfo.out_color_space = kImageOrder;
    ScanLimit limit{};
    limit.base.progress_monitor = checkScans;
    cinfo.progress = &limit.base;
    jpeg_start_decompress(&cinfo);
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    image.pixels.assign(static_cast<size_t>(image.width) * static_cast<size_t>(image.height), 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        auto* row = reinterpret_cast<JSAMPLE*>(image.pixels.data() +
                                               static_cast<size_t>(cinfo.output_scanline) *
                                                   static_cast<size_t>(image.width));
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&cinfo);
    return errors.warnings == 0;
}

// Exactly one of file and memory is given.
bool decode(std::FILE* file, const uint8_t* data, size_t size, platform::Image& image) {
    image = platform::Image{};
    jpeg_decompress_struct cinfo{};
    SilentErrors errors{};
    useSilentErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&cinfo);
        image = platform::Image{};
        return false;
    }
    jpeg_create_decompress(&cinfo);
    if (file != nullptr)
        jpeg_stdio_src(&cinfo, file);
    else
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    bool decoded = decodeRows(cinfo, errors, image);
    jpeg_destroy_decompress(&cinfo);
    if (!decoded)
        image = platform::Image{};
    return decoded;
}

}  // namespace

bool decodeJpeg(const uint8_t* data, size_t size, platform::Image& image) {
    if (data == nullptr || size == 0) {
        image = platform::Image{};
        return false;
    }
    return decode(nullptr, data, size, image);
}

bool decodeJpegFile(const std::string& path, platform::Image& image) {
    std::FILE* file = platform::openFileStream(path, "rb");
    if (file == nullptr) {
        image = platform::Image{};
        return false;
    }
    bool decoded = decode(file, nullptr, 0, image);
    std::fclose(file);
    return decoded;
}

}  // namespace korvo
