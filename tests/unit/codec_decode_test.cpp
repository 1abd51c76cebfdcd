// Decoding frames: the rows a sound stream gives, and the safe refusal of broken or
// hostile ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "codec/jpeg_decode.h"
#include "codec/jpeg_encode.h"
#include "codec/libjpeg_setup.h"
#include "host_jpeg_support.h"
#include "platform/threads.h"
#include "support/temp_dir.h"

namespace korvo {
namespace {

std::vector<uint8_t> encoded(std::vector<uint8_t>& bgrx, int width, int height) {
    std::vector<uint8_t> out(1 << 20);
    platform::PixelView view{bgrx.data(), width, height, static_cast<size_t>(width) * 4};
    out.resize(encodeJpegToMemory(view, 90, out.data(), out.size()));
    return out;
}

// The pixels plain libjpeg decodes from the stream, as 0xAARRGGBB values.
std::vector<uint32_t> plainDecode(const std::vector<uint8_t>& jpeg) {
    host_testing::Decoded decoded = host_testing::decodeJpeg(jpeg);
    std::vector<uint32_t> pixels(decoded.rgb.size() / 3);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | uint32_t{decoded.rgb[i * 3]} << 16 |
                    uint32_t{decoded.rgb[i * 3 + 1]} << 8 | decoded.rgb[i * 3 + 2];
    return pixels;
}

TEST(JpegDecode, GivesTheRowsPlainLibjpegGivesFromMemoryAndFromAFile) {
    std::vector<uint8_t> picture = host_testing::desktopLikePicture(203, 77);
    std::vector<uint8_t> jpeg = encoded(picture, 203, 77);
    ASSERT_FALSE(jpeg.empty());

    platform::Image image;
    ASSERT_TRUE(decodeJpeg(jpeg.data(), jpeg.size(), image));
    EXPECT_EQ(image.width, 203);
    EXPECT_EQ(image.height, 77);
    EXPECT_EQ(image.pixels, plainDecode(jpeg));

    testing_support::TempDir dir;
    std::string path = dir.file("frame.jpg");
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<long>(jpeg.size()));
    platform::Image fromFile;
    ASSERT_TRUE(decodeJpegFile(path, fromFile));
    EXPECT_EQ(fromFile.pixels, image.pixels);
    EXPECT_FALSE(decodeJpegFile(dir.file("missing.jpg"), fromFile));
    EXPECT_FALSE(fromFile.valid());
}

TEST(JpegDecode, BrokenStreamsAreRefusedSilentlyWithNoPicture) {
    std::vector<uint8_t> picture = host_testing::desktopLikePicture(64, 48);
    std::vector<uint8_t> jpeg = encoded(picture, 64, 48);
    std::vector<uint8_t> half(jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2));
    std::vector<uint8_t> garbage(3000, 0x5A);
    std::vector<uint8_t> headerOnly(jpeg.begin(), jpeg.begin() + 20);

