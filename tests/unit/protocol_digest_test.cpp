// CRC-32 and SHA-1 against published test vectors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/crc32.h"
#include "protocol/sha1.h"

namespace korvo {
namespace {

const uint8_t* bytesOf(const std::string& text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

// A bit-at-a-time CRC, the definition the table-driven one must agree with.
uint32_t referenceCrc(const uint8_t* data, size_t length) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        c ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    }
    return c ^ 0xFFFFFFFFu;
}

TEST(Crc32, PublishedVectors) {
    EXPECT_EQ(crc32(bytesOf("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(crc32(nullptr, 0), 0u);
    std::string fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(crc32(bytesOf(fox), fox.size()), 0x414FA339u);
}

TEST(Crc32, AgreesWithBitwiseDefinitionForEveryLengthAndAlignment) {
    std::vector<uint8_t> data(300);
    uint32_t seed = 12345;
    for (auto& byte : data) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(seed >> 16);
    }
    for (size_t start = 0; start < 8; ++start)
        for (size_t length = 0; start + length <= data.size(); length += 7)
            ASSERT_EQ(crc32(data.data() + start, length), referenceCrc(data.data() + start, length))
                << "start " << start << " length " << length;
}

TEST(Crc32, PiecewiseEqualsWhole) {
    std::string text = "a frame that arrives in several pieces of odd sizes";
    uint32_t state = kCrc32Start;
    state = crc32Update(state, bytesOf(text), 5);
    state = crc32Update(state, bytesOf(text) + 5, 13);
    state = crc32Update(state, bytesOf(text) + 18, text.size() - 18);
    EXPECT_EQ(crc32Finish(state), crc32(bytesOf(text), text.size()));
}

TEST(Sha1, FipsVectors) {
    EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(sha1Hex(std::string(1000000, 'a')), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

TEST(Sha1, PaddingBoundaries) {
    // 55, 56 and 64 bytes put the length field in the first or a second last block.
    EXPECT_EQ(sha1Hex(std::string(55, 'a')), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(sha1Hex(std::string(56, 'a')), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
    EXPECT_EQ(sha1Hex(std::string(64, 'a')), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
}

}  // namespace
}  // namespace korvo
