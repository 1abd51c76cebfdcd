// Qt's keys in the program's numbering: Windows virtual-key codes, with the keypad told
// apart by Qt's keypad modifier.
#include <Qt>

#include <array>
#include <utility>

#include "platform/qt/ui_state.h"

namespace platform::qtui {
namespace {

// Keys off the keypad whose code is not simply their character.
constexpr std::array<std::pair<int, int>, 31> kNamedKeys{{
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},     {Qt::Key_Return, 0x0D},   {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},     {Qt::Key_Control, 0x11},  {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},     {Qt::Key_CapsLock, 0x14}, {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},     {Qt::Key_PageUp, 0x21},   {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},     {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},        {Qt::Key_Right, 0x27},    {Qt::Key_Down, 0x28},
    {Qt::Key_Select, 0x29},    {Qt::Key_Printer, 0x2A},  {Qt::Key_Execute, 0x2B},
    {Qt::Key_Print, 0x2C},     {Qt::Key_Insert, 0x2D},   {Qt::Key_Delete, 0x2E},
    {Qt::Key_Help, 0x2F},      {Qt::Key_NumLock, 0x90},  {Qt::Key_ScrollLock, 0x91},
    {Qt::Key_SysReq, 0x2C},
}};

// Keypad keys with Num Lock on.
constexpr std::array<std::pair<int, int>, 6> kKeypadKeys{{
    {Qt::Key_Asterisk, 0x6A},
    {Qt::Key_Plus, 0x6B},
    {Qt::Key_Comma, 0x6C},
    {Qt::Key_Minus, 0x6D},
    {Qt::Key_Period, 0x6E},
    {Qt::Key_Slash, 0x6F},
}};

}  // namespace

bool virtualKeyOf(int qtKey, unsigned qtModifiers, int& key, unsigned& modifiers) {
    const bool keypad = (qtModifiers & Qt::KeypadModifier) != 0;
    modifiers = 0;
    if ((qtModifiers & Qt::ShiftModifier) != 0 && qtKey != Qt::Key_Shift)
        modifiers |= kModShift;
    if ((qtModifiers & Qt::ControlModifier) != 0 && qtKey != Qt::Key_Control)
        modifiers |= kModControl;
    if ((qtModifiers & Qt::AltModifier) != 0 && qtKey != Qt::Key_Alt)
        modifiers |= kModAlt;

    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        key = keypad ? 0x60 + (qtKey - Qt::Key_0) : 0x30 + (qtKey - Qt::Key_0);
        return true;
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        key = 0x41 + (qtKey - Qt::Key_A);
        return true;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        key = 0x70 + (qtKey - Qt::Key_F1);
        return true;
    }
    if (keypad)
        for (const auto& [qt, virtualKey] : kKeypadKeys)
            if (qt == qtKey) {
                key = virtualKey;
                return true;
            }
    for (const auto& [qt, virtualKey] : kNamedKeys)
        if (qt == qtKey) {
            key = virtualKey;
            return true;
        }
    return false;
}

}  // namespace platform::qtui
