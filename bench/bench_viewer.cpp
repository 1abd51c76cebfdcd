// What the client does with a 1920x1080 desktop frame before it is in the view: decode to
// 32-bit rows no larger than the view needs, then scale with smoothing to the view (960 by
// 540: a 1080p frame on a 1080p desktop is halved to fit), beside a bare libjpeg-turbo
// decode of the same stream; and what a repeated frame costs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bare_jpeg.h"
#include "codec/jpeg_decode.h"
#include "codec/jpeg_encode.h"
#include "platform/image.h"
#include "protocol/crc32.h"
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

// The client decodes into the picture it decoded into last time: the memory is reused.
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

// The full-size picture scaled to the view, as every frame was before the decode
// followed the view.
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

// A frame presented as the client thread does it, less the window: decoded no larger
// than the view needs, then scaled with smoothing unless it has the view's size already.
void decodeAndScale(benchmark::State& state, int viewWidth, int viewHeight) {
    const std::vector<uint8_t>& frame = desktopFrame();
    platform::Image image;
    for (auto _ : state) {
        korvo::DecodeRequest request{{viewWidth, viewHeight}, {}};
        korvo::decodeJpeg(frame.data(), frame.size(), image, &request);
        if (image.width != viewWidth || image.height != viewHeight) {
            platform::Image scaled = platform::scaleImage(image, viewWidth, viewHeight);
            benchmark::DoNotOptimize(scaled.pixels.data());
        }
        benchmark::DoNotOptimize(image.pixels.data());
    }
}

// Half size: the frame is decoded at 1/2, which is the view.
void BM_DecodeAndScaleToView(benchmark::State& state) {
    decodeAndScale(state, kViewWidth, kViewHeight);
}
BENCHMARK(BM_DecodeAndScaleToView)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// A view a little smaller than half: decoded at 1/2, then smoothed down to the view.
void BM_DecodeAndScaleToSmallerView(benchmark::State& state) {
    decodeAndScale(state, 900, 500);
}
BENCHMARK(BM_DecodeAndScaleToSmallerView)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The full size: decoded whole, no scaling.
void BM_DecodeAtFullView(benchmark::State& state) {
    decodeAndScale(state, kWidth, kHeight);
}
BENCHMARK(BM_DecodeAtFullView)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// A frame whose bytes are those of the picture on show: the client computes their CRC
// (which the checksum check needs anyway), compares it and the length with those of the
// picture on show, and decodes and scales nothing.
void BM_RepeatedFrame(benchmark::State& state) {
    const std::vector<uint8_t>& frame = desktopFrame();
    const uint32_t shownCrc = korvo::crc32(frame.data(), frame.size());
    for (auto _ : state) {
        const bool unchanged = korvo::crc32(frame.data(), frame.size()) == shownCrc &&
                               frame.size() == desktopFrame().size();
        benchmark::DoNotOptimize(unchanged);
    }
}
BENCHMARK(BM_RepeatedFrame)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
