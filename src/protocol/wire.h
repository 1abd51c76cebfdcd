// Every byte the client and the server exchange: keywords, reply tags, record layouts
// and the chunk split of a frame. Encoders yield the exact bytes of one send; decoders
// take the bytes one read delivered.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvo {

// Client-to-server keywords: five ASCII characters, compared in full and by case.
inline constexpr size_t kKeywordLength = 5;
inline constexpr std::string_view kKeywordLogin = "login";
inline constexpr std::string_view kKeywordAlive = "alive";
inline constexpr std::string_view kKeywordEvent = "event";
inline constexpr std::string_view kKeywordImage = "image";
inline constexpr std::string_view kKeywordImag2 = "imag2";
inline constexpr std::string_view kKeywordCrc32 = "crc32";
inline constexpr std::string_view kKeywordReady = "ready";

enum class ClientKeyword { Unknown, Login, Alive, Event, Image, Imag2, Crc32, Ready };

// Server-to-client reply tags.
inline constexpr uint8_t kTagFrameChunk = 0x01;
inline constexpr uint8_t kTagLoginResult = 0x02;
inline constexpr uint8_t kTagReady = 0x03;
inline constexpr uint8_t kTagChecksum = 0x04;
inline constexpr uint8_t kTagAliveEcho = 'a';

// The login result byte that follows kTagLoginResult in a send of its own.
inline constexpr uint8_t kLoginWrongCredentials = 0xFF;  // -1
inline constexpr uint8_t kLoginServerFull = 0xFE;        // -2
inline constexpr uint8_t kLoginAccepted = 0x09;

// Login record: keyword, then two space-padded 128-byte fields.
inline constexpr size_t kLoginFieldLength = 128;
inline constexpr size_t kLoginBodyLength = 2 * kLoginFieldLength;
inline constexpr size_t kLoginMessageLength = kKeywordLength + kLoginBodyLength;

// Input event: keyword, then the 20-byte body.
inline constexpr size_t kEventBodyLength = 20;
inline constexpr size_t kEventMessageLength = kKeywordLength + kEventBodyLength;

// Whole-file transfer: magic, 32-bit size, the file bytes.
inline constexpr std::string_view kFileMagic = "QZMGSFLE";
inline constexpr size_t kFileHeaderLength = 12;

inline constexpr size_t kChecksumReplyLength = 5;

// The keyword of five received bytes: the text up to the first zero byte, which must
// equal a keyword in full. Anything else, pieces of a keyword included, is Unknown.
ClientKeyword decodeKeyword(const uint8_t* bytes, size_t count);

// The 261-byte login message. Each field is cut to 128 bytes or padded with spaces.
std::array<uint8_t, kLoginMessageLength> encodeLogin(std::string_view user,
                                                     std::string_view password);

struct LoginFields {
    std::string username;
    std::string password;
};

// One received login field: up to its first zero byte (or all of it), with the space
// character stripped at both ends; other blanks stay.
std::string decodeLoginField(const uint8_t* field, size_t width);

// The two fields of a received login body (bytes missing from a short read are zero).
LoginFields decodeLoginBody(const uint8_t* body);

// The 25-byte event message: the keyword and the 20-byte body (fields: protocol/input_event.h).
std::array<uint8_t, kEventMessageLength> encodeEventMessage(const uint8_t* body);

// 0x04 and the CRC-32, little-endian.
std::array<uint8_t, kChecksumReplyLength> encodeChecksumReply(uint32_t crc);

void storeLittleEndian32(uint32_t value, uint8_t* out);
uint32_t loadLittleEndian32(const uint8_t* in);

// The 12-byte header of a whole-file transfer of `size` bytes.
std::array<uint8_t, kFileHeaderLength> encodeFileHeader(uint32_t size);
// True when the bytes begin with the whole-file magic (needs at least 8 bytes).
bool startsWithFileMagic(const uint8_t* bytes, size_t count);
// The announced size of a received header.
uint32_t decodeFileSize(const uint8_t* header);

// Transfer blocks of the chunked frame route: the tag and up to 1023 frame bytes.
inline constexpr size_t kChunkSize = 1024;
inline constexpr size_t kChunkPayload = kChunkSize - 1;

// The chunk split of a frame of n bytes (n >= 1): every chunk but the last carries
// 1023 payload bytes, the last the remaining 1 to 1023.
struct ChunkSpan {
    size_t offset = 0;
    size_t length = 0;
};
size_t chunkCount(size_t frameLength);
ChunkSpan chunkSpan(size_t frameLength, size_t index);

}  // namespace korvo
