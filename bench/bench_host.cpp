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
#include "support/desktop_picture.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

using testing_support::desktopPicture;

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
