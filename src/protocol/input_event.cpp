#include "protocol/input_event.h"

#include <bit>
#include <cstring>

#include "protocol/wire.h"

namespace korvo {
namespace {

constexpr size_t kButtonCount = 8;

// Pointer values travel as little-endian IEEE 754 singles.
void putFloat(uint8_t* at, float value) {
    storeLittleEndian32(std::bit_cast<uint32_t>(value), at);
}

float getFloat(const uint8_t* at) {
    return std::bit_cast<float>(loadLittleEndian32(at));
}

void putButtons(uint8_t* at, const InputEvent& event) {
    const uint8_t buttons[kButtonCount] = {
        event.leftDown,  event.leftUp,     event.rightDown,       event.rightUp,
        event.leftClick, event.rightClick, event.leftDoubleClick, event.rightDoubleClick};
    std::memcpy(at, buttons, kButtonCount);
}

void getButtons(const uint8_t* at, InputEvent& event) {
    event.leftDown = at[0];
    event.leftUp = at[1];
    event.rightDown = at[2];
    event.rightUp = at[3];
    event.leftClick = at[4];
    event.rightClick = at[5];
    event.leftDoubleClick = at[6];
    event.rightDoubleClick = at[7];
}

}  // namespace

void encodeInputEvent(const InputEvent& event, uint8_t body[kInputEventSize]) {
    putFloat(body, event.pointerX);
    putFloat(body + 4, event.pointerY);
    putButtons(body + 8, event);
    body[16] = event.mouseChanged;
    body[17] = event.keyKind;
    body[18] = event.keyValue[0];
    body[19] = event.keyValue[1];
}

InputEvent decodeInputEvent(const uint8_t body[kInputEventSize]) {
    InputEvent event;
    event.pointerX = getFloat(body);
    event.pointerY = getFloat(body + 4);
    getButtons(body + 8, event);
    event.mouseChanged = body[16];
    event.keyKind = body[17];
    event.keyValue[0] = body[18];
    event.keyValue[1] = body[19];
    return event;
}

void placeInputEvent(uint8_t* workArea) {
    uint8_t* scratch = workArea + kInputScratchOffset;
    std::memcpy(scratch, workArea, kInputEventSize);
    std::memcpy(workArea + kPointerOffset, scratch, 8);
    std::memcpy(workArea + kButtonsOffset, scratch + 8, kButtonCount);
    workArea[kMouseChangedOffset] = scratch[16];
    workArea[kKeyKindOffset] = scratch[17];
    workArea[kKeyValueOffset] = scratch[18];
    workArea[kKeyValueOffset + 1] = scratch[19];
    std::memset(scratch, 0, kInputEventSize);
}

InputEvent placedInputEvent(const uint8_t* workArea) {
    InputEvent event;
    event.pointerX = getFloat(workArea + kPointerOffset);
    event.pointerY = getFloat(workArea + kPointerOffset + 4);
    getButtons(workArea + kButtonsOffset, event);
    event.mouseChanged = workArea[kMouseChangedOffset];
    event.keyKind = workArea[kKeyKindOffset];
    event.keyValue[0] = workArea[kKeyValueOffset];
    event.keyValue[1] = workArea[kKeyValueOffset + 1];
    return event;
}

}  // namespace korvo
