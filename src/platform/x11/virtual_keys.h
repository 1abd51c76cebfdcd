// The one table from Windows virtual-key codes, the numbering the wire format carries,
// to X keysyms. Injection and the character look-up both go through it, so the key a
// character is reported on is the key that a later key event presses.
#pragma once

#include <X11/X.h>

#include <cstdint>

namespace platform::x11 {

// NoSymbol for codes the table does not know.
KeySym keysymForVirtualKey(uint8_t virtualKey);

// The virtual key whose table entry is `keysym`; 0 when none is.
uint8_t virtualKeyForKeysym(KeySym keysym);

}  // namespace platform::x11
