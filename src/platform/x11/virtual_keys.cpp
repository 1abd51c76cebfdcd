#include "platform/x11/virtual_keys.h"

#include <X11/keysym.h>

#include <array>
#include <utility>

namespace platform::x11 {
namespace {

using Entry = std::pair<uint8_t, KeySym>;

// Every key the viewer sends, the Shift keys the character typing uses, and the
// punctuation keys of a US keyboard, numbered as Windows numbers them there. Where two
// codes name one X key (Shift and left Shift, Print and Print Screen), the first entry
// is the one a keysym maps back to. The ISO 102nd key has no entry on purpose: its
// characters are reported on the main block's keys, as on a US layout.
constexpr Entry kEntries[] = {
    {0x08, XK_BackSpace},   {0x09, XK_Tab},         {0x0C, XK_Clear},
    {0x0D, XK_Return},      {0x10, XK_Shift_L},     {0x11, XK_Control_L},
    {0x12, XK_Alt_L},       {0x13, XK_Pause},       {0x14, XK_Caps_Lock},
    {0x1B, XK_Escape},      {0x20, XK_space},       {0x21, XK_Prior},
    {0x22, XK_Next},        {0x23, XK_End},         {0x24, XK_Home},
    {0x25, XK_Left},        {0x26, XK_Up},          {0x27, XK_Right},
    {0x28, XK_Down},        {0x29, XK_Select},      {0x2C, XK_Print},
    {0x2A, XK_Print},       {0x2B, XK_Execute},     {0x2D, XK_Insert},
    {0x2E, XK_Delete},      {0x2F, XK_Help},        {0x5B, XK_Super_L},
    {0x5C, XK_Super_R},     {0x5D, XK_Menu},        {0x60, XK_KP_0},
    {0x61, XK_KP_1},        {0x62, XK_KP_2},        {0x63, XK_KP_3},
    {0x64, XK_KP_4},        {0x65, XK_KP_5},        {0x66, XK_KP_6},
    {0x67, XK_KP_7},        {0x68, XK_KP_8},        {0x69, XK_KP_9},
    {0x6A, XK_KP_Multiply}, {0x6B, XK_KP_Add},      {0x6C, XK_KP_Separator},
    {0x6D, XK_KP_Subtract}, {0x6E, XK_KP_Decimal},  {0x6F, XK_KP_Divide},
    {0x90, XK_Num_Lock},    {0x91, XK_Scroll_Lock}, {0xA0, XK_Shift_L},
    {0xA1, XK_Shift_R},     {0xA2, XK_Control_L},   {0xA3, XK_Control_R},
    {0xA4, XK_Alt_L},       {0xA5, XK_Alt_R},       {0xBA, XK_semicolon},
    {0xBB, XK_equal},       {0xBC, XK_comma},       {0xBD, XK_minus},
    {0xBE, XK_period},      {0xBF, XK_slash},       {0xC0, XK_grave},
    {0xDB, XK_bracketleft}, {0xDC, XK_backslash},   {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
};

constexpr std::array<KeySym, 256> buildTable() {
    std::array<KeySym, 256> table{};
    for (const Entry& entry : kEntries)
        table[entry.first] = entry.second;
    // Digits and letters keep their ASCII codes; a letter's key is named by its
    // lower-case keysym, the one it gives without Shift.
    for (int digit = 0; digit < 10; ++digit)
        table[0x30 + digit] = XK_0 + static_cast<KeySym>(digit);
    for (int letter = 0; letter < 26; ++letter)
        table[0x41 + letter] = XK_a + static_cast<KeySym>(letter);
    for (int function = 0; function < 24; ++function)
        table[0x70 + function] = XK_F1 + static_cast<KeySym>(function);
    return table;
}

constexpr std::array<KeySym, 256> kTable = buildTable();

// OEM-specific and unassigned codes, none of them in the table above.
constexpr uint8_t kLayoutKeys[] = {
    0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0x92,
    0x93, 0x94, 0x95, 0x96, 0xE1, 0xE3, 0xE4, 0xE6, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C,
    0x9D, 0x9E, 0x9F, 0xD8, 0xD9, 0xDA, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
};

}  // namespace

KeySym keysymForVirtualKey(uint8_t virtualKey) {
    KeySym keysym = kTable[virtualKey];
    return keysym == 0 ? NoSymbol : keysym;
}

uint8_t virtualKeyForKeysym(KeySym keysym) {
    if (keysym == NoSymbol)
        return 0;
    if (keysym >= XK_0 && keysym <= XK_9)
        return static_cast<uint8_t>(0x30 + (keysym - XK_0));
    if (keysym >= XK_a && keysym <= XK_z)
        return static_cast<uint8_t>(0x41 + (keysym - XK_a));
    for (const Entry& entry : kEntries) {
        if (entry.second == keysym)
            return entry.first;
    }
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return static_cast<uint8_t>(0x70 + (keysym - XK_F1));
    return 0;
}

uint8_t layoutVirtualKey(size_t index) {
    return index < std::size(kLayoutKeys) ? kLayoutKeys[index] : 0;
}

int layoutKeyIndex(uint8_t virtualKey) {
    for (size_t i = 0; i < std::size(kLayoutKeys); ++i) {
        if (kLayoutKeys[i] == virtualKey)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace platform::x11
