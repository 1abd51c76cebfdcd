// Conversions between the program's single-byte texts (ISO 8859-1) and UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace korvo {

// Characters above U+00FF become "?", as does each malformed sequence.
std::string utf8ToLatin1(std::string_view utf8);
std::string latin1ToUtf8(std::string_view latin1);

// The single-byte lower-case mapping of ISO 8859-1 (A-Z and À-Þ except ×).
std::string latin1ToLower(std::string_view text);

// Equality that ignores the case of ASCII letters only.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Removes leading and trailing spaces and tabs.
std::string_view trimBlanks(std::string_view text);

}  // namespace korvo
