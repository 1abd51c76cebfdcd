// Input through the remote-desktop session: pointer moves on the shared monitor's
// stream, buttons by their evdev codes, keys as keysyms from the shared virtual-key
// table.
#include <algorithm>

#include "platform/keys/virtual_keys.h"
#include "platform/wayland/desktop.h"
#include "platform/wayland/frame_store.h"
#include "platform/wayland/gnome_session.h"
#include "platform/wayland/portal_session.h"
#include "platform/wayland/route.h"

namespace platform::wayland {
namespace {

// Linux input event codes of the buttons.
constexpr int32_t kButtonLeft = 272;
constexpr int32_t kButtonRight = 273;

void sendKey(uint8_t virtualKey, unsigned flags) {
    uint32_t keysym = keys::keysymForVirtualKey(virtualKey);
    if (keysym == keys::kNoKeysym)
        return;  // the layout's own keys are not known without its keyboard map
    bool pressed = (flags & kKeyUp) == 0;
    if (onPortal())
        portalKeysym(keysym, pressed);
    else
        notifySession("NotifyKeyboardKeysym",
                      g_variant_new("(ub)", keysym, pressed ? TRUE : FALSE));
}

}  // namespace

void setCursorPosition(int x, int y) {
    Size size;
    if (!wayland::primaryDisplaySize(size))
        return;
    // Kept on the monitor, as the contract promises.
    double onX = std::clamp(x, 0, size.width - 1);
    double onY = std::clamp(y, 0, size.height - 1);
    if (onPortal())
        portalPointerAt(onX, onY);
    else
        notifyPointerAt(onX, onY);
    notePointerMoved();
}

void mouseButton(unsigned flag, int, int) {
    // Buttons act where the pointer is.
    if (flag != kLeftDown && flag != kLeftUp && flag != kRightDown && flag != kRightUp)
        return;
    int32_t button = (flag == kLeftDown || flag == kLeftUp) ? kButtonLeft : kButtonRight;
    bool pressed = flag == kLeftDown || flag == kRightDown;
    if (onPortal())
        portalButton(button, pressed);
    else
        notifySession("NotifyPointerButton", g_variant_new("(ib)", button, pressed ? TRUE : FALSE));
}

int16_t virtualKeyForCharacter(uint8_t character) {
    return keys::usLayoutKeyForCharacter(character);
}

void keyboardEvent(uint8_t virtualKey, uint8_t, unsigned flags) {
    sendKey(virtualKey, flags);
}

void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags) {
    sendKey(virtualKey, flags);
}

}  // namespace platform::wayland
