#include "viewer/shortcut_table.h"

namespace korvo {

namespace {

constexpr int kLowerCase = 'a' - 'A';

// 128 keys: digits, letters with and without Shift, the keys typed as control characters
// and the special keys.
constexpr ShortcutRun kRuns[] = {
    {'0', '9', false, 0, KeyCapture::Character},
    {'A', 'Z', false, kLowerCase, KeyCapture::Character},
    {'A', 'Z', true, kShiftedLetterEventBase + kLowerCase, KeyCapture::ShiftedLetter},
    {0x08, 0x09, false, kVirtualKeyEventBase, KeyCapture::ControlCharacter},  // Backspace, Tab
    {0x0C, 0x0D, false, kVirtualKeyEventBase, KeyCapture::ControlCharacter},  // Clear, Enter
    {0x12, 0x14, false, kVirtualKeyEventBase, KeyCapture::VirtualKey},  // Alt, Pause, Caps Lock
    {0x1B, 0x1B, false, kVirtualKeyEventBase, KeyCapture::VirtualKey},  // Escape
    {0x20, 0x2F, false, kVirtualKeyEventBase, KeyCapture::VirtualKey},  // Space .. Help
    {0x60, 0x87, false, kVirtualKeyEventBase, KeyCapture::VirtualKey},  // keypad, F1 .. F24
    {0x90, 0x91, false, kVirtualKeyEventBase, KeyCapture::VirtualKey},  // Num Lock, Scroll Lock
};

}  // namespace

std::span<const ShortcutRun> shortcutRuns() {
    return kRuns;
}

const ShortcutRun* shortcutRunOf(int eventNumber) {
    for (const ShortcutRun& run : kRuns) {
        if (eventNumber >= run.firstKey + run.eventOffset &&
            eventNumber <= run.lastKey + run.eventOffset)
            return &run;
    }
    return nullptr;
}

}  // namespace korvo
