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

}  // namespace platform::x11
