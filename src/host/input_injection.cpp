#include "host/input_injection.h"

#include <cmath>
#include <cstring>

#include "platform/clock.h"
#include "platform/inject.h"
#include "protocol/input_event.h"
#include "settings/settings.h"
#include "state/process_state.h"

namespace korvo {

static_assert(kInputAreaSize <= kWorkAreaSize, "the input fields must fit the work area");

platform::Point lastPointerTarget{0, 0};

namespace {

// The keyboard map's answer carries the Shift state in bit 0 of its high byte.
constexpr int16_t kShiftBit = 0x100;

// Far beyond any screen, yet safely inside int; the system keeps the pointer on screen.
constexpr float kFarthestTarget = 1.0e9f;

int targetCoordinate(float position, float scale) {
    float product = std::fmin(position * scale, kFarthestTarget);
    return static_cast<int>(std::lround(product));
}

// One button action where the pointer was before the move; each is followed by a short
// pause so that the system sees separate clicks.
void buttonAction(unsigned flag, platform::Point at) {
    platform::mouseButton(flag, at.x, at.y);
    platform::sleepMs(tinyTickMs);
}

// A double click wins over a click, which wins over the separate press and release.
void playButtonGroup(uint8_t doubleClick, uint8_t click, uint8_t down, uint8_t up,
                     unsigned downFlag, unsigned upFlag, platform::Point at) {
    if (doubleClick == 1) {
        buttonAction(downFlag, at);
        buttonAction(upFlag, at);
        buttonAction(downFlag, at);
        buttonAction(upFlag, at);
    } else if (click == 1) {
        buttonAction(downFlag, at);
        buttonAction(upFlag, at);
    } else {
        if (down == 1)
            buttonAction(downFlag, at);
        if (up == 1)
            buttonAction(upFlag, at);
    }
}

void applyKey(const InputEvent& event) {
    if (event.keyKind == kKeyKindCharacter) {
        // A one-character text; a space alone trims to nothing and is not typed.
        char character = static_cast<char>(event.keyValue[0]);
        if (character != '\0' && character != ' ')
            typeCharacter(std::string_view(&character, 1));
    } else if (event.keyKind == kKeyKindVirtualKey) {
        if (event.keyValue[0] != 0)
            pressVirtualKey(event.keyValue[0]);
    }
}

void applyMouse(const InputEvent& event) {
    platform::Point current;
    if (!platform::cursorPosition(current))
        current = {0, 0};
    movePointerTo(event.pointerX, event.pointerY);
    if (event.mouseChanged != 1)
        return;
    playButtonGroup(event.leftDoubleClick, event.leftClick, event.leftDown, event.leftUp,
                    platform::kLeftDown, platform::kLeftUp, current);
    playButtonGroup(event.rightDoubleClick, event.rightClick, event.rightDown, event.rightUp,
                    platform::kRightDown, platform::kRightUp, current);
}

}  // namespace

void applyInputEvent() {
    uint8_t* area = serverWorkArea;
    placeInputEvent(area);
    InputEvent event = placedInputEvent(area);

    if (settings.allowKeyboard == 1)
        applyKey(event);
    std::memset(area + kKeyValueOffset, 0, 4);

    if (settings.allowMouse == 1)
        applyMouse(event);
    std::memset(area + kPointerOffset, 0, 18);
    std::memset(area + kMouseChangedOffset, 0, 2);
    std::memset(area + kKeyKindOffset, 0, 2);
}

int movePointerTo(float pointerX, float pointerY) {
    platform::Size desktop;
    if (!platform::primaryDisplaySize(desktop))
        return 0;
    float scaleX = static_cast<float>(desktop.width) / 10000.0f;
    float scaleY = static_cast<float>(desktop.height) / 10000.0f;
    // Written so that NaN is refused as well.
    if (!(pointerX > 0) || !(pointerY > 0))
        return 0;
    platform::Point target{targetCoordinate(pointerX, scaleX), targetCoordinate(pointerY, scaleY)};
    if (target.x != lastPointerTarget.x || target.y != lastPointerTarget.y)
        platform::setCursorPosition(target.x, target.y);
    lastPointerTarget = target;
    return 1;
}

void typeCharacter(std::string_view text) {
    if (text.empty())
        return;
    int16_t key = platform::virtualKeyForCharacter(static_cast<uint8_t>(text[0]));
    // No key types it on this keyboard: typing anything else would be wrong.
    if (key < 0)
        return;
    // Shift exactly when the map asks for it, so that a shifted digit key ('!') gets it
    // and a character that needs only Ctrl or Alt does not.
    bool shift = (key & kShiftBit) != 0;
    uint8_t virtualKey = static_cast<uint8_t>(key & 0xFF);
    if (shift)
        platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyDown);
    platform::keyboardEvent(virtualKey, 1, platform::kKeyDown);
    platform::keyboardEvent(virtualKey, 1, platform::kKeyUp);
    if (shift)
        platform::keyboardEvent(platform::kVirtualKeyLeftShift, 1, platform::kKeyUp);
}

void pressVirtualKey(uint8_t code) {
    platform::sendVirtualKeyInput(code, platform::kKeyDown);
    platform::sendVirtualKeyInput(code, platform::kKeyUp);
}

}  // namespace korvo
