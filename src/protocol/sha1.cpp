#include "protocol/sha1.h"

#include <cstring>

namespace korvo {
namespace {

inline uint32_t rotateLeft(uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

void compressBlock(uint32_t state[5], const uint8_t* block) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i)
        w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 |
               uint32_t{block[4 * i + 2]} << 8 | uint32_t{block[4 * i + 3]};
    for (int i = 16; i < 80; ++i)
        w[i] = rotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);

    uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4];
    for (int i = 0; i < 80; ++i) {
        uint32_t f, k;
        if (i < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999u;
        } else if (i < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1u;
        } else if (i < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDCu;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6u;
        }
        uint32_t next = rotateLeft(a, 5) + f + e + k + w[i];
        e = d;
        d = c;
        c = rotateLeft(b, 30);
        b = a;
        a = next;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
    state[4] += e;
}

}  // namespace

Sha1Digest sha1(const uint8_t* data, size_t length) {
    uint32_t state[5] = {0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u};
    size_t whole = length - length % 64;
    for (size_t offset = 0; offset < whole; offset += 64)
        compressBlock(state, data + offset);

    // The tail, the 0x80 marker and the 64-bit bit count fill one or two last blocks.
    uint8_t tail[128] = {};
    size_t rest = length - whole;
    if (rest > 0)
        std::memcpy(tail, data + whole, rest);
    tail[rest] = 0x80;
    size_t tailLength = rest < 56 ? 64 : 128;
    uint64_t bits = static_cast<uint64_t>(length) * 8u;
    for (int i = 0; i < 8; ++i)
        tail[tailLength - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
    for (size_t offset = 0; offset < tailLength; offset += 64)
        compressBlock(state, tail + offset);

    Sha1Digest digest{};
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<uint8_t>(state[i] >> (24 - 8 * j));
    return digest;
}

std::string sha1Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    Sha1Digest digest = sha1(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    std::string text;
    text.reserve(40);
    for (uint8_t byte : digest) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

}  // namespace korvo
