#include "platform/x11/keyboard_map.h"

#include <X11/keysym.h>

#include <algorithm>
#include <tuple>

#include "platform/keys/virtual_keys.h"

namespace platform::x11 {
namespace {

bool isKeypadKeysym(KeySym keysym) {
    return keysym >= XK_KP_Space && keysym <= XK_KP_Equal;
}

bool isLatin1Character(KeySym keysym) {
    return (keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF);
}

}  // namespace

KeyboardMap::KeyboardMap(Display* display) {
    description_ =
        XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
    if (description_ != nullptr &&
        (description_->map == nullptr || description_->map->types == nullptr)) {
        XkbFreeKeyboard(description_, 0, True);
        description_ = nullptr;
    }
}

KeyboardMap::~KeyboardMap() {
    if (description_ != nullptr)
        XkbFreeKeyboard(description_, 0, True);
}

KeySym KeyboardMap::keysymAt(KeyCode code, int level) const {
    if (description_ == nullptr || code < description_->min_key_code ||
        code > description_->max_key_code || XkbKeyNumGroups(description_, code) == 0 ||
        level < 0 || level >= XkbKeyGroupWidth(description_, code, 0))
        return NoSymbol;
    return XkbKeySymEntry(description_, code, level, 0);
}

std::vector<KeyPlace> KeyboardMap::placesOf(KeySym keysym) const {
    std::vector<KeyPlace> places;
    if (description_ == nullptr || keysym == NoSymbol)
        return places;
    for (int code = description_->min_key_code; code <= description_->max_key_code; ++code) {
        auto keyCode = static_cast<KeyCode>(code);
        if (XkbKeyNumGroups(description_, keyCode) == 0)
            continue;
        int width = XkbKeyGroupWidth(description_, keyCode, 0);
        for (int level = 0; level < width; ++level) {
            if (XkbKeySymEntry(description_, keyCode, level, 0) == keysym)
                places.push_back({keyCode, level});
        }
    }
    auto rank = [this](const KeyPlace& place) {
        KeySym plain = keysymAt(place.code, 0);
        bool extra = keys::virtualKeyForKeysym(static_cast<uint32_t>(plain)) == 0;
        bool keypad = isKeypadKeysym(plain) || isKeypadKeysym(keysymAt(place.code, 1));
        return std::make_tuple(extra, keypad, place.level, place.code);
    };
    std::stable_sort(places.begin(), places.end(),
                     [&](const KeyPlace& a, const KeyPlace& b) { return rank(a) < rank(b); });
    return places;
}

unsigned KeyboardMap::typeModifiers(KeyCode code) const {
    if (description_ == nullptr || XkbKeyNumGroups(description_, code) == 0)
        return 0;
    return XkbKeyKeyType(description_, code, 0)->mods.mask;
}

int KeyboardMap::levelFor(KeyCode code, unsigned mods) const {
    if (description_ == nullptr || XkbKeyNumGroups(description_, code) == 0)
        return 0;
    XkbKeyTypePtr type = XkbKeyKeyType(description_, code, 0);
    unsigned relevant = mods & type->mods.mask;
    for (int i = 0; i < type->map_count; ++i) {
        const XkbKTMapEntryRec& entry = type->map[i];
        if (entry.active && entry.mods.mask == relevant)
            return entry.level;
    }
    return 0;
}

std::vector<unsigned> KeyboardMap::masksForLevel(KeyCode code, int level) const {
    std::vector<unsigned> masks;
    if (level == 0)
        masks.push_back(0);
    if (description_ == nullptr || XkbKeyNumGroups(description_, code) == 0)
        return masks;
    XkbKeyTypePtr type = XkbKeyKeyType(description_, code, 0);
    for (int i = 0; i < type->map_count; ++i) {
        const XkbKTMapEntryRec& entry = type->map[i];
        if (entry.active && entry.level == level)
            masks.push_back(entry.mods.mask);
    }
    return masks;
}

std::vector<KeyCode> KeyboardMap::layoutKeys() const {
    std::vector<KeyCode> keys;
    if (description_ == nullptr)
        return keys;
    for (int code = description_->min_key_code; code <= description_->max_key_code; ++code) {
        auto keyCode = static_cast<KeyCode>(code);
        KeySym plain = keysymAt(keyCode, 0);
        if (plain != NoSymbol && keys::virtualKeyForKeysym(static_cast<uint32_t>(plain)) == 0 &&
            (isLatin1Character(plain) || isLatin1Character(keysymAt(keyCode, 1))))
            keys.push_back(keyCode);
    }
    return keys;
}

uint8_t KeyboardMap::virtualKeyOf(KeyCode code) const {
    uint8_t virtualKey = keys::virtualKeyForKeysym(static_cast<uint32_t>(keysymAt(code, 0)));
    if (virtualKey != 0)
        return virtualKey;
    std::vector<KeyCode> keys = layoutKeys();
    for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == code)
            return keys::layoutVirtualKey(i);
    }
    return 0;
}

KeyCode KeyboardMap::spareKeyCode() const {
    if (description_ == nullptr)
        return 0;
    // From the top: the low codes are the ones real keyboards send.
    for (int code = description_->max_key_code; code >= description_->min_key_code; --code) {
        auto keyCode = static_cast<KeyCode>(code);
        if (XkbKeyNumSyms(description_, keyCode) == 0 && code > 8)
            return keyCode;
    }
    return 0;
}

unsigned KeyboardMap::modifierOf(KeySym keysym) const {
    if (description_ == nullptr || description_->map->modmap == nullptr)
        return 0;
    for (const KeyPlace& place : placesOf(keysym)) {
        unsigned mask = description_->map->modmap[place.code];
        if (mask != 0)
            return mask;
    }
    return 0;
}

}  // namespace platform::x11
