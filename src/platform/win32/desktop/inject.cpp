// Input injection with the user32 functions the wire format's numbers come from: the
// virtual keys, the mouse_event button flags and the key-up flag are the system's own.
#include <windows.h>

#include "platform/inject.h"
#include "platform/win32/desktop/physical_pixels.h"

namespace platform {
namespace {

// Keys that sit apart from the numeric keypad: without the extended flag the system
// takes them for their keypad twins (Shift+arrow then moves instead of selecting), and
// the right-hand Ctrl and Alt for the left-hand ones.
bool isExtendedKey(uint8_t virtualKey) {
    switch (virtualKey) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_INSERT:
        case VK_DELETE:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_RCONTROL:
        case VK_RMENU:
        case VK_LWIN:
        case VK_RWIN:
        case VK_APPS:
        case VK_DIVIDE:
        case VK_NUMLOCK:
            return true;
        default:
            return false;
    }
}

DWORD keyFlags(uint8_t virtualKey, unsigned flags) {
    return ((flags & kKeyUp) != 0 ? KEYEVENTF_KEYUP : 0) |
           (isExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
}

// The layout of the thread that owns the foreground window: the characters are typed
// there, and that user's layout may differ from this thread's.
HKL foregroundLayout() {
    HWND foreground = ::GetForegroundWindow();
    const DWORD thread =
        foreground != nullptr ? ::GetWindowThreadProcessId(foreground, nullptr) : 0;
    return ::GetKeyboardLayout(thread);
}

}  // namespace

void setCursorPosition(int x, int y) {
    win32::PhysicalPixels physical;
    win32::ScreenScale scale;
    if (!win32::screenScale(scale))
        return;
    const Point target = win32::toLogical({x, y}, scale);
    ::SetCursorPos(target.x, target.y);
}

void mouseButton(unsigned flag, int, int) {
    // The button flags are MOUSEEVENTF_LEFTDOWN and its kin; the pointer is already there.
    if (flag == kLeftDown || flag == kLeftUp || flag == kRightDown || flag == kRightUp)
        ::mouse_event(flag, 0, 0, 0, 0);
}

int16_t virtualKeyForCharacter(uint8_t character) {
    return ::VkKeyScanExA(static_cast<CHAR>(character), foregroundLayout());
}

void keyboardEvent(uint8_t virtualKey, uint8_t scanCode, unsigned flags) {
    if (virtualKey == 0)
        return;
    ::keybd_event(virtualKey, scanCode, keyFlags(virtualKey, flags), 0);
}

void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags) {
    if (virtualKey == 0)
        return;
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = keyFlags(virtualKey, flags);
    ::SendInput(1, &input, sizeof input);
}

}  // namespace platform
