// Paths and other text inside the program are UTF-8; the system's wide functions take
// UTF-16. These convert between the two, so that no name outside the system's code page
// is turned into "?" on its way to the system.
#pragma once

#include <string>

namespace platform::win32 {

// UTF-8 to UTF-16; a byte that starts no valid sequence becomes U+FFFD.
std::wstring widen(const std::string& utf8);

// UTF-16 to UTF-8.
std::string narrow(const std::wstring& wide);

}  // namespace platform::win32
