// What the client does with a 1920x1080 desktop frame before it is in the view: decode to
// 32-bit rows, then scale with smoothing to the view (960 by 540: a 1080p frame on a
// 1080p desktop is halved to fit), beside a bare libjpeg-turbo decode of the same stream.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bare_jpeg.h"
#include "codec/jpeg_decode.h"
#include "codec/jpeg_encode.h"
#include "platform/image.h"
#include "support/desktop_picture.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kViewWidth = kWidth / 2;
constexpr int kViewHeight = kHeight / 2;

// The frame as the server encodes it at the default image quality 5 (libjpeg 50).
const std::vector<uint8_t>& desktopFrame() {
    static const std::vector<uint8_t> frame = [] {
        std::vector<uint8_t> pixels = testing_support::desktopPicture(kWidth, kHeight);
        platform::PixelView view{pixels.data(), kWidth, kHeight, static_cast<size_t>(kWidth) * 4};
        std::vector<uint8_t> out(4 << 20);
        out.resize(korvo::encodeJpegToMemory(view, 50, out.data(), out.size()));
        return out;
    }();
    return frame;
}

void BM_DecodeFrame(benchmark::State& state) {
    const std::vector<uint8_t>& frame = desktopFrame();
    platform::Image image;
    for (auto _ : state) {
        if (!korvo::decodeJpeg(frame.data(), frame.size(), image))
            state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["jpeg_bytes"] = static_cast<double>(frame.size());
}
BENCHMARK(BM_DecodeFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_BareLibjpegTurboDecode(benchmark::State& state) {
    const std::vector<uint8_t>& frame = desktopFrame();
    std::vector<uint8_t> bgrx(static_cast<size_t>(kWidth) * kHeight * 4);
    for (auto _ : state) {
        if (!bench_support::bareJpegDecode(frame.data(), frame.size(), bgrx.data(), kWidth,
                                           kHeight))
            state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(bgrx.data());
    }
}
BENCHMARK(BM_BareLibjpegTurboDecode)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_ScaleFrameToView(benchmark::State& state) {
    platform::Image frame;
    korvo::decodeJpeg(desktopFrame().data(), desktopFrame().size(), frame);
    for (auto _ : state) {
        platform::Image scaled = platform::scaleImage(frame, kViewWidth, kViewHeight);
        benchmark::DoNotOptimize(scaled.pixels.data());
    }
}
BENCHMARK(BM_ScaleFrameToView)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// Presenting a frame as the client thread does it, less the window and the view.
void BM_DecodeAndScaleToView(benchmark::State& state) {
    const std::vector<uint8_t>& frame = desktopFrame();
    platform::Image image;
    for (auto _ : state) {
        korvo::decodeJpeg(frame.data(), frame.size(), image);
        platform::Image scaled = platform::scaleImage(image, kViewWidth, kViewHeight);
        benchmark::DoNotOptimize(scaled.pixels.data());
    }
}
BENCHMARK(BM_DecodeAndScaleToView)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
