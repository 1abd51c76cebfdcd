#include "app/shortcuts.h"

namespace korvo {

namespace {

// A key of this offset's range is delivered as 500 + its virtual-key code.
constexpr int kVirtualKeyEventBase = 500;
// Shift + letter is delivered as this + the lower-case letter's code.
constexpr int kShiftedLetterEventBase = 300;
constexpr int kLowerCaseOffset = 'a' - 'A';

// Backspace, Tab, Clear, Enter: typed as characters.
constexpr int kCharacterKeys[] = {0x08, 0x09, 0x0C, 0x0D};

// Alt, Pause, Caps Lock, Escape, then ranges.
constexpr int kSingleSpecialKeys[] = {0x12, 0x13, 0x14, 0x1B, 0x90, 0x91};
struct KeyRange {
    int first;
    int last;
};
// Space .. Help; keypad 0 .. Divide; F1 .. F24.
constexpr KeyRange kSpecialKeyRanges[] = {{0x20, 0x2F}, {0x60, 0x6F}, {0x70, 0x87}};

}  // namespace

std::vector<ViewerShortcut> viewerShortcuts() {
    std::vector<ViewerShortcut> table;
    table.reserve(kViewerShortcutCount);
    for (int key = '0'; key <= '9'; ++key)
        table.push_back({key, false, key});
    for (int key = 'A'; key <= 'Z'; ++key)
        table.push_back({key, false, key + kLowerCaseOffset});
    for (int key = 'A'; key <= 'Z'; ++key)
        table.push_back({key, true, kShiftedLetterEventBase + key + kLowerCaseOffset});
    for (int key : kCharacterKeys)
        table.push_back({key, false, kVirtualKeyEventBase + key});
    for (int key : kSingleSpecialKeys)
        table.push_back({key, false, kVirtualKeyEventBase + key});
    for (const KeyRange& range : kSpecialKeyRanges) {
        for (int key = range.first; key <= range.last; ++key)
            table.push_back({key, false, kVirtualKeyEventBase + key});
    }
    return table;
}

}  // namespace korvo
