#include "protocol/crc32.h"

#include <array>

namespace korvo {
namespace {

// Slicing-by-8: table k holds the CRC of a byte followed by k zero bytes, so eight
// input bytes are folded in with eight independent look-ups.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables makeTables() {
    CrcTables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1u) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        tables[0][i] = c;
    }
    for (size_t k = 1; k < 8; ++k)
        for (size_t i = 0; i < 256; ++i) {
            uint32_t previous = tables[k - 1][i];
            tables[k][i] = (previous >> 8) ^ tables[0][previous & 0xFFu];
        }
    return tables;
}

constexpr CrcTables kTables = makeTables();

inline uint32_t loadLittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

uint32_t crc32Update(uint32_t state, const uint8_t* data, size_t length) {
    uint32_t c = state;
    while (length >= 8) {
        uint32_t low = loadLittleEndian32(data) ^ c;
        uint32_t high = loadLittleEndian32(data + 4);
        c = kTables[7][low & 0xFFu] ^ kTables[6][(low >> 8) & 0xFFu] ^
            kTables[5][(low >> 16) & 0xFFu] ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFFu] ^
            kTables[2][(high >> 8) & 0xFFu] ^ kTables[1][(high >> 16) & 0xFFu] ^
            kTables[0][high >> 24];
        data += 8;
        length -= 8;
    }
    while (length-- > 0)
        c = (c >> 8) ^ kTables[0][(c ^ *data++) & 0xFFu];
    return c;
}

uint32_t crc32(const uint8_t* data, size_t length) {
    return crc32Finish(crc32Update(kCrc32Start, data, length));
}

}  // namespace korvo
