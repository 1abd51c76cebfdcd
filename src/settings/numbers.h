// The one rule by which typed and stored texts become numbers, and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvo {

// Leading blanks, an optional sign, then decimal digits, "$" and hexadecimal digits,
// or "%" and binary digits, up to the first character that is none. No digits give 0.
// Wraps around on overflow instead of failing.
int64_t parseInteger(std::string_view text);

// Plain decimal, "-" when negative, no padding.
std::string formatInteger(int64_t value);

}  // namespace korvo
