// Playing mouse and keyboard input on the server's own desktop. Keys are named by
// Windows virtual-key codes, the numbering the wire format carries; each backend maps
// them to its own keys through one table. Coordinates are relative to the primary
// display's top-left corner.
#pragma once

#include <cstdint>

namespace platform {

// Button flags, as the wire format's mouse actions number them.
inline constexpr unsigned kLeftDown = 2;
inline constexpr unsigned kLeftUp = 4;
inline constexpr unsigned kRightDown = 8;
inline constexpr unsigned kRightUp = 16;

// Key action flags.
inline constexpr unsigned kKeyDown = 0;
inline constexpr unsigned kKeyUp = 2;

inline constexpr uint8_t kVirtualKeyLeftShift = 0xA0;

// Moves the pointer; the system keeps it on the screen.
void setCursorPosition(int x, int y);

// One button action (one of the button flags) at the given position.
void mouseButton(unsigned flag, int x, int y);

// The virtual key that types the character on the active keyboard map, with the
// Shift state in the high byte: (shift << 8) + virtual key; -1 when no key types it.
int16_t virtualKeyForCharacter(uint8_t character);

// One key action on a virtual key; `scanCode` is passed through where the system has
// a use for it. Unknown keys are ignored.
void keyboardEvent(uint8_t virtualKey, uint8_t scanCode, unsigned flags);

// One key action as an input record, the way a whole key stroke is sent.
void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags);

}  // namespace platform
