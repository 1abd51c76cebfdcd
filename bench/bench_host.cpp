// Capture (scripted screen) + cursor + encode of a 1920x1080 desktop-like frame at the
// default quality, beside a bare libjpeg-turbo encode of the same pixels.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bare_jpeg.h"
#include "host/frame_capture.h"
#include "host/frame_encoding.h"
#include "platform/fake/fake_host.h"
#include "settings/settings.h"
#include "state/process_state.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

void fillRect(std::vector<uint8_t>& bgrx, int left, int top, int width, int height, uint8_t b,
              uint8_t g, uint8_t r) {
    for (int y = top; y < top + height && y < kHeight; ++y)
        for (int x = left; x < left + width && x < kWidth; ++x) {
            uint8_t* p = bgrx.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
            p[0] = b, p[1] = g, p[2] = r, p[3] = 0;
        }
}

// A gradient wallpaper, a task bar and three windows with title bars and lines of
// glyph-like marks: flat areas with sharp edges, as desktops are.
std::vector<uint8_t> desktopPicture() {
    std::vector<uint8_t> bgrx(static_cast<size_t>(kWidth) * kHeight * 4);
    for (int y = 0; y < kHeight; ++y)
        fillRect(bgrx, 0, y, kWidth, 1, static_cast<uint8_t>(120 + y * 100 / kHeight),
                 static_cast<uint8_t>(70 + y * 40 / kHeight), 40);
    fillRect(bgrx, 0, kHeight - 40, kWidth, 40, 50, 50, 50);
    struct Window {
        int left, top, width, height;
    };
    for (Window w :
         {Window{80, 60, 900, 620}, Window{700, 300, 1000, 600}, Window{1300, 90, 500, 400}}) {
        fillRect(bgrx, w.left, w.top, w.width, w.height, 245, 245, 245);
        fillRect(bgrx, w.left, w.top, w.width, 28, 160, 110, 60);
        uint32_t seed = static_cast<uint32_t>(w.left * 31 + w.top);
        for (int line = w.top + 40; line + 12 < w.top + w.height; line += 18)
            for (int x = w.left + 12; x + 8 < w.left + w.width - 12; x += 9) {
                seed = seed * 1103515245u + 12345u;
                if ((seed >> 28) < 3)
                    continue;  // a space between words
                for (int gy = 0; gy < 12; ++gy)
                    for (int gx = 0; gx < 7; ++gx)
                        if (((seed >> ((gx + gy * 7) % 24)) & 3) == 0)
                            fillRect(bgrx, x + gx, line + gy, 1, 1, 30, 30, 30);
            }
    }
    return bgrx;
}

// A 32 by 32 arrow with a soft, half-transparent edge.
platform::CursorImage arrowCursor() {
    platform::CursorImage shape;
    shape.width = 32;
    shape.height = 32;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            shape.argb.push_back(x < y / 2 ? 0xFFFFFFFFu : x == y / 2 ? 0x80000000u : 0u);
    return shape;
}

void scriptDesktop() {
    platform::fake::ScreenScript script =
        platform::fake::desktopScript(kWidth, kHeight, desktopPicture());
    script.cursor = {960, 540};
    script.cursorImage = arrowCursor();
    platform::fake::scriptScreen(script);
    korvo::settings.imageQuality = 5;
}

void BM_CaptureCursorEncode(benchmark::State& state) {
    scriptDesktop();
    korvo::framesViaPipe = 1;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = korvo::captureFrame();
        benchmark::DoNotOptimize(bytes);
    }
    if (bytes == 0)
        state.SkipWithError("nothing encoded");
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CaptureCursorEncode)->Unit(benchmark::kMillisecond);

void BM_EncodeViaPipeOnly(benchmark::State& state) {
    korvo::settings.imageQuality = 5;
    std::vector<uint8_t> pixels = desktopPicture();
    platform::PixelView view{pixels.data(), kWidth, kHeight, static_cast<size_t>(kWidth) * 4};
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = korvo::encodeViaPipe(view);
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeViaPipeOnly)->Unit(benchmark::kMillisecond);

// libjpeg-turbo alone: same pixels, quality 50, BGRX input, into memory.
void BM_BareLibjpegTurboEncode(benchmark::State& state) {
    std::vector<uint8_t> pixels = desktopPicture();
    size_t size = 0;
    for (auto _ : state) {
        size = bench_support::bareJpegEncode(pixels.data(), kWidth, kHeight,
                                             static_cast<size_t>(kWidth) * 4, 50);
    }
    state.counters["jpeg_bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_BareLibjpegTurboEncode)->Unit(benchmark::kMillisecond);

// The scripted screen's capture (a copy of the picture) and the cursor, without encoding.
void BM_FakeCaptureAndCursor(benchmark::State& state) {
    scriptDesktop();
    platform::CursorImage cursor = arrowCursor();
    for (auto _ : state) {
        platform::PixelView view;
        platform::captureDisplay(view);
        korvo::paintCursor(view, cursor, {960, 540});
        benchmark::DoNotOptimize(view.pixels);
    }
}
BENCHMARK(BM_FakeCaptureAndCursor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
