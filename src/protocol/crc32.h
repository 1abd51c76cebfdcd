// CRC-32 of ISO 3309 / IEEE 802.3 (the zlib CRC): reflected polynomial 0xEDB88320,
// initial value and final XOR 0xFFFFFFFF. Both roles use it for frame checks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

uint32_t crc32(const uint8_t* data, size_t length);

// For data that arrives in pieces: start with kCrc32Start, feed every piece, then
// finish. crc32(d, n) == crc32Finish(crc32Update(kCrc32Start, d, n)).
inline constexpr uint32_t kCrc32Start = 0xFFFFFFFFu;
uint32_t crc32Update(uint32_t state, const uint8_t* data, size_t length);
inline uint32_t crc32Finish(uint32_t state) {
    return state ^ 0xFFFFFFFFu;
}

}  // namespace korvo
