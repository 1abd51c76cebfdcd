// The frame encoder: its bytes against plain libjpeg, the quality mapping, both routes,
// silence and the bounded memory route.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "codec/jpeg_encode.h"
#include "host/frame_encoding.h"
#include "host_jpeg_support.h"
#include "settings/settings.h"
#include "state/process_state.h"
#include "support/temp_dir.h"

namespace korvo {
namespace {

using host_testing::decodeJpeg;
using host_testing::desktopLikePicture;
using host_testing::expectedTable;
using host_testing::referenceJpeg;

// The memory route into any block, at the configured quality.
size_t encodeToMemory(const platform::PixelView& view, uint8_t* out, size_t capacity) {
    return encodeJpegToMemory(view, jpegQuality(settings.imageQuality), out, capacity);
}

platform::PixelView viewOf(std::vector<uint8_t>& bgrx, int width, int height) {
    return {bgrx.data(), width, height, static_cast<size_t>(width) * 4};
}

std::vector<uint8_t> encodeInMemory(const platform::PixelView& view) {
    std::vector<uint8_t> out(kFrameBufferSize);
    size_t n = encodeToMemory(view, out.data(), out.size());
    out.resize(n);
    return out;
}

class FrameEncoding : public ::testing::Test {
protected:
    void SetUp() override {
        settings = Settings{};
        tempFramePath = dir.file("frame.jpg");
    }
    void TearDown() override {
        settings = Settings{};
        tempFramePath.clear();
    }
    testing_support::TempDir dir;
};

TEST(JpegQuality, IsTenTimesTheSettingClampedToZeroToTen) {
    EXPECT_EQ(jpegQuality(1), 10);
    EXPECT_EQ(jpegQuality(5), 50);
    EXPECT_EQ(jpegQuality(10), 100);
    EXPECT_EQ(jpegQuality(0), 0);
    EXPECT_EQ(jpegQuality(-7), 0);
    EXPECT_EQ(jpegQuality(11), 100);
    EXPECT_EQ(jpegQuality(INT64_MAX), 100);
}

// Odd sizes leave partial MCUs at the right and bottom edges; the row stride is wider
// than the picture, as a captured image's may be.
TEST_F(FrameEncoding, BytesEqualLibjpegFedRgbRowsTopDown) {
    const int width = 203, height = 77;
    std::vector<uint8_t> picture = desktopLikePicture(width, height);
    for (int64_t quality : {1, 5, 10}) {
        settings.imageQuality = quality;
        std::vector<uint8_t> expected =
            referenceJpeg(picture, width, height, static_cast<int>(quality) * 10);

        std::vector<uint8_t> padded(static_cast<size_t>(width + 3) * height * 4, 0xEE);
        for (int y = 0; y < height; ++y)
            std::memcpy(padded.data() + static_cast<size_t>(y) * (width + 3) * 4,
                        picture.data() + static_cast<size_t>(y) * width * 4,
                        static_cast<size_t>(width) * 4);
        platform::PixelView view{padded.data(), width, height, static_cast<size_t>(width + 3) * 4};
        EXPECT_EQ(encodeInMemory(view), expected) << "quality setting " << quality;

        ASSERT_EQ(encodeToFile(view), 1);
        std::string file = testing_support::readBytes(tempFramePath);
        EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()), expected)
            << "file route, quality setting " << quality;
    }
}

TEST_F(FrameEncoding, QualitySettingSelectsTheQuantisationTables) {
    std::vector<uint8_t> picture = desktopLikePicture(32, 24);
    for (int64_t setting : {1, 5, 10}) {
        settings.imageQuality = setting;
        host_testing::Decoded decoded = decodeJpeg(encodeInMemory(viewOf(picture, 32, 24)));
        int quality = static_cast<int>(setting) * 10;
        EXPECT_EQ(decoded.luminance, expectedTable(quality, 0)) << setting;
        EXPECT_EQ(decoded.chrominance, expectedTable(quality, 1)) << setting;
    }
    // Anchors that do not depend on libjpeg's own arithmetic: the standard luminance table
    // starts with 16 at quality 50, is all ones at 100 and five times coarser at 10.
    settings.imageQuality = 5;
    EXPECT_EQ(decodeJpeg(encodeInMemory(viewOf(picture, 32, 24))).luminance[0], 16);
    settings.imageQuality = 10;
    std::vector<uint16_t> finest = decodeJpeg(encodeInMemory(viewOf(picture, 32, 24))).luminance;
    EXPECT_TRUE(std::all_of(finest.begin(), finest.end(), [](uint16_t v) { return v == 1; }));
    settings.imageQuality = 1;
    EXPECT_EQ(decodeJpeg(encodeInMemory(viewOf(picture, 32, 24))).luminance[0], 80);
}

