// The desktop portal's restore token: what the person sharing the desktop allowed once,
// kept in a file of its own (the owner's alone) in the folder of the program's other
// files, so that later starts show no consent dialog. Each token serves one start; the
// portal hands out the next with it.
#pragma once

#include <string>

namespace platform::wayland {

// The token kept in `folder`; empty when there is none, or when the file cannot be read
// or does not hold a token of the expected form.
std::string keptPortalToken(const std::string& folder);

// Replaces the kept token; an empty one removes the file. A token not of the expected
// form is not kept. False when the file could not be written or removed.
bool keepPortalToken(const std::string& folder, const std::string& token);

}  // namespace platform::wayland
