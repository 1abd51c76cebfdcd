// The one table from Windows virtual-key codes, the numbering the wire format carries,
// to keysyms (the X keysym numbering, which Wayland compositors take as well). Every
// desktop backend injects and looks characters up through it, so the key a character is
// reported on is the key that a later key event presses.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::keys {

inline constexpr uint32_t kNoKeysym = 0;

// kNoKeysym for codes the table does not know.
uint32_t keysymForVirtualKey(uint8_t virtualKey);

// The virtual key whose table entry is `keysym`; 0 when none is.
uint8_t virtualKeyForKeysym(uint32_t keysym);

// Keys of the active map that type characters but have no entry above (the umlaut keys
// of a German map, for one) are numbered like a layout's own OEM keys: the n-th such
// key, in key-code order, answers to the n-th code of this list of codes Windows leaves
// to layouts or unassigned.
uint8_t layoutVirtualKey(size_t index);  // 0 past the end of the list
int layoutKeyIndex(uint8_t virtualKey);  // -1 for codes not in the list

// The virtual key of a control character that has a key of its own (Backspace, Tab,
// Clear, Enter, Escape); 0 for every other character.
uint8_t controlCharacterKey(uint8_t character);

// What a US keyboard answers for a character: (shift << 8) + virtual key for printable
// ASCII and the control characters above, -1 for everything else. For a desktop whose
// keyboard map cannot be read.
int16_t usLayoutKeyForCharacter(uint8_t character);

}  // namespace platform::keys
