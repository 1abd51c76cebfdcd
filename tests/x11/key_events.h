// Reading back which keysym a key event of the test's window carried, with the map and
// state the server had at the press.
#pragma once

#include <gtest/gtest.h>
// (keep)
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace testing_support {

// The keysym the key gives in the event's modifier state, looked up in a map fetched
// now (a key code lent for the stroke is still bound while the key is down).
inline KeySym keysymOf(Display* display, const XKeyEvent& event) {
    XkbDescPtr map = XkbGetMap(display, XkbAllClientInfoMask, XkbUseCoreKbd);
    if (map == nullptr)
        return NoSymbol;
    unsigned consumed = 0;
    KeySym keysym = NoSymbol;
    if (!XkbTranslateKeyCode(map, static_cast<KeyCode>(event.keycode), event.state, &consumed,
                             &keysym))
        keysym = NoSymbol;
    XkbFreeKeyboard(map, 0, True);
    return keysym;
}

inline unsigned lockedModifiers(Display* display) {
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

inline unsigned numLockMask(Display* display) {
    return XkbKeysymToModifiers(display, XK_Num_Lock);
}

}  // namespace testing_support
