// Decoding frames: the rows a sound stream gives, and the safe refusal of broken or
// hostile ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "codec/jpeg_decode.h"
#include "codec/jpeg_encode.h"
#include "host_jpeg_support.h"
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

}  // namespace
}  // namespace korvo
