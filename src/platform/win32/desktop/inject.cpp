// Input injection with the user32 functions the wire format's numbers come from: the
// virtual keys, the mouse_event button flags and the key-up flag are the system's own.
#include <windows.h>

#include "platform/inject.h"

namespace platform {

void setCursorPosition(int x, int y) {
    ::SetCursorPos(x, y);
}

void mouseButton(unsigned flag, int, int) {
    // The button flags are MOUSEEVENTF_LEFTDOWN and its kin; the pointer is already there.
    if (flag == kLeftDown || flag == kLeftUp || flag == kRightDown || flag == kRightUp)
        ::mouse_event(flag, 0, 0, 0, 0);
}

int16_t virtualKeyForCharacter(uint8_t character) {
    return ::VkKeyScanA(static_cast<CHAR>(character));
}

void keyboardEvent(uint8_t virtualKey, uint8_t scanCode, unsigned flags) {
    if (virtualKey == 0)
        return;
    ::keybd_event(virtualKey, scanCode, (flags & kKeyUp) != 0 ? KEYEVENTF_KEYUP : 0, 0);
}

void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags) {
    if (virtualKey == 0)
        return;
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = (flags & kKeyUp) != 0 ? KEYEVENTF_KEYUP : 0;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace platform