    ::testing::internal::CaptureStderr();
    for (const std::vector<uint8_t>* bytes : {&half, &garbage, &headerOnly}) {
        platform::Image image;
        image.width = 1;
        EXPECT_FALSE(decodeJpeg(bytes->data(), bytes->size(), image)) << bytes->size();
        EXPECT_FALSE(image.valid());
        EXPECT_TRUE(image.pixels.empty());
    }
    platform::Image image;
    EXPECT_FALSE(decodeJpeg(jpeg.data(), 0, image));
    EXPECT_FALSE(decodeJpeg(nullptr, 10, image));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// A few hundred bytes may announce a picture of billions of pixels: refused from the
// header, before any memory is taken for rows.
TEST(JpegDecode, AnAnnouncedSizeBeyondTheLimitIsRefused) {
    std::vector<uint8_t> picture = host_testing::desktopLikePicture(16, 16);
    std::vector<uint8_t> jpeg = encoded(picture, 16, 16);
    const uint8_t marker[] = {0xFF, 0xC0};
    auto frameHeader = std::search(jpeg.begin(), jpeg.end(), std::begin(marker), std::end(marker));
    ASSERT_NE(frameHeader, jpeg.end());
    // Height and width follow the marker, its length and the sample precision: 32767 each,
    // within what libjpeg itself accepts.
    for (long at : {5, 7}) {
        frameHeader[at] = 0x7F;
        frameHeader[at + 1] = 0xFF;
    }
    platform::Image image;
    EXPECT_FALSE(decodeJpeg(jpeg.data(), jpeg.size(), image));
    EXPECT_TRUE(image.pixels.empty());
}

// A progressive stream of a flat grey picture, with libjpeg's own scan script or with one
// scan per AC coefficient (64 scans for one component).
std::vector<uint8_t> progressiveGrey(int width, int height, bool scanPerCoefficient,
                                     int components = 1) {
    jpeg_compress_struct cinfo{};
    SilentErrors errors{};
    useSilentErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    setFrameParameters(cinfo, width, height, components, components == 1 ? JCS_GRAYSCALE : JCS_RGB,
                       50);
    if (components == 3)
        for (int c = 0; c < 3; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_simple_progression(&cinfo);
    std::vector<jpeg_scan_info> scans(64);
    if (scanPerCoefficient) {
        for (int k = 0; k < 64; ++k)
            scans[static_cast<size_t>(k)] = {1, {0, 0, 0, 0}, k, k, 0, 0};
        cinfo.scan_info = scans.data();
        cinfo.num_scans = 64;
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * static_cast<size_t>(components), 0x80);
    JSAMPROW rows[1] = {row.data()};
    while (cinfo.next_scanline < cinfo.image_height)
        jpeg_write_scanlines(&cinfo, rows, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> stream(out, out + size);
    std::free(out);
    return stream;
}

TEST(JpegDecode, AProgressiveStreamWithScansBeyondAFewPerComponentIsRefused) {
    platform::Image image;
    const std::vector<uint8_t> sound = progressiveGrey(64, 48, false);
    EXPECT_TRUE(decodeJpeg(sound.data(), sound.size(), image));
    const std::vector<uint8_t> endless = progressiveGrey(64, 48, true);
    EXPECT_FALSE(decodeJpeg(endless.data(), endless.size(), image));
    EXPECT_TRUE(image.pixels.empty());
}

// Every coefficient of a progressive picture is held until its last scan: 4000 x 4000 in
// full colour would take some 96 MB of the decoder's memory.
TEST(JpegDecode, AProgressiveStreamNeedingMoreThanTheMemoryLimitIsRefused) {
    const std::vector<uint8_t> huge = progressiveGrey(4000, 4000, false, 3);
    platform::Image image;
    EXPECT_FALSE(decodeJpeg(huge.data(), huge.size(), image));
    EXPECT_TRUE(image.pixels.empty());
}

// A small view takes a frame decoded at the smallest eighth that still covers it; the
// header's full size is told all the same.
TEST(JpegDecode, AFrameIsDecodedNoLargerThanTheViewItCovers) {
    std::vector<uint8_t> picture = host_testing::desktopLikePicture(800, 600);
    std::vector<uint8_t> jpeg = encoded(picture, 800, 600);
    DecodeRequest quarter{{190, 150}, {}};
    platform::Image image;
    ASSERT_TRUE(decodeJpeg(jpeg.data(), jpeg.size(), image, &quarter));
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(image.height, 150);
    EXPECT_EQ(quarter.announced.width, 800);
    EXPECT_EQ(quarter.announced.height, 600);

    DecodeRequest justOverHalf{{401, 300}, {}};
    ASSERT_TRUE(decodeJpeg(jpeg.data(), jpeg.size(), image, &justOverHalf));
    EXPECT_EQ(image.width, 800) << "half size would not cover 401 columns";
}

// A client run that is stopped must not sit in a decode: a thread that has been terminated
// gets no picture, however sound the stream.
std::vector<uint8_t> frameForStoppedThread;
std::atomic<int> stoppedThreadDecoded{-1};

void decodeOnceTerminated() {
    while (platform::sleepUnlessStopped(5)) {
    }
    platform::Image image;
    bool decoded = decodeJpeg(frameForStoppedThread.data(), frameForStoppedThread.size(), image);
    stoppedThreadDecoded = decoded || !image.pixels.empty() ? 1 : 0;
}

TEST(JpegDecode, ADecodeOnATerminatedThreadEndsWithoutAPicture) {
    std::vector<uint8_t> picture = host_testing::desktopLikePicture(640, 480);
    frameForStoppedThread = encoded(picture, 640, 480);
    platform::Image image;
    ASSERT_TRUE(decodeJpeg(frameForStoppedThread.data(), frameForStoppedThread.size(), image));

    platform::ThreadHandle thread = platform::startThread(decodeOnceTerminated);
    ASSERT_NE(thread, nullptr);
    platform::terminateThread(thread);
    for (int i = 0; i < 400 && stoppedThreadDecoded == -1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(stoppedThreadDecoded, 0) << "the terminated thread still got its picture";
}

}  // namespace
}  // namespace korvo
