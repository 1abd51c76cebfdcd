// Pictures through GDI: icon files through the system's icon loader, bitmap files
// through a DIB, and stretching with HALFTONE, the system's smoothing mode.
#include <windows.h>

#include <cstring>
#include <limits>

#include "platform/image.h"
#include "platform/win32/desktop/icon_pixels.h"

namespace platform {
namespace {

constexpr int kMaxSide = 16384;

uint16_t read16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Premultiplied pixels back to straight alpha.
void unpremultiply(std::vector<uint32_t>& pixels) {
    for (uint32_t& p : pixels) {
        const uint32_t alpha = p >> 24;
        if (alpha == 0) {
            p = 0;
            continue;
        }
        uint32_t out = alpha << 24;
        for (int shift = 0; shift < 24; shift += 8) {
            const uint32_t channel = ((p >> shift) & 0xFF) * 255 / alpha;
            out |= (channel > 255 ? 255 : channel) << shift;
        }
        p = out;
    }
}

// The first picture of an icon file (an ICONDIR, then one 16-byte entry per picture).
bool decodeIcon(const uint8_t* data, size_t size, Image& image) {
    if (size < 22 || read16(data) != 0 || read16(data + 2) != 1 || read16(data + 4) == 0)
        return false;
    const uint8_t* entry = data + 6;
    const uint32_t length = read32(entry + 8);
    const uint32_t offset = read32(entry + 12);
    if (offset > size || length > size - offset || length < 40)
        return false;
    const int width = entry[0] == 0 ? 256 : entry[0];
    const int height = entry[1] == 0 ? 256 : entry[1];
    HICON icon = ::CreateIconFromResourceEx(const_cast<uint8_t*>(data + offset), length, TRUE,
                                            0x00030000, width, height, LR_DEFAULTCOLOR);
    if (icon == nullptr)
        return false;
    std::vector<uint32_t> pixels;
    const bool drawn = win32::iconPixels(icon, width, height, pixels);
    ::DestroyIcon(icon);
    if (!drawn)
        return false;
    unpremultiply(pixels);
    image.width = width;
    image.height = height;
    image.pixels = std::move(pixels);
    return true;
}

// A bitmap file of any depth the system reads, converted to 32 bits, opaque.
bool decodeBitmap(const uint8_t* data, size_t size, Image& image) {
    if (size < 14 + 40 || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t pixelOffset = read32(data + 10);
    const auto* header = reinterpret_cast<const BITMAPINFO*>(data + 14);
    BITMAPINFOHEADER facts;
    std::memcpy(&facts, data + 14, sizeof facts);
    const int width = facts.biWidth;
    const int height = facts.biHeight < 0 ? -facts.biHeight : facts.biHeight;
    if (pixelOffset >= size || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        facts.biSize < 40 || facts.biSize > size - 14)
        return false;
    // Rows are padded to four bytes; the file must hold all of them.
    const uint64_t stride = (static_cast<uint64_t>(width) * facts.biBitCount + 31) / 32 * 4;
    if (facts.biCompression == BI_RGB &&
        stride * static_cast<uint64_t>(height) > size - pixelOffset)
        return false;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return false;
    BITMAPINFO target{};
    target.bmiHeader.biSize = sizeof target.bmiHeader;
    target.bmiHeader.biWidth = width;
    target.bmiHeader.biHeight = -height;
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 32;
    target.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr) {
        ok = ::SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), data + pixelOffset, header,
                         DIB_RGB_COLORS) == height;
        ::GdiFlush();
        if (ok) {
            const auto* words = static_cast<const uint32_t*>(bits);
            image.width = width;
            image.height = height;
            image.pixels.assign(words, words + static_cast<size_t>(width) * height);
            for (uint32_t& p : image.pixels)
                p |= 0xFF000000u;
        }
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(dc);
    return ok;
}

// A 32-bit top-down DIB section in `dc` holding width by height pixels.
HBITMAP makeSection(HDC dc, int width, int height, uint32_t*& words) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    words = static_cast<uint32_t*>(bits);
    return bitmap;
}

// Stretches width by height pixels to the target size with HALFTONE.
bool stretch(const uint32_t* source, int width, int height, uint32_t* target, int targetWidth,
             int targetHeight) {
    HDC from = ::CreateCompatibleDC(nullptr);
    HDC to = ::CreateCompatibleDC(nullptr);
    uint32_t* fromWords = nullptr;
    uint32_t* toWords = nullptr;
    HBITMAP fromBitmap = from != nullptr ? makeSection(from, width, height, fromWords) : nullptr;
    HBITMAP toBitmap =
        to != nullptr ? makeSection(to, targetWidth, targetHeight, toWords) : nullptr;
    bool ok = fromBitmap != nullptr && toBitmap != nullptr;
    if (ok) {
        std::memcpy(fromWords, source, static_cast<size_t>(width) * height * 4);
        HGDIOBJ oldFrom = ::SelectObject(from, fromBitmap);
        HGDIOBJ oldTo = ::SelectObject(to, toBitmap);
        ::SetStretchBltMode(to, HALFTONE);
        ::SetBrushOrgEx(to, 0, 0, nullptr);
        ok = ::StretchBlt(to, 0, 0, targetWidth, targetHeight, from, 0, 0, width, height,
                          SRCCOPY) != 0;
        ::GdiFlush();
        if (ok)
            std::memcpy(target, toWords, static_cast<size_t>(targetWidth) * targetHeight * 4);
        ::SelectObject(from, oldFrom);
        ::SelectObject(to, oldTo);
    }
    if (fromBitmap != nullptr)
        ::DeleteObject(fromBitmap);
    if (toBitmap != nullptr)
        ::DeleteObject(toBitmap);
    if (from != nullptr)
        ::DeleteDC(from);
    if (to != nullptr)
        ::DeleteDC(to);
    return ok;
}

}  // namespace

bool decodeImageFile(const uint8_t* data, size_t size, Image& image) {
    image = Image{};
    if (data == nullptr || size == 0 || size > static_cast<size_t>(std::numeric_limits<int>::max()))
        return false;
    if (decodeIcon(data, size, image) || decodeBitmap(data, size, image))
        return true;
    image = Image{};
    return false;
}

Image scaleImage(const Image& source, int width, int height) {
    Image scaled;
    if (!source.valid() || width < 1 || height < 1)
        return scaled;
    scaled.width = width;
    scaled.height = height;
    scaled.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (!stretch(source.pixels.data(), source.width, source.height, scaled.pixels.data(), width,
                 height))
        return Image{};
    // HALFTONE carries colour only: the alpha bytes take a second pass of their own,
    // as grey levels; an opaque picture simply stays opaque.
    bool opaque = true;
    for (uint32_t p : source.pixels)
        opaque = opaque && (p >> 24) == 0xFF;
    if (opaque) {
        for (uint32_t& p : scaled.pixels)
            p |= 0xFF000000u;
        return scaled;
    }
    std::vector<uint32_t> alpha(source.pixels.size());
    for (size_t i = 0; i < alpha.size(); ++i)
        alpha[i] = (source.pixels[i] >> 24) * 0x010101u;
    std::vector<uint32_t> scaledAlpha(scaled.pixels.size());
    if (!stretch(alpha.data(), source.width, source.height, scaledAlpha.data(), width, height))
        return Image{};
    for (size_t i = 0; i < scaled.pixels.size(); ++i)
        scaled.pixels[i] = (scaled.pixels[i] & 0x00FFFFFFu) | ((scaledAlpha[i] & 0xFF) << 24);
    return scaled;
}

}  // namespace platform
