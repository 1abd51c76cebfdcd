#include "platform/x11/pixel_format.h"

#include <bit>
#include <cstddef>

namespace platform::x11 {
namespace {

// One colour channel of a pixel value: where it sits and how to widen it to 8 bits.
struct Channel {
    unsigned long mask = 0;
    int shift = 0;
    unsigned long maximum = 0;

    explicit Channel(unsigned long channelMask) : mask(channelMask) {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        maximum = mask >> shift;
    }

    bool usable() const {
        // A channel is one run of bits; wider than 16 bits is no colour format of X.
        return mask != 0 && (maximum & (maximum + 1)) == 0 && maximum <= 0xFFFF;
    }

    uint8_t to8Bits(unsigned long pixel) const {
        unsigned long value = (pixel & mask) >> shift;
        return static_cast<uint8_t>((value * 255 + maximum / 2) / maximum);
    }
};

unsigned long readPixel(const uint8_t* at, int bytesPerPixel, bool mostSignificantFirst) {
    unsigned long value = 0;
    for (int i = 0; i < bytesPerPixel; ++i) {
        int index = mostSignificantFirst ? i : bytesPerPixel - 1 - i;
        value = (value << 8) | at[index];
    }
    return value;
}

}  // namespace

bool visualIsTrueColor(const Visual* visual) {
    return visual != nullptr && visual->c_class == TrueColor;
}

bool imageIsBgrx(const XImage& image) {
    return image.format == ZPixmap && image.bits_per_pixel == 32 && image.byte_order == LSBFirst &&
           image.red_mask == 0xFF0000 && image.green_mask == 0xFF00 && image.blue_mask == 0xFF;
}

bool convertToBgrx(const XImage& image, std::vector<uint8_t>& out) {
    Channel red(image.red_mask);
    Channel green(image.green_mask);
    Channel blue(image.blue_mask);
    int bits = image.bits_per_pixel;
    if (image.format != ZPixmap || image.data == nullptr || image.width <= 0 || image.height <= 0 ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32) || !red.usable() || !green.usable() ||
        !blue.usable())
        return false;
    int bytesPerPixel = bits / 8;
    size_t width = static_cast<size_t>(image.width);
    size_t height = static_cast<size_t>(image.height);
    if (image.bytes_per_line < 0 ||
        static_cast<size_t>(image.bytes_per_line) < width * static_cast<size_t>(bytesPerPixel))
        return false;

    out.resize(width * height * 4);
    bool mostSignificantFirst = image.byte_order == MSBFirst;
    const auto* source = reinterpret_cast<const uint8_t*>(image.data);
    uint8_t* target = out.data();
    for (size_t row = 0; row < height; ++row) {
        const uint8_t* at = source + row * static_cast<size_t>(image.bytes_per_line);
        for (size_t column = 0; column < width; ++column) {
            unsigned long pixel = readPixel(at, bytesPerPixel, mostSignificantFirst);
            at += bytesPerPixel;
            target[0] = blue.to8Bits(pixel);
            target[1] = green.to8Bits(pixel);
            target[2] = red.to8Bits(pixel);
            target[3] = 0xFF;
            target += 4;
        }
    }
    return true;
}

}  // namespace platform::x11
