// Input injection through XTest. Keys go through the virtual-key table; the injector
// picks the key and sets the modifiers a keysym needs, and puts every lock and
// borrowed key code back afterwards.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "platform/keys/virtual_keys.h"
#include "platform/x11/desktop.h"
#include "platform/x11/display_connection.h"
#include "platform/x11/keyboard_map.h"
#include "platform/x11/primary_output.h"

namespace platform {
namespace {

using x11::KeyboardMap;
using x11::KeyPlace;

// How long a borrowed key code keeps its keysym after the key is released: clients
// read the map when they handle the event, so taking the keysym away at once would
// let them see an empty key.
constexpr auto kBorrowedKeyLinger = std::chrono::milliseconds(30);

// A key code lent to a keysym the map lacks (Clear, Select, F13 and up on many maps),
// from its key press to its release. Guarded by the display lock.
struct BorrowedKey {
    unsigned generation = 0;
    KeyCode code = 0;
    KeySym keysym = NoSymbol;
    // The key code's own entries, written back in full: the server keeps a one-wide
    // NoSymbol as a change to nothing.
    std::vector<KeySym> original;
};
BorrowedKey borrowedKey;

bool xtestReady(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
}

bool isKeypadKeysym(KeySym keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

// The modifier changes that make a key give the level wanted: locks switched through
// XKB, Shift held on the Shift key.
struct ModifierChange {
    unsigned locksOn = 0;
    unsigned locksOff = 0;
    bool holdShift = false;
};

bool planModifiers(const KeyboardMap& map, const KeyPlace& place, const XkbStateRec& state,
                   ModifierChange& change) {
    if (map.levelFor(place.code, state.mods) == place.level)
        return true;
    unsigned relevant = map.typeModifiers(place.code);
    unsigned current = state.mods & relevant;
    unsigned lockable = LockMask | map.modifierOf(XK_Num_Lock);
    int bestCost = 1000;
    for (unsigned wanted : map.masksForLevel(place.code, place.level)) {
        unsigned differing = (current ^ wanted) & relevant;
        ModifierChange candidate;
        candidate.locksOn = differing & wanted & lockable;
        candidate.locksOff = differing & ~wanted & lockable & state.locked_mods;
        candidate.holdShift = (differing & wanted & ShiftMask) != 0;
        unsigned handled = candidate.locksOn | candidate.locksOff |
                           (candidate.holdShift ? static_cast<unsigned>(ShiftMask) : 0u);
        // A modifier held by the user (or needing Ctrl, AltGr...) cannot be changed here.
        if ((differing & ~handled) != 0)
            continue;
        int cost = std::popcount(differing);
        if (cost < bestCost) {
            bestCost = cost;
            change = candidate;
        }
    }
    return bestCost < 1000;
}

KeyCode shiftKeyCode(const KeyboardMap& map) {
    std::vector<KeyPlace> places = map.placesOf(XK_Shift_L);
    return places.empty() ? 0 : places.front().code;
}

void sendOnPlace(Display* display, const KeyboardMap& map, const KeyPlace& place,
                 const ModifierChange& change, const XkbStateRec& state, bool down) {
    unsigned locks = change.locksOn | change.locksOff;
    KeyCode shift = change.holdShift ? shiftKeyCode(map) : 0;
    if (locks != 0)
        XkbLockModifiers(display, XkbUseCoreKbd, locks, change.locksOn);
    if (shift != 0)
        XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XTestFakeKeyEvent(display, place.code, down ? True : False, CurrentTime);
    if (shift != 0)
        XTestFakeKeyEvent(display, shift, False, CurrentTime);
    if (locks != 0)
        XkbLockModifiers(display, XkbUseCoreKbd, locks, state.locked_mods & locks);
}

void bindKeyCode(Display* display, KeyCode code, KeySym keysym) {
    XChangeKeyboardMapping(display, code, 1, &keysym, 1);
    XSync(display, False);
}

void returnBorrowedKey(Display* display) {
    if (!borrowedKey.original.empty()) {
        XChangeKeyboardMapping(display, borrowedKey.code,
                               static_cast<int>(borrowedKey.original.size()),
                               borrowedKey.original.data(), 1);
        XSync(display, False);
    }
    borrowedKey = {};
}

std::vector<KeySym> keyCodeEntries(Display* display, KeyCode code) {
    int perKeyCode = 0;
    KeySym* entries = XGetKeyboardMapping(display, code, 1, &perKeyCode);
    if (entries == nullptr)
        return {};
    std::vector<KeySym> copy(entries, entries + std::max(perKeyCode, 0));
    XFree(entries);
    return copy;
}

// For a keysym the map has no key for: lends a spare key code for the stroke.
void sendOnBorrowedKey(x11::DisplayLock& lock, const KeyboardMap& map, KeySym keysym, bool down) {
    Display* display = lock.display();
    bool held = borrowedKey.generation == lock.generation() && borrowedKey.code != 0;
    if (held && borrowedKey.keysym != keysym) {
        XTestFakeKeyEvent(display, borrowedKey.code, False, CurrentTime);
        returnBorrowedKey(display);
        held = false;
    }
    if (!held) {
        KeyCode spare = map.spareKeyCode();
        std::vector<KeySym> original =
            spare == 0 ? std::vector<KeySym>{} : keyCodeEntries(display, spare);
        if (original.empty())
            return;  // skipped: nothing to type it with
        bindKeyCode(display, spare, keysym);
        borrowedKey = {lock.generation(), spare, keysym, std::move(original)};
    }
    XTestFakeKeyEvent(display, borrowedKey.code, down ? True : False, CurrentTime);
    if (down)
        return;
    XSync(display, False);
    std::this_thread::sleep_for(kBorrowedKeyLinger);
    returnBorrowedKey(display);
}

void sendKeysym(x11::DisplayLock& lock, const KeyboardMap& map, KeySym keysym, bool down) {
    Display* display = lock.display();
    // While lent, the borrowed key code is on the map too; its release must still go
    // through the loan so that the code is given back.
    bool borrowed = borrowedKey.code != 0 && borrowedKey.generation == lock.generation() &&
                    borrowedKey.keysym == keysym;
    std::vector<KeyPlace> places = map.placesOf(keysym);
    if (borrowed || places.empty()) {
        sendOnBorrowedKey(lock, map, keysym, down);
        return;
    }
    XkbStateRec state{};
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return;
    for (const KeyPlace& place : places) {
        ModifierChange change;
        // A key's first level is the caller's: Shift held before a letter must give the
        // capital. Keypad keys follow Num Lock, so they are set up to give what they
        // are named for, like other keysyms off the first level.
        bool plainKey = place.level == 0 && !isKeypadKeysym(keysym);
        if (!plainKey && !planModifiers(map, place, state, change))
            continue;
        sendOnPlace(display, map, place, change, state, down);
        return;
    }
    // Skipped: no place can be reached with the modifiers as they are.
}

void sendVirtualKey(uint8_t virtualKey, unsigned flags) {
    KeySym keysym = keys::keysymForVirtualKey(virtualKey);
    int layoutIndex = keys::layoutKeyIndex(virtualKey);
    if (keysym == NoSymbol && layoutIndex < 0)
        return;
    x11::DisplayLock lock;
    if (lock.display() == nullptr || !xtestReady(lock.display()))
        return;
    KeyboardMap map(lock.display());
    if (!map.valid())
        return;
    bool down = (flags & kKeyUp) == 0;
    if (keysym != NoSymbol) {
        sendKeysym(lock, map, keysym, down);
        return;
    }
    // A layout key is pressed as it is: what it types is up to the Shift state.
    std::vector<KeyCode> layoutKeys = map.layoutKeys();
    if (static_cast<size_t>(layoutIndex) < layoutKeys.size())
        XTestFakeKeyEvent(lock.display(), layoutKeys[static_cast<size_t>(layoutIndex)],
                          down ? True : False, CurrentTime);
}

}  // namespace

namespace x11 {

void setCursorPosition(int x, int y) {
    x11::DisplayLock lock;
    Display* display = lock.display();
    x11::ScreenRect primary;
    int width = 0;
    int height = 0;
    if (display == nullptr || !xtestReady(display) || !x11::primaryOutputRect(display, primary) ||
        !x11::rootSize(display, width, height))
        return;
    int screen = DefaultScreen(display);
    // Kept on the screen here: X coordinates are 16 bits wide on the wire, and a far
    // target would wrap around to some other place.
    auto onScreen = [](long value, int size) {
        return static_cast<int>(std::clamp(value, 0L, static_cast<long>(size) - 1));
    };
    int rootX = onScreen(static_cast<long>(primary.x) + x, width);
    int rootY = onScreen(static_cast<long>(primary.y) + y, height);
    XTestFakeMotionEvent(display, screen, rootX, rootY, CurrentTime);
}

void mouseButton(unsigned flag, int, int) {
    // The position is not used: button actions act where the pointer is.
    unsigned button = 0;
    bool press = false;
    switch (flag) {
        case kLeftDown:
            button = 1, press = true;
            break;
        case kLeftUp:
            button = 1;
            break;
        case kRightDown:
            button = 3, press = true;
            break;
        case kRightUp:
            button = 3;
            break;
        default:
            return;
    }
    x11::DisplayLock lock;
    if (lock.display() == nullptr || !xtestReady(lock.display()))
        return;
    XTestFakeButtonEvent(lock.display(), button, press ? True : False, CurrentTime);
}

void keyboardEvent(uint8_t virtualKey, uint8_t, unsigned flags) {
    sendVirtualKey(virtualKey, flags);
}

void sendVirtualKeyInput(uint8_t virtualKey, unsigned flags) {
    sendVirtualKey(virtualKey, flags);
}

}  // namespace x11
}  // namespace platform
