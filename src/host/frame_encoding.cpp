#include "host/frame_encoding.h"

#include <cstdio>

#include "codec/jpeg_encode.h"
#include "platform/files.h"
#include "settings/settings.h"

namespace korvo {

int encodeToFile(const platform::PixelView& image) {
    return encodeJpegToFile(image, jpegQuality(settings.imageQuality), tempFramePath) ? 1 : 0;
}

int writeFrameFile(size_t length) {
    std::FILE* file = platform::openFileStream(tempFramePath, "wb");
    if (file == nullptr)
        return 0;
    bool written = std::fwrite(frameBuffer, 1, length, file) == length;
    bool closed = std::fclose(file) == 0;
    if (written && closed)
        return 1;
    // A cut-off file would be sent as if it were a frame.
    std::remove(tempFramePath.c_str());
    return 0;
}

size_t encodeViaPipe(const platform::PixelView& image) {
    return encodeJpegToMemory(image, jpegQuality(settings.imageQuality), frameBuffer,
                              kEncodedFrameCapacity);
}

}  // namespace korvo
