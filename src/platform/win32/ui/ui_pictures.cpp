// The program's images as the system's icons and bitmaps.
#include <windows.h>

#include <cstring>
#include <memory>

#include "platform/win32/ui/ui_state.h"

namespace platform::win32ui {

ui_model::ImageHandle pictureOf(const Image* image) {
    if (image == nullptr || !image->valid())
        return nullptr;
    return std::make_shared<const Image>(*image);
}

HBITMAP makeBitmap(const Image* image, bool premultiplied) {
    if (image == nullptr || !image->valid())
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image->width;
    info.bmiHeader.biHeight = -image->height;  // top down, as Image keeps its rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    // 0xAARRGGBB in memory order is B, G, R, A: the DIB's own layout.
    auto* words = static_cast<uint32_t*>(bits);
    std::memcpy(words, image->pixels.data(), image->pixels.size() * 4);
    if (premultiplied) {
        for (size_t i = 0; i < image->pixels.size(); ++i) {
            const uint32_t p = words[i];
            const uint32_t alpha = p >> 24;
            uint32_t out = alpha << 24;
            for (int shift = 0; shift < 24; shift += 8)
                out |= (((p >> shift) & 0xFF) * alpha / 255) << shift;
            words[i] = out;
        }
    }
    return bitmap;
}

HICON makeIcon(const Image* image) {
    HBITMAP colour = makeBitmap(image, false);
    if (colour == nullptr)
        return nullptr;
    // With a 32-bit colour bitmap the alpha decides; the mask only has to be there.
    HBITMAP mask = ::CreateBitmap(image->width, image->height, 1, 1, nullptr);
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colour;
    info.hbmMask = mask;
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(colour);
    ::DeleteObject(mask);
    return icon;
}

}  // namespace platform::win32ui