TEST_F(FrameEncoding, CoarseQualityWarnsNothing) {
    std::vector<uint8_t> picture = desktopLikePicture(64, 48);
    settings.imageQuality = 1;
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    size_t n = encodeToMemory(viewOf(picture, 64, 48), frameBuffer, kEncodedFrameCapacity);
    int fileResult = encodeToFile(viewOf(picture, 64, 48));
    std::string out = ::testing::internal::GetCapturedStdout();
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_GT(n, 0u);
    EXPECT_EQ(fileResult, 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

TEST_F(FrameEncoding, MemoryRouteLandsAtTheStartOfFrameBuffer) {
    std::vector<uint8_t> picture = desktopLikePicture(120, 90);
    std::vector<uint8_t> expected = referenceJpeg(picture, 120, 90, 50);
    std::memset(frameBuffer, 0xA5, kFrameBufferSize);
    ASSERT_EQ(encodeViaPipe(viewOf(picture, 120, 90)), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(frameBuffer, frameBuffer + expected.size()), expected);
    EXPECT_EQ(frameBuffer[expected.size()], 0xA5);
}

// A stream one byte too long for its space fails as a whole and writes nothing past it;
// the same stream fits exactly when given its own length.
TEST_F(FrameEncoding, MemoryRouteRefusesAStreamThatDoesNotFit) {
    std::vector<uint8_t> picture = desktopLikePicture(120, 90);
    std::vector<uint8_t> whole = encodeInMemory(viewOf(picture, 120, 90));
    ASSERT_GT(whole.size(), 600u);

    std::vector<uint8_t> out(whole.size() + 16, 0x5A);
    EXPECT_EQ(encodeToMemory(viewOf(picture, 120, 90), out.data(), whole.size() - 1), 0u);
    EXPECT_TRUE(std::all_of(out.begin() + static_cast<long>(whole.size()) - 1, out.end(),
                            [](uint8_t b) { return b == 0x5A; }));
    EXPECT_EQ(encodeToMemory(viewOf(picture, 120, 90), out.data(), whole.size()), whole.size());
    EXPECT_TRUE(std::equal(whole.begin(), whole.end(), out.begin()));
    EXPECT_EQ(encodeToMemory(viewOf(picture, 120, 90), out.data(), 100), 0u);
}

// Noise at the finest quality gives far more than frameBuffer holds: refused, and the
// last block, which the encoder leaves to the server, is left alone.
TEST_F(FrameEncoding, OversizedFrameLeavesTheLastBlockAlone) {
    const int width = 1920, height = 1080;
    std::vector<uint8_t> noise(static_cast<size_t>(width) * height * 4);
    uint32_t state = 99;
    for (uint8_t& b : noise) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(state >> 24);
    }
    settings.imageQuality = 10;
    std::memset(frameBuffer + kEncodedFrameCapacity, 0x3C,
                kFrameBufferSize - kEncodedFrameCapacity);
    EXPECT_EQ(encodeViaPipe(viewOf(noise, width, height)), 0u);
    EXPECT_TRUE(std::all_of(frameBuffer + kEncodedFrameCapacity, frameBuffer + kFrameBufferSize,
                            [](uint8_t b) { return b == 0x3C; }));
}

TEST_F(FrameEncoding, UnusablePicturesEncodeToNothing) {
    std::vector<uint8_t> picture = desktopLikePicture(8, 8);
    const platform::PixelView bad[] = {
        {nullptr, 8, 8, 32},                  // no pixels
        {picture.data(), 0, 8, 32},           // no width
        {picture.data(), 8, -1, 32},          // negative height
        {picture.data(), 8, 8, 31},           // rows shorter than the width
        {picture.data(), 70000, 1, 280000}};  // wider than JPEG allows
    for (const platform::PixelView& view : bad) {
        EXPECT_EQ(encodeToMemory(view, frameBuffer, kEncodedFrameCapacity), 0u);
        EXPECT_EQ(encodeToFile(view), 0);
        EXPECT_FALSE(std::filesystem::exists(tempFramePath));
    }
    EXPECT_EQ(encodeToMemory(viewOf(picture, 8, 8), nullptr, 1000), 0u);
}

TEST_F(FrameEncoding, FileRouteReportsAFileThatCannotBeWritten) {
    std::vector<uint8_t> picture = desktopLikePicture(8, 8);
    tempFramePath = dir.file("missing-directory/frame.jpg");
    EXPECT_EQ(encodeToFile(viewOf(picture, 8, 8)), 0);
    tempFramePath.clear();
    EXPECT_EQ(encodeToFile(viewOf(picture, 8, 8)), 0);
}

}  // namespace
}  // namespace korvo
