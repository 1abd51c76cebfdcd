// A desktop-like picture for measurements and end-to-end runs: a gradient wallpaper, a
// task bar and three windows with title bars and lines of glyph-like marks, as BGRX rows.
// Flat areas with sharp edges, as desktops are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace testing_support {

inline void fillRect(std::vector<uint8_t>& bgrx, int pictureWidth, int pictureHeight, int left,
                     int top, int width, int height, uint8_t b, uint8_t g, uint8_t r) {
    for (int y = std::max(top, 0); y < top + height && y < pictureHeight; ++y)
        for (int x = std::max(left, 0); x < left + width && x < pictureWidth; ++x) {
            uint8_t* p = bgrx.data() + (static_cast<size_t>(y) * pictureWidth + x) * 4;
            p[0] = b, p[1] = g, p[2] = r, p[3] = 0;
        }
}

// Laid out for 1920 by 1080; other sizes get the same windows, cut at the edges.
inline std::vector<uint8_t> desktopPicture(int width = 1920, int height = 1080) {
    std::vector<uint8_t> bgrx(static_cast<size_t>(width) * height * 4);
    const auto fill = [&](int left, int top, int w, int h, uint8_t b, uint8_t g, uint8_t r) {
        fillRect(bgrx, width, height, left, top, w, h, b, g, r);
    };
    for (int y = 0; y < height; ++y)
        fill(0, y, width, 1, static_cast<uint8_t>(120 + y * 100 / height),
             static_cast<uint8_t>(70 + y * 40 / height), 40);
    fill(0, height - 40, width, 40, 50, 50, 50);
    struct Window {
        int left, top, width, height;
    };
    for (Window w :
         {Window{80, 60, 900, 620}, Window{700, 300, 1000, 600}, Window{1300, 90, 500, 400}}) {
        fill(w.left, w.top, w.width, w.height, 245, 245, 245);
        fill(w.left, w.top, w.width, 28, 160, 110, 60);
        uint32_t seed = static_cast<uint32_t>(w.left * 31 + w.top);
        for (int line = w.top + 40; line + 12 < w.top + w.height; line += 18)
            for (int x = w.left + 12; x + 8 < w.left + w.width - 12; x += 9) {
                seed = seed * 1103515245u + 12345u;
                if ((seed >> 28) < 3)
                    continue;  // a space between words
                for (int gy = 0; gy < 12; ++gy)
                    for (int gx = 0; gx < 7; ++gx)
                        if (((seed >> ((gx + gy * 7) % 24)) & 3) == 0)
                            fill(x + gx, line + gy, 1, 1, 30, 30, 30);
            }
    }
    return bgrx;
}

}  // namespace testing_support
