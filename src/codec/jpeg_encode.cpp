#include "codec/jpeg_encode.h"

#include <algorithm>
#include <cstdio>

#include <jerror.h>

#include "codec/libjpeg_setup.h"
#include "platform/files.h"

namespace korvo {
namespace {

// A destination that writes into a fixed block of memory and gives up, instead of
// growing or wrapping, when the block is too small. libjpeg asks for more room as soon
// as the block is full, even when the stream ends right there; the next bytes then go
// to a spill area, and any byte in it means the stream did not fit.
struct BoundedDestination {
    jpeg_destination_mgr base;  // first, so that cinfo->dest can be cast back
    uint8_t* start;
    size_t capacity;
    size_t written;
    bool spilling;
    bool overflowed;
    JOCTET spill[256];
};

BoundedDestination& boundedDestination(j_compress_ptr cinfo) {
    return *reinterpret_cast<BoundedDestination*>(cinfo->dest);
}

void startBlock(j_compress_ptr cinfo) {
    BoundedDestination& destination = boundedDestination(cinfo);
    destination.base.next_output_byte = destination.start;
    destination.base.free_in_buffer = destination.capacity;
    destination.written = 0;
    destination.spilling = false;
    destination.overflowed = false;
}

boolean blockFull(j_compress_ptr cinfo) {
    BoundedDestination& destination = boundedDestination(cinfo);
    if (destination.spilling) {
        // Even the spill area is full: no need to encode the rest of a lost frame.
        destination.overflowed = true;
        cinfo->err->msg_code = JERR_BUFFER_SIZE;
        cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    }
    destination.spilling = true;
    destination.base.next_output_byte = destination.spill;
    destination.base.free_in_buffer = sizeof destination.spill;
    return TRUE;
}

void finishBlock(j_compress_ptr cinfo) {
    BoundedDestination& destination = boundedDestination(cinfo);
    if (!destination.spilling) {
        destination.written = destination.capacity - destination.base.free_in_buffer;
    } else if (destination.base.free_in_buffer == sizeof destination.spill) {
        destination.written = destination.capacity;
    } else {
        // A half frame must never pass for a whole one.
        destination.overflowed = true;
    }
}

bool encodable(const platform::PixelView& image) {
    return image.pixels != nullptr && image.width > 0 && image.height > 0 &&
           image.width <= JPEG_MAX_DIMENSION && image.height <= JPEG_MAX_DIMENSION &&
           image.stride >= static_cast<size_t>(image.width) * 4;
}

// The BGRX rows go in as they are; libjpeg-turbo converts them exactly as it would the
// same pixels given as RGB rows, so the stream is the same byte for byte. Exactly one of
// file and memory is given. False when libjpeg failed.
bool encodeJpeg(const platform::PixelView& image, int quality, std::FILE* file,
                BoundedDestination* memory) {
    jpeg_compress_struct cinfo{};
    SilentErrors errors{};
    useSilentErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    if (setjmp(errors.escape) != 0) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    if (file != nullptr) {
        jpeg_stdio_dest(&cinfo, file);
    } else {
        memory->base.init_destination = startBlock;
        memory->base.empty_output_buffer = blockFull;
        memory->base.term_destination = finishBlock;
        cinfo.dest = &memory->base;
    }
    setFrameParameters(cinfo, image.width, image.height, 4, JCS_EXT_BGRX, quality);
    jpeg_start_compress(&cinfo, TRUE);

    // Several rows per call only saves calls; the stream is the same as row by row.
    constexpr JDIMENSION kRowsPerCall = 16;
    JSAMPROW rows[kRowsPerCall];
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION count = std::min(kRowsPerCall, cinfo.image_height - cinfo.next_scanline);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = image.pixels + (cinfo.next_scanline + i) * image.stride;
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

int jpegQuality(int64_t imageQuality) {
    return static_cast<int>(std::clamp<int64_t>(imageQuality, 0, 10)) * 10;
}

size_t encodeJpegToMemory(const platform::PixelView& image, int quality, uint8_t* out,
                          size_t capacity) {
    if (!encodable(image) || out == nullptr || capacity == 0)
        return 0;
    BoundedDestination destination{};
    destination.start = out;
    destination.capacity = capacity;
    if (!encodeJpeg(image, quality, nullptr, &destination) || destination.overflowed)
        return 0;
    return destination.written;
}

bool encodeJpegToFile(const platform::PixelView& image, int quality, const std::string& path) {
    if (!encodable(image))
        return false;
    std::FILE* file = platform::openFileStream(path, "wb");
    if (file == nullptr)
        return false;
    bool encoded = encodeJpeg(image, quality, file, nullptr);
    bool closed = std::fclose(file) == 0;
    if (encoded && closed)
        return true;
    // A cut-off file would be sent as if it were a frame.
    std::remove(path.c_str());
    return false;
}

}  // namespace korvo
