// Arbitrary bytes as a received frame: the decoder answers yes with a whole picture or
// no with none, and never reads or writes out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "codec/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::Image image;
    bool decoded = korvo::decodeJpeg(data, size, image);
    if (decoded != image.valid())
        std::abort();
    return 0;
}
