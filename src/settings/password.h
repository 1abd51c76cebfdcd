// The form in which passwords are kept in settings.ini: standard Base64 of their bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvo {

// RFC 4648 Base64 with "=" padding and no line breaks.
std::string encodeBase64(std::string_view bytes);
// Nothing when the text is not well-formed padded Base64.
std::optional<std::string> decodeBase64(std::string_view text);

// The empty password gives the empty text. Any length is accepted.
std::string encodePassword(std::string_view password);
// The decoded bytes up to the first zero byte; empty when the text cannot be decoded.
std::string decodePassword(std::string_view stored);

}  // namespace korvo
