#include "codec/jpeg_decode.h"

#include <algorithm>
#include <bit>
#include <cstdio>

#include <jerror.h>

#include "codec/libjpeg_setup.h"
#include "platform/files.h"
#include "platform/threads.h"

namespace korvo {
namespace {

// Image pixels are 0xAARRGGBB values: in memory B, G, R, A on a little-endian machine.
constexpr J_COLOR_SPACE kImageOrder =
    std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB;

// Rows asked of libjpeg per call; it gives what it has ready, one or two.
constexpr int kRowsPerRead = 16;

// libjpeg calls this between passes and rows: the place to refuse a stream with endless
// scans and to leave a decode whose thread was terminated.
void checkProgress(j_common_ptr cinfo) {
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(cinfo);
    const int scanLimit = kScansPerComponent * decompressor->num_components + kScanMargin;
    if (decompressor->input_scan_number > scanLimit || platform::stopRaised()) {
        cinfo->err->msg_code = JERR_NOT_COMPILED;
        cinfo->err->error_exit(cinfo);
    }
}

int scaledSide(JDIMENSION side, int eighths) {
    return static_cast<int>((static_cast<uint64_t>(side) * static_cast<uint64_t>(eighths) + 7) / 8);
}

// The scale, in eighths, at which a picture of `full` size is decoded to cover `cover`.
int coveringEighths(platform::Size full, platform::Size cover) {
    if (cover.width <= 0 || cover.height <= 0)
        return 8;
    for (int eighths : {1, 2, 4}) {
        if (scaledSide(static_cast<JDIMENSION>(full.width), eighths) >= cover.width &&
            scaledSide(static_cast<JDIMENSION>(full.height), eighths) >= cover.height)
            return eighths;
    }
    return 8;
}

// Reads the header, checks the size, picks the scale and decodes every row. The source is
// set by the caller. False when libjpeg failed, warned, or the picture is too large.
bool decodeRows(jpeg_decompress_struct& cinfo, SilentErrors& errors, platform::Image& image,
                DecodeRequest* request) {
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    uint64_t pixels = static_cast<uint64_t>(cinfo.image_width) * cinfo.image_height;
    if (pixels == 0 || pixels > kMaxDecodedPixels)
        return false;
    const platform::Size announced{static_cast<int>(cinfo.image_width),
                                   static_cast<int>(cinfo.image_height)};
    if (request != nullptr)
        request->announced = announced;
    cinfo.out_color_space = kImageOrder;
    cinfo.scale_num = static_cast<unsigned>(
        coveringEighths(announced, request != nullptr ? request->cover : platform::Size{}));
    cinfo.scale_denom = 8;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = checkProgress;
    cinfo.progress = &progress;
    jpeg_start_decompress(&cinfo);
    const size_t width = cinfo.output_width;
    image.width = static_cast<int>(cinfo.output_width);
    image.height = static_cast<int>(cinfo.output_height);
    image.pixels.resize(width * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[kRowsPerRead];
        for (int i = 0; i < kRowsPerRead; ++i) {
            const size_t y = cinfo.output_scanline + static_cast<size_t>(i);
            rows[i] = reinterpret_cast<JSAMPLE*>(
                image.pixels.data() + std::min<size_t>(y, cinfo.output_height - 1) * width);
        }
        if (jpeg_read_scanlines(&cinfo, rows, kRowsPerRead) == 0)
            return false;
    }
    jpeg_finish_decompress(&cinfo);
    return errors.warnings == 0;
}

void clear(platform::Image& image) {
    image = platform::Image{};
}

// Exactly one of file and memory is given.
bool decode(std::FILE* file, const uint8_t* data, size_t size, platform::Image& image,
            DecodeRequest* request) {
    jpeg_decompress_struct cinfo{};
    SilentErrors errors{};
    useSilentErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_decompress(&cinfo);
        clear(image);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kDecoderMemoryLimit;
    if (file != nullptr)
        jpeg_stdio_src(&cinfo, file);
    else
        jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    bool decoded = decodeRows(cinfo, errors, image, request);
    jpeg_destroy_decompress(&cinfo);
    if (!decoded)
        clear(image);
    return decoded;
}

}  // namespace

bool decodeJpeg(const uint8_t* data, size_t size, platform::Image& image, DecodeRequest* request) {
    if (data == nullptr || size == 0) {
        clear(image);
        return false;
    }
    return decode(nullptr, data, size, image, request);
}

bool decodeJpegFile(const std::string& path, platform::Image& image) {
    std::FILE* file = platform::openFileStream(path, "rb");
    if (file == nullptr) {
        clear(image);
        return false;
    }
    bool decoded = decode(file, nullptr, 0, image, nullptr);
    std::fclose(file);
    return decoded;
}

}  // namespace korvo
