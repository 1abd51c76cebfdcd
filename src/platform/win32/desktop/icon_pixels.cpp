// An icon drawn once on black and once on white gives both its colour and its coverage:
// where the two drawings differ, the background showed through. This holds for the
// old AND/XOR masks and for 32-bit icons with alpha alike.
#include "platform/win32/desktop/icon_pixels.h"

#include <algorithm>

namespace platform::win32 {
namespace {

// A top-down 32-bit DIB section filled with one colour, the icon drawn on it.
bool drawOn(HDC dc, HICON icon, int width, int height, uint32_t background,
            std::vector<uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        return false;
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    auto* words = static_cast<uint32_t*>(bits);
    std::fill(words, words + count, background);
    ::GdiFlush();
    const bool drawn = ::DrawIconEx(dc, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL) != 0;
    ::GdiFlush();
    if (drawn)
        pixels.assign(words, words + count);
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    return drawn;
}

}  // namespace

bool iconPixels(HICON icon, int width, int height, std::vector<uint32_t>& argb,
                std::vector<uint8_t>* inverts) {
    if (icon == nullptr || width <= 0 || height <= 0)
        return false;
    HDC dc = ::CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return false;
    std::vector<uint32_t> onBlack;
    std::vector<uint32_t> onWhite;
    const bool drawn = drawOn(dc, icon, width, height, 0x00000000, onBlack) &&
                       drawOn(dc, icon, width, height, 0x00FFFFFF, onWhite);
    ::DeleteDC(dc);
    if (!drawn)
        return false;
    argb.resize(onBlack.size());
    if (inverts != nullptr)
        inverts->clear();
    for (size_t i = 0; i < onBlack.size(); ++i) {
        const uint32_t black = onBlack[i] & 0x00FFFFFF;
        const uint32_t white = onWhite[i] & 0x00FFFFFF;
        // A pixel of the old masks that keeps the screen and XORs a colour into it shows
        // that colour on black and its complement on white. Cursors XOR white, which
        // inverts; any other colour has no ARGB form either and is shown inverting too.
        if (inverts != nullptr && black != 0 && white == (~black & 0x00FFFFFF)) {
            inverts->resize(onBlack.size(), 0);
            (*inverts)[i] = 1;
            argb[i] = 0;
            continue;
        }
        // The green channel's difference is the background's share; a pixel darker on
        // white than on black, which no other mask makes, counts as opaque.
        const int shown =
            static_cast<int>((white >> 8) & 0xFF) - static_cast<int>((black >> 8) & 0xFF);
        const uint32_t alpha = static_cast<uint32_t>(255 - std::clamp(shown, 0, 255));
        argb[i] = (alpha << 24) | (shown < 0 ? 0 : black);
    }
    return true;
}

bool iconFacts(HICON icon, int& width, int& height, int& hotspotX, int& hotspotY) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return false;
    BITMAP mask{};
    bool ok = ::GetObjectA(info.hbmMask, sizeof mask, &mask) != 0;
    width = mask.bmWidth;
    // Without a colour bitmap the mask holds the AND and the XOR half one above the other.
    height = info.hbmColor == nullptr ? mask.bmHeight / 2 : mask.bmHeight;
    hotspotX = static_cast<int>(info.xHotspot);
    hotspotY = static_cast<int>(info.yHotspot);
    // GetIconInfo hands over copies of both bitmaps.
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);
    return ok && width > 0 && height > 0;
}

}  // namespace platform::win32
