// Images through QImage: decoding of icon and picture files, smooth stretching, and the
// conversion the widgets need.
#include <QImage>

#include <cstring>
#include <limits>

#include "platform/image.h"
#include "platform/qt/ui_state.h"

namespace platform {
namespace {

bool fromQImage(const QImage& source, Image& image) {
    if (source.isNull())
        return false;
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    image.width = argb.width();
    image.height = argb.height();
    image.pixels.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
        std::memcpy(image.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(image.width),
                    argb.constScanLine(y), static_cast<size_t>(image.width) * 4);
    return true;
}

bool opaque(const Image& image) {
    uint32_t alpha = 0xFF000000u;
    for (uint32_t pixel : image.pixels)
        alpha &= pixel;
    return alpha == 0xFF000000u;
}

}  // namespace

bool decodeImageFile(const uint8_t* data, size_t size, Image& image) {
    image = Image{};
    if (data == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<int>::max()))
        return false;
    QImage decoded;
    if (!decoded.loadFromData(data, static_cast<int>(size)))
        return false;
    if (!fromQImage(decoded, image)) {
        image = Image{};
        return false;
    }
    return true;
}

Image scaleImage(const Image& source, int width, int height) {
    Image scaled;
    if (!source.valid() || width < 1 || height < 1)
        return scaled;
    // Frames are opaque: Qt scales opaque rows without the passes that premultiply rows
    // with alpha and take it out again. scaled() only reads the caller's pixels, so they
    // are lent to it rather than copied.
    const QImage::Format format = opaque(source) ? QImage::Format_RGB32 : QImage::Format_ARGB32;
    const QImage lent(reinterpret_cast<const uchar*>(source.pixels.data()), source.width,
                      source.height, static_cast<qsizetype>(source.width) * 4, format);
    fromQImage(lent.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), scaled);
    return scaled;
}

}  // namespace platform

namespace platform::qtui {

QImage toQImage(const Image& image) {
    if (!image.valid())
        return QImage();
    // Format_ARGB32 keeps each pixel as one 0xAARRGGBB value, as Image does.
    const QImage view(reinterpret_cast<const uchar*>(image.pixels.data()), image.width,
                      image.height, static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32);
    return view.copy();
}

ui_model::ImageHandle pictureOf(const Image* image) {
    if (image == nullptr || !image->valid())
        return nullptr;
    return std::make_shared<const QImage>(toQImage(*image));
}

}  // namespace platform::qtui
