// Capture of a 1920x1080 display on its own Xvfb (with a terminal and a clock on it),
// and the same pixels through a bare libjpeg-turbo encode, for comparison with the
// host's encode path.
#include <benchmark/benchmark.h>

// The program's headers before Xlib's: its None macro would break StartMode::None.
#include "host/frame_capture.h"
#include "settings/settings.h"
#include "state/process_state.h"
// (keep)
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bare_jpeg.h"
#include "host/frame_capture.h"
#include "platform/screen.h"
#include "platform/x11/display_connection.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "x11/screen_pixels.h"
#include "x11/xvfb.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

Display* ownDisplay = nullptr;
Window noiseWindow = 0;

// Covers the desktop with noise, the worst case for the encoder, or takes it away.
void showNoise(bool shown) {
    if (shown) {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;
        noiseWindow = XCreateWindow(ownDisplay, DefaultRootWindow(ownDisplay), 0, 0, kWidth,
                                    kHeight, 0, CopyFromParent, InputOutput, CopyFromParent,
                                    CWOverrideRedirect, &attributes);
        XMapRaised(ownDisplay, noiseWindow);
        XSync(ownDisplay, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        testing_support::paintNoise(ownDisplay, noiseWindow, kWidth, kHeight, 1);
    } else if (noiseWindow != 0) {
        XDestroyWindow(ownDisplay, noiseWindow);
        XSync(ownDisplay, False);
        noiseWindow = 0;
    }
}

// Quality 50 from BGRX rows into memory, libjpeg's defaults otherwise.
size_t encodeJpeg(const platform::PixelView& view) {
    return bench_support::bareJpegEncode(view.pixels, view.width, view.height, view.stride, 50);
}

void captureOnly(benchmark::State& state, bool noise) {
    showNoise(noise);
    platform::PixelView view;
    for (auto _ : state) {
        if (!platform::captureDisplay(view))
            state.SkipWithError("no capture");
        benchmark::DoNotOptimize(view.pixels);
    }
    showNoise(false);
}

void captureAndEncode(benchmark::State& state, bool noise) {
    showNoise(noise);
    platform::PixelView view;
    size_t bytes = 0;
    for (auto _ : state) {
        if (!platform::captureDisplay(view))
            state.SkipWithError("no capture");
        bytes = encodeJpeg(view);
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
    showNoise(false);
}

void encodeOnly(benchmark::State& state, bool noise) {
    showNoise(noise);
    platform::PixelView view;
    if (!platform::captureDisplay(view))
        state.SkipWithError("no capture");
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeJpeg(view));
    showNoise(false);
}

// The server's whole frame: capture, cursor, encode at the default quality into
// frameBuffer, as a frame request makes it.
void captureFrame(benchmark::State& state, bool noise) {
    showNoise(noise);
    korvo::settings.imageQuality = 5;
    korvo::framesViaPipe = 1;
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = korvo::captureFrame();
        if (bytes == 0)
            state.SkipWithError("no frame");
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
    showNoise(false);
}

void BM_Capture(benchmark::State& state) {
    captureOnly(state, false);
}
void BM_CaptureNoise(benchmark::State& state) {
    captureOnly(state, true);
}
void BM_CaptureAndEncode(benchmark::State& state) {
    captureAndEncode(state, false);
}
void BM_CaptureAndEncodeNoise(benchmark::State& state) {
    captureAndEncode(state, true);
}
void BM_CaptureFrame(benchmark::State& state) {
    captureFrame(state, false);
}
void BM_CaptureFrameNoise(benchmark::State& state) {
    captureFrame(state, true);
}
void BM_EncodeOnly(benchmark::State& state) {
    encodeOnly(state, false);
}
void BM_EncodeOnlyNoise(benchmark::State& state) {
    encodeOnly(state, true);
}

// Wall time: the X server does the copying in another process.
#define KORVO_BENCH(name)               \
    BENCHMARK(name)                     \
        ->Unit(benchmark::kMillisecond) \
        ->UseRealTime()                 \
        ->Repetitions(5)                \
        ->ReportAggregatesOnly(true)

KORVO_BENCH(BM_Capture);
KORVO_BENCH(BM_CaptureNoise);
KORVO_BENCH(BM_CaptureAndEncode);
KORVO_BENCH(BM_CaptureFrame);
KORVO_BENCH(BM_CaptureAndEncodeNoise);
KORVO_BENCH(BM_CaptureFrameNoise);
KORVO_BENCH(BM_EncodeOnly);
KORVO_BENCH(BM_EncodeOnlyNoise);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    testing_support::Xvfb xvfb;
    if (!xvfb.start("1920x1080x24")) {
        std::fprintf(stderr, "bench_x11: Xvfb did not start\n");
        return 1;
    }
    ::setenv("DISPLAY", xvfb.name().c_str(), 1);
    ownDisplay = XOpenDisplay(xvfb.name().c_str());
    pid_t terminal = testing_support::startProgram(
        {"xterm", "-geometry", "100x40+50+50", "-e", "top", "-d", "1"}, xvfb.name());
    pid_t clock = testing_support::startProgram(
        {"xclock", "-update", "1", "-geometry", "300x300+1200+100"}, xvfb.name());
    std::this_thread::sleep_for(std::chrono::seconds(1));

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    testing_support::stopProgram(clock);
    testing_support::stopProgram(terminal);
    platform::x11::closeDisplayConnection();
    XCloseDisplay(ownDisplay);
    xvfb.stop();
    return 0;
}
