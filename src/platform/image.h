// 32-bit pictures as the program hands them around: the small menu and toolbar icons,
// the application icon and the frames the view shows. The pixels are plain data, so
// any thread may build, copy and free an image; only the UI backend turns one into
// something the screen can show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Rows top down, one 32-bit value a pixel: 0xAARRGGBB, not premultiplied.
// A frame without transparency has 0xFF in the alpha byte of every pixel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height values

    bool valid() const {
        return width > 0 && height > 0 &&
               pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height);
    }
};

// Decodes a complete image file held in memory (an icon file, PNG or BMP). The first
// picture of an icon file is taken. False, with `image` left empty, when the bytes are
// not a picture the platform can read.
bool decodeImageFile(const uint8_t* data, size_t size, Image& image);

// The picture stretched to width by height with smoothing; the aspect ratio is not
// kept. An invalid source or a size below 1 gives an empty image.
Image scaleImage(const Image& source, int width, int height);

}  // namespace platform
