#include "protocol/wire.h"

#include <algorithm>
#include <cstring>

namespace korvo {

ClientKeyword decodeKeyword(const uint8_t* bytes, size_t count) {
    size_t length = 0;
    while (length < count && length < kKeywordLength && bytes[length] != 0)
        ++length;
    std::string_view text(reinterpret_cast<const char*>(bytes), length);
    if (text == kKeywordLogin)
        return ClientKeyword::Login;
    if (text == kKeywordAlive)
        return ClientKeyword::Alive;
    if (text == kKeywordEvent)
        return ClientKeyword::Event;
    if (text == kKeywordImage)
        return ClientKeyword::Image;
    if (text == kKeywordImag2)
        return ClientKeyword::Imag2;
    if (text == kKeywordCrc32)
        return ClientKeyword::Crc32;
    if (text == kKeywordReady)
        return ClientKeyword::Ready;
    return ClientKeyword::Unknown;
}

std::array<uint8_t, kLoginMessageLength> encodeLogin(std::string_view user,
                                                     std::string_view password) {
    std::array<uint8_t, kLoginMessageLength> message;
    message.fill(' ');
    std::memcpy(message.data(), kKeywordLogin.data(), kKeywordLength);
    std::memcpy(message.data() + kKeywordLength, user.data(),
                std::min(user.size(), kLoginFieldLength));
    std::memcpy(message.data() + kKeywordLength + kLoginFieldLength, password.data(),
                std::min(password.size(), kLoginFieldLength));
    return message;
}

std::string decodeLoginField(const uint8_t* field, size_t width) {
    size_t end = 0;
    while (end < width && field[end] != 0)
        ++end;
    size_t begin = 0;
    while (begin < end && field[begin] == ' ')
        ++begin;
    while (end > begin && field[end - 1] == ' ')
        --end;
    return std::string(reinterpret_cast<const char*>(field) + begin, end - begin);
}

LoginFields decodeLoginBody(const uint8_t* body) {
    return LoginFields{decodeLoginField(body, kLoginFieldLength),
                       decodeLoginField(body + kLoginFieldLength, kLoginFieldLength)};
}

std::array<uint8_t, kEventMessageLength> encodeEventMessage(const uint8_t* body) {
    std::array<uint8_t, kEventMessageLength> message{};
    std::memcpy(message.data(), kKeywordEvent.data(), kKeywordLength);
    std::memcpy(message.data() + kKeywordLength, body, kEventBodyLength);
    return message;
}

void storeLittleEndian32(uint32_t value, uint8_t* out) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t loadLittleEndian32(const uint8_t* in) {
    return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

std::array<uint8_t, kChecksumReplyLength> encodeChecksumReply(uint32_t crc) {
    std::array<uint8_t, kChecksumReplyLength> reply{};
    reply[0] = kTagChecksum;
    storeLittleEndian32(crc, reply.data() + 1);
    return reply;
}

std::array<uint8_t, kFileHeaderLength> encodeFileHeader(uint32_t size) {
    std::array<uint8_t, kFileHeaderLength> header{};
    std::memcpy(header.data(), kFileMagic.data(), kFileMagic.size());
    storeLittleEndian32(size, header.data() + kFileMagic.size());
    return header;
}

bool startsWithFileMagic(const uint8_t* bytes, size_t count) {
    return count >= kFileMagic.size() &&
           std::memcmp(bytes, kFileMagic.data(), kFileMagic.size()) == 0;
}

uint32_t decodeFileSize(const uint8_t* header) {
    return loadLittleEndian32(header + kFileMagic.size());
}

size_t chunkCount(size_t frameLength) {
    if (frameLength == 0)
        return 0;
    return (frameLength + kChunkPayload - 1) / kChunkPayload;
}

ChunkSpan chunkSpan(size_t frameLength, size_t index) {
    size_t offset = index * kChunkPayload;
    if (offset >= frameLength)
        return ChunkSpan{frameLength, 0};
    return ChunkSpan{offset, std::min(kChunkPayload, frameLength - offset)};
}

}  // namespace korvo
