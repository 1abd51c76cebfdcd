#include "host/frame_encoding.h"

#include "codec/jpeg_encode.h"
#include "settings/settings.h"

namespace korvo {

int encodeToFile(const platform::PixelView& image) {
    return encodeJpegToFile(image, jpegQuality(settings.imageQuality), tempFramePath) ? 1 : 0;
}

size_t encodeViaPipe(const platform::PixelView& image) {
    return encodeJpegToMemory(image, jpegQuality(settings.imageQuality), frameBuffer,
                              kEncodedFrameCapacity);
}

}  // namespace korvo
