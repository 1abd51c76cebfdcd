// The keys the viewer takes from the main window while it is active: each key (with or
// without Shift) is delivered as an event number, and the number says how the key is
// captured. The main window registers the table; the event loop hands the numbers back to
// captureShortcutEvent (viewer/input_capture.h).
#pragma once

#include <span>

namespace korvo {

// Shift + a letter is numbered from this base, Backspace, Tab, Clear, Enter and the special
// keys from the other.
inline constexpr int kShiftedLetterEventBase = 300;
inline constexpr int kVirtualKeyEventBase = 500;

// How the key behind an event number is captured.
enum class KeyCapture {
    Character,         // the event number is the character's code
    ShiftedLetter,     // 300 + the lower-case letter's code; sent upper case
    ControlCharacter,  // 500 + the code of Backspace, Tab, Clear or Enter; sent as a character
    VirtualKey,        // 500 + the virtual-key code
};

// A run of consecutive virtual keys pressed with the same modifier and captured the same
// way; a key's event number is its virtual-key code plus eventOffset.
struct ShortcutRun {
    int firstKey = 0;
    int lastKey = 0;
    bool shift = false;
    int eventOffset = 0;
    KeyCapture capture = KeyCapture::Character;
};

// The whole table; the event numbers of different runs never overlap.
std::span<const ShortcutRun> shortcutRuns();

// The run whose event numbers include eventNumber; nullptr when none does.
const ShortcutRun* shortcutRunOf(int eventNumber);

}  // namespace korvo
