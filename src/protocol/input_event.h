// The 20-byte input record that follows the keyword "event": pointer position, click
// flags and one key. Little-endian, fixed layout.
#pragma once

#include <cstddef>
#include <cstdint>

namespace korvo {

inline constexpr size_t kInputEventSize = 20;

struct InputEvent {
    // Position over the client's view in 1/10000 of its width and height.
    float pointerX = 0;
    float pointerY = 0;
    // Button bytes: only exactly 1 means set.
    uint8_t leftDown = 0;
    uint8_t leftUp = 0;
    uint8_t rightDown = 0;
    uint8_t rightUp = 0;
    uint8_t leftClick = 0;
    uint8_t rightClick = 0;
    uint8_t leftDoubleClick = 0;
    uint8_t rightDoubleClick = 0;
    uint8_t mouseChanged = 0;  // 1 when the button bytes are to be looked at
    uint8_t keyKind = 0;       // 0 none, 1 character, 2 virtual key
    uint8_t keyValue[2] = {0, 0};
};

inline constexpr uint8_t kKeyKindCharacter = 1;
inline constexpr uint8_t kKeyKindVirtualKey = 2;

void encodeInputEvent(const InputEvent& event, uint8_t body[kInputEventSize]);
InputEvent decodeInputEvent(const uint8_t body[kInputEventSize]);

// Where the fields live in a work area once received: the client keeps its pending input
// in this arrangement and the server places a received body into it.
inline constexpr size_t kPointerOffset = 0;   // pointerX, pointerY: 8 bytes
inline constexpr size_t kButtonsOffset = 10;  // the eight button bytes, leftDown first
// The click flags among them, in the order of InputEvent's fields.
inline constexpr size_t kLeftClickOffset = kButtonsOffset + 4;
inline constexpr size_t kRightClickOffset = kButtonsOffset + 5;
inline constexpr size_t kLeftDoubleClickOffset = kButtonsOffset + 6;
inline constexpr size_t kRightDoubleClickOffset = kButtonsOffset + 7;
inline constexpr size_t kKeyKindOffset = 256;
inline constexpr size_t kMouseChangedOffset = 320;
inline constexpr size_t kKeyValueOffset = 512;  // 2 bytes
inline constexpr size_t kInputScratchOffset = 600;
// The work area must reach past the scratch copy.
inline constexpr size_t kInputAreaSize = kInputScratchOffset + kInputEventSize;

// Moves the body received at offsets 0..19 of the work area to the field offsets above,
// through a scratch copy at kInputScratchOffset (the two ranges overlap), which is zeroed
// afterwards.
void placeInputEvent(uint8_t* workArea);

// Reads the fields back from their work-area offsets.
InputEvent placedInputEvent(const uint8_t* workArea);

}  // namespace korvo
