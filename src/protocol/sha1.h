// SHA-1 (FIPS 180-1). The login compares passwords by their digests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvo {

using Sha1Digest = std::array<uint8_t, 20>;

Sha1Digest sha1(const uint8_t* data, size_t length);

// The digest as 40 lower-case hexadecimal digits.
std::string sha1Hex(std::string_view bytes);

}  // namespace korvo
