// The byte layouts of the wire records and the chunk split of a frame.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "protocol/wire.h"
#include "state/process_state.h"

namespace korvo {
namespace {

std::string text(const uint8_t* bytes, size_t count) {
    return std::string(reinterpret_cast<const char*>(bytes), count);
}

ClientKeyword keywordOf(const std::string& bytes) {
    return decodeKeyword(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(WireKeywords, ExactFiveLettersByCase) {
    EXPECT_EQ(keywordOf("login"), ClientKeyword::Login);
    EXPECT_EQ(keywordOf("alive"), ClientKeyword::Alive);
    EXPECT_EQ(keywordOf("event"), ClientKeyword::Event);
    EXPECT_EQ(keywordOf("image"), ClientKeyword::Image);
    EXPECT_EQ(keywordOf("imag2"), ClientKeyword::Imag2);
    EXPECT_EQ(keywordOf("crc32"), ClientKeyword::Crc32);
    EXPECT_EQ(keywordOf("ready"), ClientKeyword::Ready);
    EXPECT_EQ(keywordOf("Alive"), ClientKeyword::Unknown);
    EXPECT_EQ(keywordOf("aliv"), ClientKeyword::Unknown);  // a piece of a keyword
    EXPECT_EQ(keywordOf(std::string("ali\0e", 5)), ClientKeyword::Unknown);
    EXPECT_EQ(keywordOf(std::string("\0live", 5)), ClientKeyword::Unknown);
    EXPECT_EQ(keywordOf("alivex"), ClientKeyword::Alive);  // only five bytes are looked at
}

TEST(WireLogin, RecordIsKeywordAndTwoPaddedFields) {
    auto message = encodeLogin("anna", "secret");
    ASSERT_EQ(message.size(), 261u);
    EXPECT_EQ(text(message.data(), 5), "login");
    EXPECT_EQ(text(message.data() + 5, 128), "anna" + std::string(124, ' '));
    EXPECT_EQ(text(message.data() + 133, 128), "secret" + std::string(122, ' '));

    std::string longName(200, 'u');
    auto cut = encodeLogin(longName, "");
    EXPECT_EQ(text(cut.data() + 5, 128), std::string(128, 'u'));
    EXPECT_EQ(text(cut.data() + 133, 128), std::string(128, ' '));
}

TEST(WireLogin, FieldsStopAtZeroAndLoseOnlyOuterSpaces) {
    uint8_t body[kLoginBodyLength] = {};
    std::memcpy(body, "  an na \t ", 10);
    std::memcpy(body + 128, "pw  ", 4);
    LoginFields fields = decodeLoginBody(body);
    EXPECT_EQ(fields.username, "an na \t");
    EXPECT_EQ(fields.password, "pw");

    // A field without a zero byte is taken whole, and never reads into the next one.
    std::memset(body, 'x', 128);
    std::memset(body + 128, 0, 128);
    fields = decodeLoginBody(body);
    EXPECT_EQ(fields.username, std::string(128, 'x'));
    EXPECT_EQ(fields.password, "");

    // What a client encodes, the server decodes back.
    auto message = encodeLogin(" Anna", "secret ");
    fields = decodeLoginBody(message.data() + 5);
    EXPECT_EQ(fields.username, "Anna");
    EXPECT_EQ(fields.password, "secret");
}

TEST(WireEvent, MessageIsKeywordThenBody) {
    uint8_t body[kEventBodyLength];
    for (size_t i = 0; i < sizeof body; ++i)
        body[i] = static_cast<uint8_t>(0xA0 + i);
    auto message = encodeEventMessage(body);
    ASSERT_EQ(message.size(), 25u);
    EXPECT_EQ(text(message.data(), 5), "event");
    EXPECT_EQ(std::memcmp(message.data() + 5, body, sizeof body), 0);
}

TEST(WireReplies, ChecksumAndFileHeaderAreLittleEndian) {
    auto reply = encodeChecksumReply(0xCBF43926u);
    EXPECT_EQ(std::vector<uint8_t>(reply.begin(), reply.end()),
              (std::vector<uint8_t>{0x04, 0x26, 0x39, 0xF4, 0xCB}));
    auto zero = encodeChecksumReply(0);
    EXPECT_EQ(std::vector<uint8_t>(zero.begin(), zero.end()),
              (std::vector<uint8_t>{0x04, 0, 0, 0, 0}));

    auto header = encodeFileHeader(0x00030201u);
    EXPECT_EQ(text(header.data(), 8), "QZMGSFLE");
    EXPECT_EQ(header[8], 0x01);
    EXPECT_EQ(header[9], 0x02);
    EXPECT_EQ(header[10], 0x03);
    EXPECT_EQ(header[11], 0x00);
    EXPECT_EQ(decodeFileSize(header.data()), 0x00030201u);
    EXPECT_TRUE(startsWithFileMagic(header.data(), 8));
    EXPECT_FALSE(startsWithFileMagic(header.data(), 7));
    EXPECT_FALSE(startsWithFileMagic(reinterpret_cast<const uint8_t*>("QZMGSFLx"), 8));
}

// The split as the sender's loop states it: while s < n - 1023, 1023 bytes; then the rest.
std::vector<size_t> splitByLoop(size_t n) {
    std::vector<size_t> lengths;
    long s = 0;
    long total = static_cast<long>(n);
    while (s < total - 1023) {
        lengths.push_back(1023);
        s += 1023;
    }
    lengths.push_back(static_cast<size_t>(total - s));
    return lengths;
}

TEST(WireChunks, SplitFollowsTheSendersLoop) {
    for (size_t n : {1u, 2u, 1022u, 1023u, 1024u, 2045u, 2046u, 2047u, 3000u, 1000000u}) {
        std::vector<size_t> expected = splitByLoop(n);
        ASSERT_EQ(chunkCount(n), expected.size()) << n;
        size_t offset = 0;
        for (size_t j = 0; j < expected.size(); ++j) {
            ChunkSpan span = chunkSpan(n, j);
            EXPECT_EQ(span.offset, offset) << n << " chunk " << j;
            EXPECT_EQ(span.length, expected[j]) << n << " chunk " << j;
            offset += span.length;
        }
        EXPECT_EQ(offset, n);
    }
    EXPECT_EQ(chunkCount(0), 0u);
    EXPECT_EQ(chunkSpan(3000, 3).length, 0u);
}

}  // namespace
}  // namespace korvo
