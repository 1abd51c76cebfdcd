// Finding keys on the active X keyboard map (through XKB) and the modifiers that make a
// key give a chosen keysym.
#pragma once

#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <vector>

namespace platform::x11 {

// One place a keysym sits on the map: a key and its shift level in the first group.
struct KeyPlace {
    KeyCode code = 0;
    int level = 0;
};

// The active map with its key types, fetched afresh (layouts may change at any time).
// Freed by its destructor.
class KeyboardMap {
public:
    explicit KeyboardMap(Display* display);
    ~KeyboardMap();
    KeyboardMap(const KeyboardMap&) = delete;
    KeyboardMap& operator=(const KeyboardMap&) = delete;

    bool valid() const { return description_ != nullptr; }

    // Every place of the keysym, best first: keys of the main block (those the
    // virtual-key table knows by their plain keysym) before keypad and extra keys, then
    // the lowest level, then the lowest key code. `XKeysymToKeycode` alone picks odd
    // keys, such as an extra keypad key for "(" or the ISO 102nd key for "<".
    std::vector<KeyPlace> placesOf(KeySym keysym) const;

    // The keysym at a place; NoSymbol when there is none.
    KeySym keysymAt(KeyCode code, int level) const;

    // The modifier masks that select `level` on the key (its type's map entries; the
    // empty mask for the first level).
    std::vector<unsigned> masksForLevel(KeyCode code, int level) const;

    // The modifiers the key's type looks at; the level `mods` selects.
    unsigned typeModifiers(KeyCode code) const;
    int levelFor(KeyCode code, unsigned mods) const;

    // The keys that type ISO 8859-1 characters on their first two levels but whose
    // first keysym has no virtual key in the table, in key-code order (see
    // layoutVirtualKey).
    std::vector<KeyCode> layoutKeys() const;

    // The virtual key that presses the key: the table's for its first keysym, else its
    // layout key number; 0 when it has none.
    uint8_t virtualKeyOf(KeyCode code) const;

    // A key code with no keysym at all, free to borrow; 0 when there is none.
    KeyCode spareKeyCode() const;

    // The real modifier bound to a key that gives `keysym` (Num_Lock's, for one); 0
    // when none is.
    unsigned modifierOf(KeySym keysym) const;

private:
    XkbDescPtr description_ = nullptr;
};

}  // namespace platform::x11
