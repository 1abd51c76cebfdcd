// The one table from Windows virtual-key codes, the numbering the wire format carries,
// to X keysyms. Injection and the character look-up both go through it, so the key a
// character is reported on is the key that a later key event presses.
#pragma once

#include <X11/X.h>

#include <cstddef>
#include <cstdint>

namespace platform::x11 {

// NoSymbol for codes the table does not know.
KeySym keysymForVirtualKey(uint8_t virtualKey);

// The virtual key whose table entry is `keysym`; 0 when none is.
uint8_t virtualKeyForKeysym(KeySym keysym);

// Keys of the active map that type characters but have no entry above (the umlaut keys
// of a German map, for one) are numbered like a layout's own OEM keys: the n-th such
// key, in key-code order, answers to the n-th code of this list of codes Windows leaves
// to layouts or unassigned.
uint8_t layoutVirtualKey(size_t index);  // 0 past the end of the list
int layoutKeyIndex(uint8_t virtualKey);  // -1 for codes not in the list

}  // namespace platform::x11
