// Which virtual key types a character: the answer a Windows US layout gives for
// ASCII, computed here from the active X keyboard map so that other maps answer for
// themselves. Only what the virtual-key table can press again is reported; anything
// else is -1, so a character is skipped rather than typed wrong.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "platform/keys/virtual_keys.h"
#include "platform/x11/desktop.h"
#include "platform/x11/display_connection.h"
#include "platform/x11/keyboard_map.h"

namespace platform {
namespace {

constexpr int16_t kNoKey = -1;
constexpr int16_t kWithShift = 0x100;

// True when Shift alone (and nothing for the first level) selects the level.
bool reachableWithShift(const x11::KeyboardMap& map, const x11::KeyPlace& place) {
    if (place.level == 0)
        return true;
    if (place.level != 1)
        return false;
    for (unsigned mask : map.masksForLevel(place.code, 1)) {
        if (mask == ShiftMask)
            return true;
    }
    return false;
}

// True when the injector, given the virtual key, presses that key code.
bool pressesKey(const x11::KeyboardMap& map, uint8_t virtualKey, KeyCode code) {
    KeySym keysym = keys::keysymForVirtualKey(virtualKey);
    if (keysym == NoSymbol)
        return true;  // a layout key: numbered after its key code
    std::vector<x11::KeyPlace> places = map.placesOf(keysym);
    return !places.empty() && places.front().code == code;
}

}  // namespace

namespace x11 {

int16_t virtualKeyForCharacter(uint8_t character) {
    if (character < 0x20 || (character >= 0x7F && character < 0xA0)) {
        uint8_t key = keys::controlCharacterKey(character);
        return key == 0 ? kNoKey : key;
    }
    x11::DisplayLock lock;
    if (lock.display() == nullptr)
        return kNoKey;
    x11::KeyboardMap map(lock.display());
    if (!map.valid())
        return kNoKey;
    // ISO 8859-1 characters are their own keysyms.
    for (const x11::KeyPlace& place : map.placesOf(static_cast<KeySym>(character))) {
        if (!reachableWithShift(map, place))
            continue;
        uint8_t virtualKey = map.virtualKeyOf(place.code);
        if (virtualKey == 0 || !pressesKey(map, virtualKey, place.code))
            continue;
        return static_cast<int16_t>((place.level == 1 ? kWithShift : 0) | virtualKey);
    }
    return kNoKey;
}

}  // namespace x11
}  // namespace platform
